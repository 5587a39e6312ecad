#include "platform/controls/placement.h"

#include <QWidget>

namespace platform {

void place(QWidget *widget, const QString &name, QRect geometry)
{
    widget->setObjectName(name);
    widget->setGeometry(geometry);
}

void fitCaption(QWidget *widget)
{
    const int needed = widget->sizeHint().width();
    if (needed > widget->width())
        widget->resize(needed, widget->height());
}

} // namespace platform
