#include "platform/services/focusReturn.h"

#include <QApplication>
#include <QMenuBar>
#include <QWindow>

namespace platform {

void requestActivation(QWidget *window)
{
    if (QWindow *handle = window ? window->windowHandle() : nullptr)
        handle->requestActivate();
}

namespace {

// The first control that Tab reaches, for a window whose focus control has gone.
QWidget *firstControl(QWidget *window)
{
    for (QWidget *widget = window->nextInFocusChain(); widget && widget != window;
         widget = widget->nextInFocusChain()) {
        if (widget->window() == window && !qobject_cast<QMenuBar *>(widget) &&
            widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus))
            return widget;
    }
    return nullptr;
}

} // namespace

FocusReturn::FocusReturn()
    : m_window(QApplication::activeWindow()),
      m_control(m_window ? m_window->focusWidget() : nullptr)
{
    // A menu bar holds the focus only while the user walks it; the walk ends with the window.
    if (qobject_cast<QMenuBar *>(m_control.data()))
        m_control = nullptr;
}

void FocusReturn::restore() const
{
    if (!m_window || !m_window->isVisible())
        return;
    QWidget *control = m_control.data();
    if (!control || !control->isVisible() || !control->isEnabled() || control->window() != m_window)
        control = nullptr;
    if (!control)
        control = firstControl(m_window);
    if (control) {
        // While the window is inactive this only names the control that the activation will
        // focus; Qt would otherwise pick the window's menu bar or its first control.
        control->setFocus(Qt::ActiveWindowFocusReason);
    }
    requestActivation(m_window);
}

} // namespace platform
