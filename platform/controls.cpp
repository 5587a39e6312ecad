#include "controls.h"

#include "dispatch.h"
#include "RuntimeError.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QCollator>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QPointer>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionViewItem>
#include <QStylePainter>

#include <algorithm>
#include <limits>
#include <utility>

namespace platform {

namespace {

QCollator makeCollator()
{
    QLocale locale = QLocale::system();
    // In the C/POSIX locale QCollator only folds case; English rules sort accents sensibly.
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    return collator;
}

void place(QWidget *widget, const QString &name, QRect twips)
{
    widget->setObjectName(name);
    widget->setGeometry(twips);
}

// A caption is never cut off: a control too narrow for its caption in this font grows to fit.
void fitCaption(QWidget *widget)
{
    const int needed = widget->sizeHint().width();
    if (needed > widget->width())
        widget->resize(needed, widget->height());
}

QString withoutAccessKey(QString caption)
{
    QString result;
    result.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) {
            ++i;
        }
        result.append(caption[i]);
    }
    return result;
}

} // namespace

int compareListTexts(const QString &left, const QString &right)
{
    static const QCollator collator = makeCollator();
    return collator.compare(left, right);
}

TextBox::TextBox(QWidget *parent, const QString &name, QRect twips) : QLineEdit(parent)
{
    place(this, name, twips);
    setMaxLength(std::numeric_limits<int>::max());
}

// The entries in blocks of at most MaxBlock, with the row each block starts at: an insert or a
// removal moves part of one block and shifts the starts, never the whole list.
class ListBox::Entries
{
public:
    struct Entry
    {
        QString text;
        std::int32_t data = 0;
    };

    int size() const { return m_size; }
    const Entry &at(int row) const
    {
        const auto [block, offset] = locate(row);
        return m_blocks[block][offset];
    }
    Entry &at(int row)
    {
        const auto [block, offset] = locate(row);
        return m_blocks[block][offset];
    }

    void insert(int row, Entry entry)
    {
        if (m_blocks.empty())
            addBlock(0, 0);
        const auto [block, offset] = locate(row);
        std::vector<Entry> &entries = m_blocks[block];
        entries.insert(entries.begin() + offset, std::move(entry));
        ++m_size;
        shiftStarts(block + 1, 1);
        if (entries.size() > MaxBlock)
            split(block);
    }

    void erase(int row)
    {
        const auto [block, offset] = locate(row);
        std::vector<Entry> &entries = m_blocks[block];
        entries.erase(entries.begin() + offset);
        --m_size;
        shiftStarts(block + 1, -1);
        // Emptied and small blocks go, so the number of blocks follows the number of entries.
        if (entries.empty() && m_blocks.size() > 1)
            removeBlock(block);
        else if (block + 1 < m_blocks.size() && fitTogether(block, block + 1))
            merge(block);
        else if (block > 0 && fitTogether(block - 1, block))
            merge(block - 1);
    }

    int findFirst(const std::function<bool(const Entry &)> &matches) const
    {
        int row = 0;
        for (const std::vector<Entry> &entries : m_blocks) {
            for (const Entry &entry : entries) {
                if (matches(entry))
                    return row;
                ++row;
            }
        }
        return -1;
    }

private:
    static constexpr std::size_t MaxBlock = 512;

    std::pair<std::size_t, std::size_t> locate(int row) const
    {
        const auto after = std::upper_bound(m_starts.cbegin(), m_starts.cend(), row);
        const auto block = static_cast<std::size_t>(after - m_starts.cbegin() - 1);
        return {block, static_cast<std::size_t>(row - m_starts[block])};
    }
    void shiftStarts(std::size_t from, int by)
    {
        for (std::size_t i = from; i < m_starts.size(); ++i)
            m_starts[i] += by;
    }
    void addBlock(std::size_t at, int start)
    {
        // Room for the largest block up front: a block never reallocates while it grows.
        std::vector<Entry> entries;
        entries.reserve(MaxBlock + 1);
        m_blocks.insert(m_blocks.begin() + static_cast<std::ptrdiff_t>(at), std::move(entries));
        m_starts.insert(m_starts.begin() + static_cast<std::ptrdiff_t>(at), start);
    }
    void removeBlock(std::size_t block)
    {
        m_blocks.erase(m_blocks.begin() + static_cast<std::ptrdiff_t>(block));
        m_starts.erase(m_starts.begin() + static_cast<std::ptrdiff_t>(block));
    }
    bool fitTogether(std::size_t first, std::size_t second) const
    {
        return m_blocks[first].size() + m_blocks[second].size() <= MaxBlock / 2;
    }
    void split(std::size_t block)
    {
        const std::size_t half = m_blocks[block].size() / 2;
        addBlock(block + 1, m_starts[block] + static_cast<int>(half));
        std::vector<Entry> &head = m_blocks[block];
        const auto middle = head.begin() + static_cast<std::ptrdiff_t>(half);
        m_blocks[block + 1].assign(std::make_move_iterator(middle),
                                   std::make_move_iterator(head.end()));
        head.erase(middle, head.end());
    }
    void merge(std::size_t first)
    {
        std::vector<Entry> &tail = m_blocks[first + 1];
        m_blocks[first].insert(m_blocks[first].end(), std::make_move_iterator(tail.begin()),
                               std::make_move_iterator(tail.end()));
        removeBlock(first + 1);
    }

    std::vector<std::vector<Entry>> m_blocks;
    std::vector<int> m_starts;
    int m_size = 0;
};

// What a screen reader finds for a list box: a list whose children are its entries. Like Qt's
// own list views it also offers the table interface, through which selections and changes of
// rows reach the platform's accessibility bridge.
class ListBoxAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit ListBoxAccessible(ListBox *list) : QAccessibleWidget(list, QAccessible::List) {}
    ~ListBoxAccessible() override { dropEntries(); }
    Q_DISABLE_COPY_MOVE(ListBoxAccessible)

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    int childCount() const override { return list()->ListCount(); }
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint position = list()->viewport()->mapFromGlobal(QPoint(x, y));
        if (!list()->viewport()->rect().contains(position))
            return nullptr;
        return child(list()->entryAt(position));
    }
    QAccessibleInterface *focusChild() const override
    {
        return list()->hasFocus() ? child(list()->m_current) : nullptr;
    }

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override
    {
        return column == 0 ? child(row) : nullptr;
    }
    int selectedCellCount() const override { return list()->ListIndex() < 0 ? 0 : 1; }
    QList<QAccessibleInterface *> selectedCells() const override
    {
        QList<QAccessibleInterface *> cells;
        if (QAccessibleInterface *cell = child(list()->ListIndex()))
            cells << cell;
        return cells;
    }
    QString columnDescription(int) const override { return QString(); }
    QString rowDescription(int) const override { return QString(); }
    int selectedColumnCount() const override { return isColumnSelected(0) ? 1 : 0; }
    int selectedRowCount() const override { return selectedCellCount(); }
    int columnCount() const override { return 1; }
    int rowCount() const override { return list()->ListCount(); }
    QList<int> selectedColumns() const override
    {
        return isColumnSelected(0) ? QList<int>{0} : QList<int>();
    }
    QList<int> selectedRows() const override
    {
        return list()->ListIndex() < 0 ? QList<int>() : QList<int>{list()->ListIndex()};
    }
    // A column counts as selected when all of its rows are.
    bool isColumnSelected(int column) const override
    {
        return column == 0 && list()->ListCount() == 1 && list()->ListIndex() == 0;
    }
    bool isRowSelected(int row) const override { return row >= 0 && row == list()->ListIndex(); }
    bool selectRow(int row) override
    {
        if (row < 0 || row >= list()->ListCount())
            return false;
        list()->setCurrent(row);
        list()->select(row);
        list()->scrollToEntry(row);
        return true;
    }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override
    {
        if (!isRowSelected(row))
            return false;
        list()->select(-1);
        return true;
    }
    bool unselectColumn(int) override { return false; }
    // Entries read before the change were dropped when their rows moved (see child()).
    void modelChange(QAccessibleTableModelChangeEvent *) override {}

private:
    ListBox *list() const { return static_cast<ListBox *>(widget()); }
    void dropEntries() const
    {
        for (const QAccessible::Id id : std::as_const(m_entries))
            QAccessible::deleteAccessibleInterface(id);
        m_entries.clear();
    }

    // Entries handed out, by row, for the list as it was at m_generation.
    mutable QHash<int, QAccessible::Id> m_entries;
    mutable quint64 m_generation = 0;
};

// One entry of a list box for a screen reader: its text, whether it is selected or current.
class ListEntryAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    ListEntryAccessible(ListBox *list, int row)
        : m_list(list), m_row(row), m_generation(list->m_generation)
    {}
    Q_DISABLE_COPY_MOVE(ListEntryAccessible)

    int row() const { return m_row; }
    const ListBox *list() const { return m_list; }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface *>(this);
        return nullptr;
    }

    // An entry whose row moved since it was handed out is no longer the same entry.
    bool isValid() const override
    {
        return m_list && m_list->m_generation == m_generation && m_row < m_list->ListCount();
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_list ? m_list->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override
    {
        return m_list ? QAccessible::queryAccessibleInterface(m_list.data()) : nullptr;
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text type) const override
    {
        return type == QAccessible::Name && isValid() ? m_list->List(m_row) : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        if (!isValid())
            return QRect();
        const QRect local = m_list->entryRect(m_row);
        return QRect(m_list->viewport()->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.selectable = true;
        state.focusable = true;
        state.selected = m_row == m_list->ListIndex();
        state.focused = m_list->hasFocus() && m_row == m_list->m_current;
        state.disabled = !m_list->isEnabled();
        state.offscreen = !m_list->viewport()->rect().intersects(m_list->entryRect(m_row));
        return state;
    }

    bool isSelected() const override { return isValid() && m_row == m_list->ListIndex(); }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

private:
    QPointer<ListBox> m_list;
    int m_row;
    quint64 m_generation;
};

QAccessibleInterface *ListBoxAccessible::child(int index) const
{
    if (index < 0 || index >= list()->ListCount())
        return nullptr;
    if (m_generation != list()->m_generation) {
        dropEntries();
        m_generation = list()->m_generation;
    }
    if (const auto found = m_entries.constFind(index); found != m_entries.cend())
        return QAccessible::accessibleInterface(*found);
    auto *entry = new ListEntryAccessible(list(), index);
    m_entries.insert(index, QAccessible::registerAccessibleInterface(entry));
    return entry;
}

int ListBoxAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const auto *entry = dynamic_cast<const ListEntryAccessible *>(child);
    return entry && entry->isValid() && entry->list() == list() ? entry->row() : -1;
}

namespace {

QAccessibleInterface *accessibleListBox(const QString &className, QObject *object)
{
    if (object && object->isWidgetType() &&
        className == QLatin1String(ListBox::staticMetaObject.className()))
        return new ListBoxAccessible(static_cast<ListBox *>(object));
    return nullptr;
}

// What Qt's list views hand their item delegate, so that entries look the same.
QStyleOptionViewItem entryOption(const QWidget *list)
{
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.state &= ~(QStyle::State_MouseOver | QStyle::State_HasFocus);
    option.widget = list;
    option.font = list->font();
    const int iconSize = list->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, list);
    option.decorationSize = QSize(iconSize, iconSize);
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.textElideMode = Qt::ElideRight;
    option.features = QStyleOptionViewItem::HasDisplay;
    option.showDecorationSelected =
        list->style()->styleHint(QStyle::SH_ItemView_ShowDecorationSelected, nullptr, list);
    option.locale = list->locale();
    return option;
}

} // namespace

ListBox::ListBox(QWidget *parent, const QString &name, QRect twips, Sorting sorting)
    : QAbstractScrollArea(parent), m_entries(std::make_unique<Entries>()), m_sorting(sorting)
{
    static const bool accessible = [] {
        QAccessible::installFactory(accessibleListBox);
        return true;
    }();
    Q_UNUSED(accessible);
    place(this, name, twips);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    updateRowHeight();
}

ListBox::~ListBox() = default;

void ListBox::checkIndex(int index) const
{
    if (index < 0 || index >= ListCount())
        throw RuntimeError::invalidArgument(
            QStringLiteral("list position %1 does not exist").arg(index));
}

int ListBox::ListCount() const
{
    return m_entries->size();
}

void ListBox::AddItem(const QString &text)
{
    int position = ListCount();
    if (m_sorting == Sorting::Sorted) {
        // Upper bound: an entry equal to existing ones goes after them.
        int low = 0;
        int high = ListCount();
        while (low < high) {
            const int mid = low + (high - low) / 2;
            if (compareListTexts(text, m_entries->at(mid).text) < 0)
                high = mid;
            else
                low = mid + 1;
        }
        position = low;
    }
    m_entries->insert(position, {text, 0});
    m_newIndex = position;
    for (int *row : {&m_current, &m_pressed}) {
        if (*row >= position)
            ++*row;
    }
    if (m_selected >= position)
        setSelected(m_selected + 1);
    entriesChanged(position, Change::Inserted);
}

void ListBox::RemoveItem(int index)
{
    checkIndex(index);
    m_entries->erase(index);
    m_newIndex = -1;
    // The removed entry's selection and current mark go with it, never to a neighbour.
    for (int *row : {&m_current, &m_pressed}) {
        if (*row == index)
            *row = -1;
        else if (*row > index)
            --*row;
    }
    if (m_selected == index)
        setSelected(-1);
    else if (m_selected > index)
        setSelected(m_selected - 1);
    entriesChanged(index, Change::Removed);
}

void ListBox::entriesChanged(int row, Change change)
{
    ++m_generation;
    updateScrollRange();
    // Entries below the viewport move unseen.
    if (row <= topRow() + pageRows())
        viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleTableModelChangeEvent event(
            this, change == Change::Inserted ? QAccessibleTableModelChangeEvent::RowsInserted
                                             : QAccessibleTableModelChangeEvent::RowsRemoved);
        event.setFirstRow(row);
        event.setLastRow(row);
        QAccessible::updateAccessibility(&event);
    }
}

void ListBox::setListIndex(int index)
{
    if (index != -1)
        checkIndex(index);
    setCurrent(index);
    select(index);
    if (index >= 0)
        scrollToEntry(index);
}

std::int32_t ListBox::ItemData(int index) const
{
    checkIndex(index);
    return m_entries->at(index).data;
}

void ListBox::setItemData(int index, std::int32_t value)
{
    checkIndex(index);
    m_entries->at(index).data = value;
}

QString ListBox::List(int index) const
{
    // An index past the end reads as empty text rather than failing.
    if (index < -1)
        throw RuntimeError::invalidArgument(
            QStringLiteral("list position %1 does not exist").arg(index));
    if (index == -1 || index >= ListCount())
        return QString();
    return m_entries->at(index).text;
}

QString ListBox::Text() const
{
    return m_selected < 0 ? QString() : m_entries->at(m_selected).text;
}

int ListBox::findExact(const QString &text) const
{
    return m_entries->findFirst(
        [&text](const Entries::Entry &entry) { return entry.text == text; });
}

void ListBox::setText(const QString &value)
{
    setListIndex(findExact(value));
}

int ListBox::topRow() const
{
    return verticalScrollBar()->value();
}

int ListBox::pageRows() const
{
    // The frame's inside: right even before the first show has laid the viewport out.
    return std::max(1, contentsRect().height() / m_rowHeight);
}

QRect ListBox::entryRect(int index) const
{
    if (index < 0 || index >= ListCount())
        return QRect();
    return QRect(0, (index - topRow()) * m_rowHeight, viewport()->width(), m_rowHeight);
}

int ListBox::entryAt(QPoint position) const
{
    if (position.y() < 0 || position.x() < 0 || position.x() >= viewport()->width())
        return -1;
    const int row = topRow() + position.y() / m_rowHeight;
    return row < ListCount() ? row : -1;
}

void ListBox::scrollToEntry(int index)
{
    if (index < 0 || index >= ListCount())
        return;
    const int top = topRow();
    if (index < top)
        verticalScrollBar()->setValue(index);
    else if (index >= top + pageRows())
        verticalScrollBar()->setValue(index - pageRows() + 1);
}

void ListBox::updateEntry(int index)
{
    const QRect rect = entryRect(index);
    if (rect.intersects(viewport()->rect()))
        viewport()->update(rect);
}

void ListBox::select(int index)
{
    if (index == m_selected)
        return;
    const int previous = m_selected;
    setSelected(index);
    updateEntry(previous);
    updateEntry(index);
    if (QAccessible::isActive()) {
        if (index >= 0) {
            QAccessibleEvent event(this, QAccessible::SelectionAdd);
            event.setChild(index);
            QAccessible::updateAccessibility(&event);
        }
        if (previous >= 0) {
            QAccessibleEvent event(this, QAccessible::SelectionRemove);
            event.setChild(previous);
            QAccessible::updateAccessibility(&event);
        }
    }
}

void ListBox::setSelected(int index)
{
    if (index == m_selected)
        return;
    m_selected = index;
    Q_EMIT selectionChanged(index);
}

void ListBox::setCurrent(int index)
{
    if (index == m_current)
        return;
    updateEntry(m_current);
    m_current = index;
    updateEntry(index);
    if (index >= 0 && hasFocus() && QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(index);
        QAccessible::updateAccessibility(&event);
    }
}

void ListBox::updateRowHeight()
{
    QStyleOptionViewItem option = entryOption(this);
    option.text = QStringLiteral("X");
    const QSize size = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this);
    m_rowHeight = std::max(1, size.height());
    updateScrollRange();
    viewport()->update();
}

void ListBox::updateScrollRange()
{
    QScrollBar *bar = verticalScrollBar();
    const int page = pageRows();
    bar->setSingleStep(1);
    bar->setPageStep(page);
    bar->setRange(0, std::max(0, ListCount() - page));
}

void ListBox::scrollContentsBy(int, int)
{
    // The scroll bar counts entries, not pixels.
    viewport()->update();
}

void ListBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    QStyleOptionViewItem option = entryOption(this);
    // Like Qt's item views: the selection shows in the inactive colours unless the list has focus.
    if (!hasFocus())
        option.state &= ~QStyle::State_Active;
    const QStyle::State state = option.state;
    const int first = topRow() + std::max(0, event->rect().top()) / m_rowHeight;
    const int last =
        std::min(ListCount() - 1, topRow() + std::max(0, event->rect().bottom()) / m_rowHeight);
    for (int row = first; row <= last; ++row) {
        option.rect = entryRect(row);
        option.text = m_entries->at(row).text;
        option.state = state;
        option.state.setFlag(QStyle::State_Selected, row == m_selected);
        option.state.setFlag(QStyle::State_HasFocus, row == m_current && hasFocus());
        option.palette.setCurrentColorGroup(isEnabled() ? QPalette::Normal : QPalette::Disabled);
        style()->drawControl(QStyle::CE_ItemViewItem, &option, &painter, this);
    }
}

void ListBox::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void ListBox::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        updateRowHeight();
}

void ListBox::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    // Reaching the list by keyboard marks its first entry as current without selecting it.
    if (m_current < 0 && ListCount() > 0 && event->reason() != Qt::MouseFocusReason)
        setCurrent(0);
    viewport()->update();
}

void ListBox::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void ListBox::moveCurrent(int key)
{
    const int count = ListCount();
    if (count == 0)
        return;
    const int step = std::max(1, pageRows() - 1);
    int next = 0;
    if (m_current >= 0) {
        switch (key) {
        case Qt::Key_Up:
            next = m_current - 1;
            break;
        case Qt::Key_Down:
            next = m_current + 1;
            break;
        case Qt::Key_PageUp:
            next = m_current - step;
            break;
        case Qt::Key_PageDown:
            next = m_current + step;
            break;
        case Qt::Key_End:
            next = count - 1;
            break;
        default:
            break;
        }
    }
    next = std::clamp(next, 0, count - 1);
    // Staying on an unselected current entry leaves it unselected, as in Qt's views.
    if (next != m_current) {
        setCurrent(next);
        select(next);
    }
    scrollToEntry(next);
}

void ListBox::keyboardSearch(const QString &text)
{
    const int count = ListCount();
    if (count == 0)
        return;
    // Keys typed in quick succession extend the search, as in Qt's views; a new search, or the
    // same letter again, starts after the current entry so that repeated letters move on.
    const bool fresh = text.isEmpty() || !m_searchTime.isValid() ||
                       m_searchTime.elapsed() > QApplication::keyboardInputInterval();
    m_searchTime.start();
    bool skipCurrent = false;
    if (fresh) {
        m_search = text;
        skipCurrent = m_current >= 0;
    } else {
        m_search += text;
    }
    if (m_search.size() > 1 && m_search.count(m_search.back()) == m_search.size())
        skipCurrent = true;
    int start = std::max(0, m_current);
    if (skipCurrent)
        start = (start + 1) % count;
    for (int i = 0; i < count; ++i) {
        const int row = (start + i) % count;
        if (m_entries->at(row).text.startsWith(m_search, Qt::CaseInsensitive)) {
            setCurrent(row);
            select(row);
            scrollToEntry(row);
            return;
        }
    }
}

void ListBox::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        if (m_current >= 0)
            QGuiApplication::clipboard()->setText(List(m_current));
        event->accept();
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        moveCurrent(event->key());
        event->accept();
        return;
    case Qt::Key_Space:
    case Qt::Key_Select:
        // Ctrl+Space takes the selection back; Space also continues a search ("Ann Lee").
        if (m_current >= 0)
            select((modifiers & Qt::ControlModifier) && m_current == m_selected ? -1 : m_current);
        if (event->key() == Qt::Key_Space)
            keyboardSearch(event->text());
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The window's default button takes Enter.
        event->ignore();
        return;
    default:
        break;
    }
    const QString text = event->text();
    const bool typed = !text.isEmpty() && text.front().isPrint() &&
                       !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (typed) {
        keyboardSearch(text);
        event->accept();
        return;
    }
    event->ignore();
}

void ListBox::mousePressEvent(QMouseEvent *event)
{
    const int row = entryAt(event->position().toPoint());
    m_pressed = row;
    // A press on the selected entry (or on no entry) decides on release: Ctrl+click deselects.
    m_selectOnRelease = row < 0 || row == m_selected;
    if (row < 0)
        return;
    setCurrent(row);
    select(row);
}

void ListBox::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || ListCount() == 0)
        return;
    // Dragging with the button down moves the selection, scrolling past either edge.
    const QPoint position = event->position().toPoint();
    int row = entryAt(position);
    if (position.y() < 0)
        row = std::max(0, topRow() - 1);
    else if (position.y() >= viewport()->height())
        row = std::min(ListCount() - 1, topRow() + pageRows());
    if (row < 0)
        return;
    setCurrent(row);
    select(row);
    scrollToEntry(row);
}

void ListBox::mouseReleaseEvent(QMouseEvent *event)
{
    const int row = entryAt(event->position().toPoint());
    if (m_selectOnRelease && row >= 0) {
        const bool deselect = (event->modifiers() & Qt::ControlModifier) && row == m_selected;
        select(deselect ? -1 : row);
    }
    m_selectOnRelease = false;
}

void ListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click on the entry just pressed changes nothing.
    const int row = entryAt(event->position().toPoint());
    if (row < 0 || row != m_pressed)
        mousePressEvent(event);
}

ComboBox::ComboBox(QWidget *parent, const QString &name, QRect twips, Sorting sorting)
    : QWidget(parent), m_edit(new QLineEdit(this)),
      m_list(new ListBox(this, name + QStringLiteral("_list"), QRect(), sorting))
{
    place(this, name, twips);
    m_edit->setObjectName(name + QStringLiteral("_edit"));
    m_edit->setMaxLength(std::numeric_limits<int>::max());
    const int editHeight = std::min(height(), m_edit->sizeHint().height());
    m_edit->setGeometry(0, 0, width(), editHeight);
    m_list->setGeometry(0, editHeight, width(), std::max(0, height() - editHeight));
    // One tab stop: the edit field. The list is reached with the mouse or the arrow keys.
    m_list->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_edit);
    m_edit->installEventFilter(this);

    connect(m_edit, &QLineEdit::textEdited, this, [this] { selectMatching(); });
    connect(m_list, &ListBox::selectionChanged, this, [this] {
        if (!m_followingEdit)
            showSelection();
    });
}

void ComboBox::setAccessibleNames(const QString &name)
{
    setAccessibleName(name);
    m_edit->setAccessibleName(name);
    m_list->setAccessibleName(name);
}

void ComboBox::selectMatching()
{
    const int match = m_list->findExact(m_edit->text());
    if (match != m_list->ListIndex()) {
        // A typed text that matches no entry stays in the edit field.
        const QScopedValueRollback following(m_followingEdit, true);
        m_list->setListIndex(match);
    }
}

void ComboBox::showSelection()
{
    const int index = m_list->ListIndex();
    const QString text = index == -1 ? QString() : m_list->List(index);
    // Setting an equal text would still move the cursor and drop the undo history.
    if (m_edit->text() != text)
        m_edit->setText(text);
}

void ComboBox::setText(const QString &value)
{
    m_edit->setText(value);
    selectMatching();
}

void ComboBox::setListIndex(int index)
{
    m_list->setListIndex(index);
    // Also when the selection did not change: -1 empties a typed text.
    showSelection();
}

bool ComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const int count = m_list->ListCount();
        if ((key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) && count > 0) {
            const int current = m_list->ListIndex();
            int next = 0;
            if (current >= 0)
                next = key->key() == Qt::Key_Down ? std::min(current + 1, count - 1)
                                                  : std::max(current - 1, 0);
            setListIndex(next);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

CheckBox::CheckBox(QWidget *parent, const QString &name, const QString &caption, QRect twips)
    : QCheckBox(caption, parent)
{
    place(this, name, twips);
    fitCaption(this);
}

int CheckBox::Value() const
{
    switch (checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    }
    return 0;
}

void CheckBox::setValue(int value)
{
    if (value < 0 || value > 2)
        throw RuntimeError::invalidArgument(
            QStringLiteral("%1 is not a check box value (0, 1 or 2)").arg(value));
    setTristate(value == 2);
    setCheckState(value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked);
}

void CheckBox::nextCheckState()
{
    // The user only toggles between unchecked and checked; grayed is set from code.
    const bool wasChecked = checkState() == Qt::Checked;
    setTristate(false);
    setCheckState(wasChecked ? Qt::Unchecked : Qt::Checked);
}

OptionButton::OptionButton(OptionArray &array, int index, QWidget *parent, const QString &caption,
                           QRect twips)
    : QRadioButton(caption, parent), m_array(array), m_index(index)
{
    place(this, array.name() + QStringLiteral("_%1").arg(index), twips);
    fitCaption(this);
    // Left auto-exclusive: screen readers announce a non-exclusive one as a check box.
    connect(this, &QAbstractButton::clicked, this,
            [this] { dispatch([this] { m_array.select(m_index); }); });
}

void OptionButton::setValue(bool value)
{
    if (value) {
        m_array.select(m_index);
    } else {
        // The checked button of an exclusive set refuses to go off; all of them may be off.
        setAutoExclusive(false);
        setChecked(false);
        setAutoExclusive(true);
    }
}

void OptionButton::nextCheckState()
{
    // A click always selects, never clears.
    setChecked(true);
}

void OptionButton::keyPressEvent(QKeyEvent *event)
{
    int step = 0;
    if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Right)
        step = 1;
    else if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Left)
        step = -1;
    if (step == 0 || event->modifiers() != Qt::NoModifier) {
        QRadioButton::keyPressEvent(event);
        return;
    }
    const int count = m_array.count();
    const int next = (m_index + step + count) % count;
    OptionButton &target = m_array[next];
    target.setFocus(Qt::TabFocusReason);
    target.click();
    event->accept();
}

OptionButton *OptionArray::add(QWidget *parent, const QString &caption, QRect twips)
{
    auto *button = new OptionButton(*this, count(), parent, caption, twips);
    m_buttons.push_back(button);
    return button;
}

OptionButton &OptionArray::operator[](int index) const
{
    if (index < 0 || index >= count())
        throw RuntimeError::invalidArgument(
            QStringLiteral("control array element %1 does not exist").arg(index));
    return *m_buttons[static_cast<std::size_t>(index)];
}

void OptionArray::setClickHandler(std::function<void(std::int16_t)> handler)
{
    m_click = std::move(handler);
}

void OptionArray::select(int index)
{
    for (int i = 0; i < count(); ++i)
        m_buttons[static_cast<std::size_t>(i)]->setChecked(i == index);
    if (m_click)
        m_click(static_cast<std::int16_t>(index));
}

CommandButton::CommandButton(QWidget *parent, const QString &name, const QString &caption,
                             QRect twips)
    : QPushButton(caption, parent)
{
    place(this, name, twips);
    setAutoDefault(false);
}

void CommandButton::setCaption(const QString &caption)
{
    setText(caption);
    update();
}

QSize CommandButton::sizeHint() const
{
    return size();
}

void CommandButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    // QPushButton never wraps; the caption is drawn here so that it can take two lines.
    const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(area.adjusted(1, 0, -1, 0), flags, caption);
}

void CommandButton::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // Enter on a focused button presses that button, not the window's default one.
        click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

Label::Label(QWidget *parent, const QString &name, const QString &caption, QRect twips,
             Qt::Alignment alignment, QWidget *partner)
    : QLabel(parent)
{
    place(this, name, twips);
    setTextFormat(Qt::PlainText);
    setAlignment(alignment | Qt::AlignTop);
    if (partner) {
        setText(caption);
        setBuddy(partner);
        if (partner->accessibleName().isEmpty())
            partner->setAccessibleName(withoutAccessKey(caption));
    } else {
        setText(withoutAccessKey(caption));
    }
    m_designRect = twips;
    fitToCaption();
}

void Label::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitToCaption();
}

void Label::fitToCaption()
{
    setGeometry(m_designRect);
    // Room for one line only: wrapping would cut the second line off, so widen instead,
    // about the centre for a centred caption.
    const bool oneLine = height() < 2 * fontMetrics().lineSpacing();
    setWordWrap(!oneLine);
    if (!oneLine)
        return;
    const int needed = sizeHint().width();
    if (needed <= width())
        return;
    if (alignment() & Qt::AlignHCenter)
        setGeometry(x() - (needed - width() + 1) / 2, y(), needed, height());
    else
        resize(needed, height());
}

Frame::Frame(QWidget *parent, const QString &name, const QString &caption, QRect twips)
    : QGroupBox(caption, parent)
{
    place(this, name, twips);
    setFlat(false);
}

Image::Image(QWidget *parent, const QString &name, QRect twips) : QWidget(parent)
{
    place(this, name, twips);
}

void Image::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    update();
}

void Image::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawPixmap(rect(), m_picture);
}

} // namespace platform
