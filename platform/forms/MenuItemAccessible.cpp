#include "platform/forms/MenuItemAccessible.h"

#include "platform/forms/accessKey.h"
#include "platform/forms/Form.h"
#include "platform/forms/modality.h"

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QStyle>
#include <QWindow>

namespace platform {

namespace {

// The menu a leaf item of a form's menu sits in, or nothing for any other action.
QMenu *formMenuOf(const QAction *action)
{
    if (!action || action->menu() || action->isSeparator())
        return nullptr;
    for (QObject *object : action->associatedObjects()) {
        auto *menu = qobject_cast<QMenu *>(object);
        if (!menu)
            continue;
        for (const QWidget *owner = menu; owner; owner = owner->parentWidget()) {
            if (qobject_cast<const Form *>(owner))
                return menu;
        }
    }
    return nullptr;
}

// A menu item as Qt presents it (name, role, states), except that its press is posted: Qt
// triggers the item inside the assistive technology's call, so a window the handler opens
// would hold the caller until it closed, and the menu would stay open.
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
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text type) const override
    {
        if (!m_action)
            return QString();
        const QString caption = m_action->text();
        const qsizetype key = accessKeyIndex(caption);
        switch (type) {
        case QAccessible::Name: {
            QString name = caption;
            if (key >= 0)
                name.remove(key, 1);
            return name.replace(QStringLiteral("&&"), QStringLiteral("&"));
        }
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
        QMenu *menu = owner();
        return menu ? menu->actionGeometry(m_action).translated(menu->mapToGlobal(QPoint(0, 0)))
                    : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::MenuItem; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        QMenu *menu = owner();
        if (!m_action || !menu)
            return state;
        state.invisible = !menu->testAttribute(Qt::WA_WState_Visible) || !m_action->isVisible();
        state.focused = menu->activeAction() == m_action;
        state.hotTracked = menu->style()->styleHint(QStyle::SH_Menu_MouseTracking, nullptr, menu);
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
        return m_action ? QStringList{pressAction()} : QStringList();
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
    void doAction(const QString &actionName) override
    {
        QMenu *menu = owner();
        if (actionName != pressAction() || !m_action || !m_action->isEnabled() ||
            isBlockedByModalWindow(menu))
            return;
        // As after a click, the menu closes before the handler runs.
        if (menu->isVisible())
            menu->hide();
        QMetaObject::invokeMethod(
            m_action,
            [action = m_action, menu = QPointer<QMenu>(menu)] {
                // A modal window may have come up since the press.
                if (action && action->isEnabled() && menu && !isBlockedByModalWindow(menu))
                    action->trigger();
            },
            Qt::QueuedConnection);
    }

private:
    QMenu *owner() const { return formMenuOf(m_action); }

    QPointer<QAction> m_action;
};

} // namespace

QAccessibleInterface *accessibleMenuItem(const QString &className, QObject *object)
{
    auto *action = qobject_cast<QAction *>(object);
    if (className == QLatin1String(QAction::staticMetaObject.className()) && formMenuOf(action))
        return new MenuItemAccessible(action);
    return nullptr;
}

} // namespace platform
