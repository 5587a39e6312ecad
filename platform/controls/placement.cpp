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

QString withoutAccessKey(QString caption)
{
    QString result;
    result.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) {
            ++i;
        }
        result.append(caption[i]);
    }
    return result;
}

} // namespace platform
