#pragma once

#include <QString>

class QAccessibleInterface;
class QObject;

namespace platform {

// Accessibility factory for text boxes and the edit field of a combo box.
QAccessibleInterface *accessibleText(const QString &className, QObject *object);
// Installs it once; each of those controls calls this when it is made.
void installTextAccessibility();

} // namespace platform
