#include "platform/accessibility/ListEntryAccessible.h"

#include <QHash>

namespace platform {

#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
QVariant setAttributes(int position, int size)
{
    QHash<QString, QString> attributes{{QStringLiteral("setsize"), QString::number(size)}};
    if (position > 0)
        attributes.insert(QStringLiteral("posinset"), QString::number(position));
    return QVariant::fromValue(attributes);
}
#endif

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

} // namespace platform
