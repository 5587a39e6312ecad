#include "support/Heard.h"

#include <QAccessibleInterface>
#include <QMetaEnum>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace testing {

namespace {

// Each event kept as its kind and the row it names.
std::vector<std::pair<QAccessible::Event, int>> recorded;

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
    if (const std::optional<int> entry = entryOf(event))
        recorded.emplace_back(event->type(), *entry);
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
    QStringList events;
    for (const auto &[kind, row] : std::exchange(recorded, {})) {
        const char *name = QMetaEnum::fromType<QAccessible::Event>().valueToKey(kind);
        events << QStringLiteral("%1 %2").arg(QLatin1String(name ? name : "?")).arg(row);
    }
    return events;
}

bool Heard::namesEntry(int row) const
{
    return std::any_of(recorded.begin(), recorded.end(), [row](const auto &event) {
        return event.second == row && (event.first == QAccessible::Focus ||
                                       event.first == QAccessible::DescriptionChanged);
    });
}

} // namespace testing
