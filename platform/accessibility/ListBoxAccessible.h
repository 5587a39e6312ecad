#pragma once

#include "platform/controls/ListBox.h"
#include "platform/forms/modality.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QList>

// The list box as a screen reader finds it; its entries are in ListEntryAccessible.h. Only this
// folder uses them.
namespace platform {

constexpr bool HasSelectionInterface = QT_VERSION >= QT_VERSION_CHECK(6, 5, 0);

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
QVariant setAttributes(int position, int size);
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

} // namespace platform
