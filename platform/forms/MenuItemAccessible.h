#pragma once

#include <QString>

class QAccessibleInterface;
class QObject;

namespace platform {

// Accessibility factory for the items and titles of a form's menus; the first form installs it.
QAccessibleInterface *accessibleMenuItem(const QString &className, QObject *object);

} // namespace platform
