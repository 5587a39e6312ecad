#pragma once

#include <QString>

class QAccessibleInterface;
class QObject;

namespace platform {

// Accessibility factory for command buttons, option buttons and check boxes.
QAccessibleInterface *accessibleButton(const QString &className, QObject *object);
// Installs it once; each of those controls calls this when it is made.
void installButtonAccessibility();

} // namespace platform
