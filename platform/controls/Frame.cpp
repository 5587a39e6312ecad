#include "platform/controls/Frame.h"

#include "platform/controls/placement.h"

#include <QKeyEvent>

namespace platform {

Frame::Frame(QWidget *parent, const QString &name, const QString &caption, QRect geometry)
    : QGroupBox(caption, parent)
{
    place(this, name, geometry);
}

bool Frame::event(QEvent *event)
{
    // Under the GNOME platform theme a group box takes Enter for a check box it does not have.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            event->ignore();
            return false;
        }
    }
    return QGroupBox::event(event);
}

} // namespace platform
