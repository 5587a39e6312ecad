#include "platform/accessibility/interfaces.h"
#include "platform/accessibility/ListEntryAccessible.h"

#include <algorithm>

namespace platform {

constexpr qsizetype KeptRemovedEntries = 64;
constexpr qsizetype SettleAfter = 256;

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
