#include "platform/services/focusReturn.h"

#include <QApplication>
#include <QHash>
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

QHash<const QWidget *, QPointer<QWidget>> &lastControls()
{
    static QHash<const QWidget *, QPointer<QWidget>> controls;
    return controls;
}

} // namespace

void trackFocusedControls()
{
    static bool tracking = false;
    if (tracking || !qApp)
        return;
    tracking = true;
    QObject::connect(qApp, &QApplication::focusChanged, qApp, [](QWidget *, QWidget *now) {
        if (now && !qobject_cast<QMenuBar *>(now))
            lastControls().insert(now->window(), now);
    });
}

FocusReturn::FocusReturn()
    : m_window(QApplication::activeWindow()),
      m_control(m_window ? m_window->focusWidget() : nullptr)
{
    // A menu bar holds the focus only while the user walks it (or for a stray release of Alt):
    // the walk ends with the window, and the focus goes back to where it was before.
    if (qobject_cast<QMenuBar *>(m_control.data()))
        m_control = lastControls().value(m_window.data());
}

void FocusReturn::restore() const
{
    if (!m_window || !m_window->isVisible())
        return;
    QWidget *control = m_control.data();
    if (!control || !control->isVisible() || !control->isEnabled() || control->window() != m_window)
        control = firstControl(m_window);
    if (control) {
        // While the window is inactive this only names the control that the activation will
        // focus; Qt would otherwise pick the window's menu bar or its first control.
        control->setFocus(Qt::ActiveWindowFocusReason);
    }
    requestActivation(m_window);
}

} // namespace platform
