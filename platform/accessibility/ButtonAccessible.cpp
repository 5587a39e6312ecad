#include "platform/accessibility/interfaces.h"

#include "platform/controls/CheckBox.h"
#include "platform/controls/CommandButton.h"
#include "platform/controls/OptionButton.h"
#include "platform/forms/accessKey.h"
#include "platform/forms/modality.h"

#include <QAccessibleWidget>
#include <QKeySequence>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace platform {

namespace {

// A hidden button (the action button in display mode) takes no press, as it takes no click.
bool acceptsAction(const QWidget *button)
{
    return button->isEnabled() && button->isVisible() && !isBlockedByModalWindow(button);
}

// A button as Qt presents it (name, role, states, actions), with two differences: a press
// runs from the event loop after the assistive technology's call has returned, and nothing
// acts while a modal window blocks the button's window, as for clicks and keys.
class ButtonAccessible : public QAccessibleWidget
{
public:
    ButtonAccessible(QAbstractButton *button, QAccessible::Role role)
        : QAccessibleWidget(button, role)
    {
        addControllingSignal(button->isCheckable() ? QStringLiteral("toggled(bool)")
                                                   : QStringLiteral("clicked()"));
    }

    QString text(QAccessible::Text type) const override
    {
        QString text;
        if (type == QAccessible::Name) {
            text = widget()->accessibleName();
            if (text.isEmpty())
                text = withoutAccessKey(button()->text());
        } else if (type == QAccessible::Accelerator) {
            // Enter presses the default button. One without an access key says nothing: Qt's
            // bridge would hand Enter to a screen reader as the button's key binding, which
            // readers take for an access key (Orca 48 said "r").
            text = accessKeyText(button()->text());
            const auto *push = qobject_cast<const QPushButton *>(button());
            if (push && push->isDefault() && !text.isEmpty())
                text = QKeySequence(Qt::Key_Enter).toString(QKeySequence::NativeText);
            return text;
        }
        return text.isEmpty() ? QAccessibleWidget::text(type) : text;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        const QAbstractButton *b = button();
        state.checkable = b->isCheckable();
        state.checked = b->isChecked();
        const auto *check = qobject_cast<const QCheckBox *>(b);
        state.checkStateMixed = check && check->checkState() == Qt::PartiallyChecked;
        state.pressed = b->isDown();
        const auto *push = qobject_cast<const QPushButton *>(b);
        state.defaultButton = push && push->isDefault();
        return state;
    }

    QStringList actionNames() const override
    {
        QStringList names;
        if (widget()->isEnabled())
            names << (button()->isCheckable() ? toggleAction() : pressAction());
        return names << QAccessibleWidget::actionNames();
    }

    // The access key for every action that it stands for, and no other key: a screen reader
    // reads the first key bound to an action as the access key.
    QStringList keyBindingsForAction(const QString &actionName) const override
    {
        if (actionName != pressAction() && actionName != toggleAction() &&
            actionName != setFocusAction())
            return {};
        const QString key = button()->shortcut().toString();
        return key.isEmpty() ? QStringList() : QStringList{key};
    }

    void doAction(const QString &actionName) override
    {
        if (!acceptsAction(widget()))
            return;
        if (actionName == pressAction() || actionName == showMenuAction()) {
            // Returns at once: a window that the handler opens must not hold the caller.
            QMetaObject::invokeMethod(
                button(),
                [button = QPointer<QAbstractButton>(button())] {
                    if (button && acceptsAction(button))
                        button->click();
                },
                Qt::QueuedConnection);
        } else if (actionName == toggleAction()) {
            button()->toggle();
        } else {
            QAccessibleWidget::doAction(actionName);
        }
    }

private:
    QAbstractButton *button() const { return static_cast<QAbstractButton *>(widget()); }
};

} // namespace

QAccessibleInterface *accessibility::buttonInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String(CommandButton::staticMetaObject.className()))
        return new ButtonAccessible(static_cast<CommandButton *>(object), QAccessible::Button);
    if (className == QLatin1String(OptionButton::staticMetaObject.className()))
        return new ButtonAccessible(static_cast<OptionButton *>(object), QAccessible::RadioButton);
    if (className == QLatin1String(CheckBox::staticMetaObject.className()))
        return new ButtonAccessible(static_cast<CheckBox *>(object), QAccessible::CheckBox);
    // A message box's buttons, Qt's own, answer the same way.
    if (className == QLatin1String(QPushButton::staticMetaObject.className()) &&
        qobject_cast<QMessageBox *>(static_cast<QWidget *>(object)->window()))
        return new ButtonAccessible(static_cast<QPushButton *>(object), QAccessible::Button);
    return nullptr;
}

} // namespace platform
