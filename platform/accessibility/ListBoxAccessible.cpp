#include "platform/accessibility/interfaces.h"

#include "platform/controls/ListBox.h"
#include "platform/forms/modality.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

#include <algorithm>

namespace platform {

constexpr bool HasSelectionInterface = QT_VERSION >= QT_VERSION_CHECK(6, 5, 0);
constexpr qsizetype KeptRemovedEntries = 64;
constexpr qsizetype SettleAfter = 256;

#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
using SelectionInterface = QAccessibleSelectionInterface;
#else
// Qt 6.4 has no selection interface; selections go through the table interface alone.
class SelectionInterface
{
};
#endif

#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
using AttributesInterface = QAccessibleAttributesInterface;

// The place of an entry and the number of entries, given by the list as it is now: a screen
// reader that counts the children itself may count from what it kept of an earlier list (Orca 48
// keeps the entries it counted until a timer clears them, so after a remove it said "1 of 2" where
// one entry was left).
namespace {
QVariant setAttributes(int position, int size)
{
    QHash<QString, QString> attributes{{QStringLiteral("setsize"), QString::number(size)}};
    if (position > 0)
        attributes.insert(QStringLiteral("posinset"), QString::number(position));
    return QVariant::fromValue(attributes);
}
} // namespace
#else
// Qt 6.4 passes no object attributes to the platform.
class AttributesInterface
{
};
#endif

class ListEntryAccessible;

// What a screen reader finds for a list box: a list whose children are its entries. Like Qt's
// own list views it also offers the table interface, through which selections and changes of
// rows reach the platform's accessibility bridge; from Qt 6.5 on also the selection interface.
class ListBoxAccessible : public QAccessibleWidget,
                          public QAccessibleTableInterface,
                          public SelectionInterface,
                          public AttributesInterface
{
public:
    explicit ListBoxAccessible(ListBox *list) : QAccessibleWidget(list, QAccessible::List) {}
    ~ListBoxAccessible() override { dropEntries(); }
    Q_DISABLE_COPY_MOVE(ListBoxAccessible)

    void *interface_cast(QAccessible::InterfaceType type) override;

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
        return changeSelection(row);
    }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override
    {
        if (!isRowSelected(row))
            return false;
        return changeSelection(-1);
    }
    bool unselectColumn(int) override { return false; }
    void doAction(const QString &actionName) override
    {
        if (!isBlockedByModalWindow(list()))
            QAccessibleWidget::doAction(actionName);
    }

    // With a screen reader listening, every entry added or removed is told here: the entries
    // handed out keep their identity and move with their rows, and a removed one stays, defunct,
    // so that a screen reader that still holds it is told it is gone rather than not found.
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    // One selected entry at most, as with the table interface.
    int selectedItemCount() const override
    {
        return selectedCellCount();
    }
    QList<QAccessibleInterface *> selectedItems() const override
    {
        return selectedCells();
    }
    QAccessibleInterface *selectedItem(int selectionIndex) const override
    {
        return selectionIndex == 0 ? child(list()->ListIndex()) : nullptr;
    }
    bool isSelected(QAccessibleInterface *childItem) const override
    {
        return isRowSelected(indexOfChild(childItem));
    }
    bool select(QAccessibleInterface *childItem) override
    {
        return selectRow(indexOfChild(childItem));
    }
    bool unselect(QAccessibleInterface *childItem) override
    {
        return unselectRow(indexOfChild(childItem));
    }
    // All entries can be selected at once only when there is just one.
    bool selectAll() override
    {
        return list()->ListCount() == 1 && changeSelection(0);
    }
    bool clear() override
    {
        return changeSelection(-1);
    }
#endif
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QList<QAccessible::Attribute> attributeKeys() const override
    {
        return {QAccessible::Attribute::Custom};
    }
    QVariant attributeValue(QAccessible::Attribute key) const override
    {
        return key == QAccessible::Attribute::Custom ? setAttributes(0, list()->ListCount())
                                                     : QVariant();
    }
#endif

private:
    ListBox *list() const
    {
        return static_cast<ListBox *>(widget());
    }
    // Every selection change a screen reader asks for ends here, on the path of a click: the
    // current entry moves with it, the list scrolls to it and announces the change. -1 clears.
    // Behind a modal window nothing changes, as for a click.
    bool changeSelection(int row)
    {
        if (isBlockedByModalWindow(list()))
            return false;
        if (row >= 0) {
            list()->setCurrent(row);
            list()->scrollToEntry(row);
        }
        list()->select(row);
        return true;
    }
    void dropEntries() const
    {
        for (const QAccessible::Id id : std::as_const(m_ids)) {
            if (id)
                QAccessible::deleteAccessibleInterface(id);
        }
        for (const QAccessible::Id id : std::as_const(m_removed))
            QAccessible::deleteAccessibleInterface(id);
        m_ids.clear();
        m_removed.clear();
        m_changes.clear();
    }
    // Brings an entry's row up to date with the changes told since it was last asked.
    void catchUp(const ListEntryAccessible &entry) const;
    // Every entry up to date, the changes forgotten: often enough that the record of changes
    // stays shorter than the list, seldom enough that it costs each change next to nothing.
    void settle() const;

    // The entry handed out for each row (0 where none was), for the list as it was at
    // m_generation; empty until the first is handed out. Changes made while no screen reader
    // listened drop them all (child()).
    mutable QList<QAccessible::Id> m_ids;
    // The changes told since m_settled, one a generation: a row inserted (n) or removed (~n).
    // An entry's own row catches up with them only when it is asked, so that a change costs
    // the same however many entries were handed out.
    mutable QList<int> m_changes;
    mutable quint64 m_settled = 0;
    // Entries removed lately, oldest first: they answer as defunct to a screen reader that
    // still holds one. A screen reader is told at once; one that still holds an entry a few
    // dozen removes later holds it no more.
    mutable QList<QAccessible::Id> m_removed;
    mutable quint64 m_generation = 0;
    friend class ListEntryAccessible;
};

// One entry of a list box for a screen reader: its text, whether it is selected or current.
class ListEntryAccessible : public QAccessibleInterface,
                            public QAccessibleTableCellInterface,
                            public AttributesInterface
{
public:
    ListEntryAccessible(const ListBoxAccessible *owner, ListBox *list, int row)
        : m_owner(owner), m_list(list), m_row(row), m_generation(owner->m_generation),
          m_text(list->List(row))
    {}
    Q_DISABLE_COPY_MOVE(ListEntryAccessible)

    // Its row now, or -1 once removed.
    int row() const
    {
        if (m_row >= 0 && m_list)
            m_owner->catchUp(*this);
        return m_row;
    }
    const ListBox *list() const { return m_list; }

    void *interface_cast(QAccessible::InterfaceType type) override;

    // An entry whose row moved since it was handed out is no longer the same entry. A removed
    // one still answers, as defunct, for as long as its list lives.
    bool isValid() const override
    {
        if (removed())
            return m_list;
        return m_list && m_owner->m_generation == m_list->m_generation &&
               row() < m_list->ListCount();
    }
    bool removed() const { return m_row < 0; }
    // Valid and still in its list: the only state in which it has a place, a state and a row.
    bool inList() const { return isValid() && !removed(); }
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
        if (type == QAccessible::Name && isValid())
            return m_text;
        // Its selected state in words, read with the entry and told as a change when a key
        // selects the entry the keyboard stands on. With a selection interface (Qt 6.5) screen
        // readers say "not selected" themselves.
        if (type == QAccessible::Description && inList()) {
            if (isSelected())
                return QStringLiteral("selected");
            if (!HasSelectionInterface)
                return QStringLiteral("not selected");
        }
        return QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        if (!inList())
            return QRect();
        const QRect local = m_list->entryRect(m_row);
        return QRect(m_list->viewport()->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!inList()) {
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

    bool isSelected() const override { return inList() && m_row == m_list->ListIndex(); }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowIndex() const override { return row(); }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QList<QAccessible::Attribute> attributeKeys() const override
    {
        if (!inList())
            return {};
        return {QAccessible::Attribute::Custom};
    }
    QVariant attributeValue(QAccessible::Attribute key) const override
    {
        if (key != QAccessible::Attribute::Custom || !inList())
            return QVariant();
        return setAttributes(m_row + 1, m_list->ListCount());
    }
#endif

private:
    friend class ListBoxAccessible;
    // Lives no longer than its owner, which deletes the entries it handed out.
    const ListBoxAccessible *m_owner;
    QPointer<ListBox> m_list;
    mutable int m_row;
    // The owner's generation m_row is right for.
    mutable quint64 m_generation;
    // An entry's text never changes; kept so that a removed entry still says what it was.
    QString m_text;
};

void *ListEntryAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface *>(this);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    if (type == QAccessible::AttributesInterface)
        return static_cast<QAccessibleAttributesInterface *>(this);
#endif
    return nullptr;
}

void *ListBoxAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    if (type == QAccessible::SelectionInterface)
        return static_cast<QAccessibleSelectionInterface *>(this);
#endif
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    if (type == QAccessible::AttributesInterface)
        return static_cast<QAccessibleAttributesInterface *>(this);
#endif
    return QAccessibleWidget::interface_cast(type);
}

void ListBoxAccessible::modelChange(QAccessibleTableModelChangeEvent *event)
{
    const auto type = event->modelChangeType();
    const bool inserted = type == QAccessibleTableModelChangeEvent::RowsInserted;
    const bool removed = type == QAccessibleTableModelChangeEvent::RowsRemoved;
    // Entries are told of one change at a time; anything else starts afresh in child().
    if (!(inserted || removed) || event->firstRow() != event->lastRow() ||
        m_generation + 1 != list()->m_generation)
        return;
    const int changed = event->firstRow();
    ++m_generation;
    if (m_ids.isEmpty()) {
        // Nothing handed out (or nothing left): nothing to follow.
        m_changes.clear();
        m_settled = m_generation;
    } else {
        m_changes << (inserted ? changed : ~changed);
        if (inserted) {
            m_ids.insert(changed, 0);
        } else if (const QAccessible::Id id = m_ids.takeAt(changed)) {
            auto *entry = static_cast<ListEntryAccessible *>(QAccessible::accessibleInterface(id));
            entry->m_row = -1;
            m_removed << id;
            if (m_removed.size() > KeptRemovedEntries)
                QAccessible::deleteAccessibleInterface(m_removed.takeFirst());
            // Announced as a child gone, so that a screen reader counts the entries anew.
            QAccessibleEvent gone(entry, QAccessible::ObjectDestroyed);
            QAccessible::updateAccessibility(&gone);
        }
        if (m_changes.size() > std::max<qsizetype>(SettleAfter, m_ids.size()))
            settle();
    }
    if (inserted) {
        QAccessibleEvent added(list(), QAccessible::ObjectCreated);
        added.setChild(changed);
        QAccessible::updateAccessibility(&added);
    }
}

void ListBoxAccessible::catchUp(const ListEntryAccessible &entry) const
{
    for (quint64 generation = entry.m_generation; generation < m_generation; ++generation) {
        const int change = m_changes.at(qsizetype(generation - m_settled));
        if (change >= 0 ? entry.m_row >= change : entry.m_row > ~change)
            entry.m_row += change >= 0 ? 1 : -1;
    }
    entry.m_generation = m_generation;
}

void ListBoxAccessible::settle() const
{
    for (qsizetype row = 0; row < m_ids.size(); ++row) {
        if (const QAccessible::Id id = m_ids.at(row)) {
            auto *entry = static_cast<ListEntryAccessible *>(QAccessible::accessibleInterface(id));
            entry->m_row = int(row);
            entry->m_generation = m_generation;
        }
    }
    m_changes.clear();
    m_settled = m_generation;
}

QAccessibleInterface *ListBoxAccessible::child(int index) const
{
    if (index < 0 || index >= list()->ListCount())
        return nullptr;
    if (m_generation != list()->m_generation) {
        dropEntries();
        m_generation = list()->m_generation;
        m_settled = m_generation;
    }
    if (m_ids.isEmpty())
        m_ids.resize(list()->ListCount());
    if (const QAccessible::Id id = m_ids.at(index))
        return QAccessible::accessibleInterface(id);
    auto *entry = new ListEntryAccessible(this, list(), index);
    m_ids[index] = QAccessible::registerAccessibleInterface(entry);
    return entry;
}

int ListBoxAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const auto *entry = dynamic_cast<const ListEntryAccessible *>(child);
    return entry && entry->inList() && entry->list() == list() ? entry->row() : -1;
}

QAccessibleInterface *accessibility::listBoxInterface(const QString &className, QObject *object)
{
    if (object && object->isWidgetType() &&
        className == QLatin1String(ListBox::staticMetaObject.className()))
        return new ListBoxAccessible(static_cast<ListBox *>(object));
    return nullptr;
}

} // namespace platform
