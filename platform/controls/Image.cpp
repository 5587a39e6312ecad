#include "platform/controls/Image.h"

#include "platform/controls/placement.h"

#include <QPainter>

namespace platform {

Image::Image(QWidget *parent, const QString &name, QRect geometry) : QLabel(parent)
{
    place(this, name, geometry);
    setScaledContents(true);
}

void Image::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawFrame(&painter);
    painter.drawPixmap(contentsRect(), pixmap());
}

} // namespace platform
