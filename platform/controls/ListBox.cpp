#include "platform/controls/ListBox.h"

#include "platform/controls/collation.h"
#include "platform/controls/ListEntries.h"
#include "platform/controls/placement.h"
#include "platform/core/RuntimeError.h"

#include <QAccessible>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionViewItem>

#include <algorithm>

namespace platform {

namespace {

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

ListBox::ListBox(QWidget *parent, const QString &name, QRect geometry, Sorting sorting)
    : QAbstractScrollArea(parent), m_entries(std::make_unique<ListEntries>()), m_sorting(sorting)
{
    place(this, name, geometry);
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
        [&text](const ListEntries::Entry &entry) { return entry.text == text; });
}

int ListBox::findItemData(std::int32_t value) const
{
    return m_entries->findFirst(
        [value](const ListEntries::Entry &entry) { return entry.data == value; });
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
    announceCurrent();
}

void ListBox::announceCurrent()
{
    m_announcePending = false;
    if (m_current < 0 || !hasFocus() || !QAccessible::isActive())
        return;
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(m_current);
    QAccessible::updateAccessibility(&event);
}

void ListBox::announceSelectedState()
{
    if (m_current < 0 || !hasFocus() || !QAccessible::isActive())
        return;
#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
    // Qt 6.4's bridge sends a changed description without its text, so the entry is named
    // again instead, by the focus passing through the list to it.
    QAccessibleEvent event(this, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
    announceCurrent();
#else
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(this);
    if (QAccessibleInterface *entry = list ? list->child(m_current) : nullptr) {
        // Screen readers speak a changed description of the object they stand on.
        QAccessibleEvent event(entry, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
#endif
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

} // namespace platform
