#include "platform/controls/shortcut.h"

#include <QAbstractButton>
#include <QShortcutEvent>

namespace platform {

bool pressByAccessKey(QAbstractButton *button, QEvent *event)
{
    if (static_cast<QShortcutEvent *>(event)->isAmbiguous())
        return false;
    button->click();
    button->setFocus(Qt::ShortcutFocusReason);
    return true;
}

} // namespace platform
