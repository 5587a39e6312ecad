#pragma once

#include <QString>

class QAccessibleInterface;
class QObject;

namespace platform {

// Accessibility factory for list boxes; the list box installs it when the first one is made.
QAccessibleInterface *accessibleListBox(const QString &className, QObject *object);

} // namespace platform
