#include "platform/accessibility/interfaces.h"
#include "platform/forms/accessKey.h"
#include "platform/forms/Form.h"
#include "platform/forms/modality.h"

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStyle>
#include <QWindow>

namespace platform {

namespace {

// The menu or menu bar of a form that holds the item or menu title; nothing for any other
// action, and for separators, which Qt presents well and which do nothing.
QWidget *formMenuOf(const QAction *action)
{
    if (!action || action->isSeparator())
        return nullptr;
    for (QObject *object : action->associatedObjects()) {
        if (!qobject_cast<QMenu *>(object) && !qobject_cast<QMenuBar *>(object))
            continue;
        auto *menu = static_cast<QWidget *>(object);
        for (const QWidget *owner = menu; owner; owner = owner->parentWidget()) {
            if (qobject_cast<const Form *>(owner))
                return menu;
        }
    }
    return nullptr;
}

// A menu item or menu title as Qt presents it (name, role, states, actions), with two
// differences. An item's press is posted: Qt triggers the item inside the assistive
// technology's call, so a window the handler opens would hold the caller until it closed,
// and the menu would stay open. And nothing acts while a modal window blocks the form.
class MenuItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    explicit MenuItemAccessible(QAction *action) : m_action(action) {}

    bool isValid() const override { return m_action && owner(); }
    QObject *object() const override { return m_action; }
    QWindow *window() const override
    {
        for (const QWidget *widget = owner(); widget; widget = widget->parentWidget()) {
            if (QWindow *handle = widget->windowHandle())
                return handle;
        }
        return nullptr;
    }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(owner());
    }
    // A menu title holds its menu.
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 && menu() ? QAccessible::queryAccessibleInterface(menu()) : nullptr;
    }
    int childCount() const override { return menu() ? 1 : 0; }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && menu() && child->object() == menu() ? 0 : -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        QAccessibleInterface *held = child(0);
        return held && held->rect().contains(x, y) ? held : nullptr;
    }

    QString text(QAccessible::Text type) const override
    {
        if (!m_action)
            return QString();
        const QString caption = m_action->text();
        switch (type) {
        case QAccessible::Name:
            return withoutAccessKey(caption);
        case QAccessible::Accelerator:
            if (!m_action->shortcut().isEmpty())
                return m_action->shortcut().toString();
            return accessKeyText(caption);
        default:
            return QString();
        }
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        QWidget *own = owner();
        if (!own)
            return QRect();
        const QRect local = menuBar() ? menuBar()->actionGeometry(m_action)
                                      : static_cast<QMenu *>(own)->actionGeometry(m_action);
        return local.translated(own->mapToGlobal(QPoint(0, 0)));
    }
    QAccessible::Role role() const override { return QAccessible::MenuItem; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        QWidget *own = owner();
        if (!m_action || !own)
            return state;
        state.invisible = !own->testAttribute(Qt::WA_WState_Visible) || !m_action->isVisible();
        state.focused = (menuBar() ? menuBar()->activeAction()
                                   : static_cast<QMenu *>(own)->activeAction()) == m_action;
        state.hotTracked = own->style()->styleHint(QStyle::SH_Menu_MouseTracking, nullptr, own);
        state.disabled = !m_action->isEnabled();
        state.checked = m_action->isChecked();
        state.checkable = m_action->isCheckable();
        return state;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface
                   ? static_cast<QAccessibleActionInterface *>(this)
                   : nullptr;
    }
    QStringList actionNames() const override
    {
        if (!m_action)
            return {};
        return {menu() ? showMenuAction() : pressAction()};
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
    void doAction(const QString &actionName) override
    {
        QWidget *own = owner();
        if (!m_action || !m_action->isEnabled() || isBlockedByModalWindow(own))
            return;
        if (actionName == showMenuAction() && menu()) {
            if (menu()->isVisible())
                menu()->hide();
            else if (menuBar())
                menuBar()->setActiveAction(m_action);
            return;
        }
        if (actionName != pressAction() || menu())
            return;
        // As after a click, the menu closes before the handler runs.
        if (own->isVisible())
            own->hide();
        QMetaObject::invokeMethod(
            m_action,
            [action = m_action, owner = QPointer<QWidget>(own)] {
                // A modal window may have come up since the press.
                if (action && action->isEnabled() && owner && !isBlockedByModalWindow(owner))
                    action->trigger();
            },
            Qt::QueuedConnection);
    }

private:
    QWidget *owner() const { return formMenuOf(m_action); }
    QMenuBar *menuBar() const { return qobject_cast<QMenuBar *>(owner()); }
    QMenu *menu() const { return m_action ? m_action->menu() : nullptr; }

    QPointer<QAction> m_action;
};

} // namespace

QAccessibleInterface *accessibility::menuItemInterface(const QString &className, QObject *object)
{
    auto *action = qobject_cast<QAction *>(object);
    if (className == QLatin1String(QAction::staticMetaObject.className()) && formMenuOf(action))
        return new MenuItemAccessible(action);
    return nullptr;
}

} // namespace platform
