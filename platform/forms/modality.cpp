#include "platform/forms/modality.h"

#include <QApplication>
#include <QWidget>

namespace platform {

bool isBlockedByModalWindow(const QWidget *widget)
{
    const QWidget *modal = QApplication::activeModalWidget();
    if (!widget || !modal)
        return false;
    // Climbing past the window reaches its owner: a menu's owner is the window of its bar.
    for (const QWidget *ancestor = widget; ancestor; ancestor = ancestor->parentWidget()) {
        if (ancestor == modal)
            return false;
    }
    return true;
}

} // namespace platform
