#pragma once

#include <QString>

class QAccessibleInterface;
class QObject;

namespace platform {
class Label;
}

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

// Whether the label is one of the texts a dialog shows about itself (no control of its own,
// not the window's title): the dialog's description is made of them.
bool describesItsWindow(const Label *label);

} // namespace platform::accessibility
