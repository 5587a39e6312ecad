#pragma once

#include <QString>

class QAccessibleInterface;
class QObject;

// The makers the one factory asks in turn, each for the controls it knows by class name;
// nullptr for any other object. Only this folder uses them.
namespace platform::accessibility {

QAccessibleInterface *formInterface(const QString &className, QObject *object);
QAccessibleInterface *menuItemInterface(const QString &className, QObject *object);
QAccessibleInterface *buttonInterface(const QString &className, QObject *object);
QAccessibleInterface *textInterface(const QString &className, QObject *object);
QAccessibleInterface *listBoxInterface(const QString &className, QObject *object);
QAccessibleInterface *comboBoxInterface(const QString &className, QObject *object);
QAccessibleInterface *labelInterface(const QString &className, QObject *object);

} // namespace platform::accessibility
