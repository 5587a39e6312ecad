#include "platform/controls/CheckBox.h"

#include "platform/controls/placement.h"
#include "platform/controls/shortcut.h"
#include "platform/core/RuntimeError.h"

#include <QKeyEvent>

namespace platform {

CheckBox::CheckBox(QWidget *parent, const QString &name, const QString &caption, QRect geometry)
    : QCheckBox(caption, parent)
{
    place(this, name, geometry);
    fitCaption(this);
}

int CheckBox::Value() const
{
    switch (checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    }
    return 0;
}

void CheckBox::setValue(int value)
{
    if (value < 0 || value > 2)
        throw RuntimeError::invalidArgument(
            QStringLiteral("%1 is not a check box value (0, 1 or 2)").arg(value));
    setTristate(value == 2);
    setCheckState(value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked);
}

void CheckBox::nextCheckState()
{
    // The user only toggles between unchecked and checked; grayed is set from code.
    const bool wasChecked = checkState() == Qt::Checked;
    setTristate(false);
    setCheckState(wasChecked ? Qt::Unchecked : Qt::Checked);
}

bool CheckBox::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut && pressByAccessKey(this, event))
        return true;
    return QCheckBox::event(event);
}

void CheckBox::keyPressEvent(QKeyEvent *event)
{
    // The GNOME platform theme would press the box on Enter.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    QCheckBox::keyPressEvent(event);
}

} // namespace platform
