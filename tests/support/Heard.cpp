#include "support/Heard.h"

#include <QAccessibleInterface>
#include <QMetaEnum>

#include <optional>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace testing {

namespace {

QStringList recorded;

QPlatformAccessibility *platformAccessibility()
{
    QPlatformIntegration *integration = QGuiApplicationPrivate::platformIntegration();
    return integration ? integration->accessibility() : nullptr;
}

// The row an event names, -1 for an entry no longer in its list, or nothing.
std::optional<int> entryOf(QAccessibleEvent *event)
{
    if (event->type() == QAccessible::TableModelChanged)
        return static_cast<QAccessibleTableModelChangeEvent *>(event)->firstRow();
    if (event->child() >= 0)
        return event->child();
    QAccessibleInterface *object = event->accessibleInterface();
    if (object && object->role() == QAccessible::ListItem)
        return object->parent() ? object->parent()->indexOfChild(object) : -1;
    return std::nullopt;
}

void record(QAccessibleEvent *event)
{
    const std::optional<int> entry = entryOf(event);
    if (!entry)
        return;
    const char *name = QMetaEnum::fromType<QAccessible::Event>().valueToKey(event->type());
    recorded << QStringLiteral("%1 %2").arg(QLatin1String(name ? name : "?")).arg(*entry);
}

} // namespace

Heard::Heard()
{
    recorded.clear();
    QAccessible::installUpdateHandler(record);
    if (QPlatformAccessibility *accessibility = platformAccessibility())
        accessibility->setActive(true);
}

Heard::~Heard()
{
    if (QPlatformAccessibility *accessibility = platformAccessibility())
        accessibility->setActive(false);
    QAccessible::installUpdateHandler(nullptr);
    recorded.clear();
}

QStringList Heard::take()
{
    return std::exchange(recorded, {});
}

bool Heard::namesEntry(int row) const
{
    const QString entry = QStringLiteral(" %1").arg(row);
    return recorded.contains(QLatin1String("Focus") + entry) ||
           recorded.contains(QLatin1String("DescriptionChanged") + entry);
}

} // namespace testing
