#include "platform/accessibility/interfaces.h"

#include "platform/controls/CheckBox.h"
#include "platform/controls/CommandButton.h"
#include "platform/controls/OptionButton.h"
#include "platform/forms/accessKey.h"
#include "platform/forms/modality.h"

#include <QAccessibleWidget>
#include <QKeySequence>
#include <QPointer>

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
            const auto *push = qobject_cast<const QPushButton *>(button());
            if (push && push->isDefault())
                text = QKeySequence(Qt::Key_Enter).toString(QKeySequence::NativeText);
            else
                text = accessKeyText(button()->text());
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

    QStringList keyBindingsForAction(const QString &actionName) const override
    {
        if (actionName == pressAction())
            return {button()->shortcut().toString()};
        return {};
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
    return nullptr;
}

} // namespace platform
