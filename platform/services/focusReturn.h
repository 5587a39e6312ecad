#pragma once

#include <QPointer>
#include <QWidget>

namespace platform {

// Where the keyboard goes back to when a modal window closes: the window that was active when
// it opened, on the control that had the focus there. Qt leaves it to the window manager, which
// may hand the focus back late, to another window or not at all, and Qt then puts it on the
// window's menu bar or nowhere; a screen reader user would not know where the next key goes.
class FocusReturn
{
public:
    // Records the active window and its focus control.
    FocusReturn();
    // Gives the recorded control the focus again and asks for its window to be activated.
    // Nothing happens when that window has gone or is hidden.
    void restore() const;

private:
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_control;
};

// Keeps, for each window, the last control other than its menu bar that had the focus, which a
// window given back its focus returns to when its menu bar holds the focus meanwhile.
void trackFocusedControls();

// Asks the platform to activate the window, even while Qt's own record (which lags the
// platform's focus events) still counts it as active.
void requestActivation(QWidget *window);

} // namespace platform
