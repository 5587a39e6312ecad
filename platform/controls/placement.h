#pragma once

#include <QRect>
#include <QString>

class QWidget;

// What every control does when it is created: take its name and its place in the parent.
namespace platform {

void place(QWidget *widget, const QString &name, QRect geometry);

// A caption is never cut off: a control too narrow for its caption in this font grows to fit.
void fitCaption(QWidget *widget);

} // namespace platform
