#include "platform/accessibility/Accessibility.h"

#include "platform/accessibility/interfaces.h"

#include <QAccessible>

namespace platform {

namespace {

// Qt asks with the object's own class name first, then with each base class's in turn.
QAccessibleInterface *programInterface(const QString &className, QObject *object)
{
    using namespace accessibility;
    if (!object)
        return nullptr;
    for (const auto make : {formInterface, menuItemInterface, buttonInterface, textInterface,
                            listBoxInterface, comboBoxInterface, labelInterface}) {
        if (QAccessibleInterface *found = make(className, object))
            return found;
    }
    return nullptr;
}

} // namespace

void installAccessibility()
{
    static const bool installed = (QAccessible::installFactory(programInterface), true);
    Q_UNUSED(installed);
}

} // namespace platform
