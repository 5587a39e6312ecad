#pragma once

#include "platform/accessibility/ListBoxAccessible.h"

#include <QPointer>

namespace platform {

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

} // namespace platform
