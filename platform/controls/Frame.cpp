#include "platform/controls/Frame.h"

#include "platform/controls/placement.h"

namespace platform {

Frame::Frame(QWidget *parent, const QString &name, const QString &caption, QRect geometry)
    : QGroupBox(caption, parent)
{
    place(this, name, geometry);
}

} // namespace platform
