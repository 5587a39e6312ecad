#include "platform/accessibility/interfaces.h"

#include "platform/controls/ComboBox.h"

#include <QAccessibleWidget>

namespace platform {

namespace {

// The simple combo box as one control holding its edit field and its list, so that a screen
// reader says "combo box" and knows the list of schools belongs to the field.
class ComboBoxAccessible : public QAccessibleWidget
{
public:
    explicit ComboBoxAccessible(ComboBox *combo) : QAccessibleWidget(combo, QAccessible::ComboBox)
    {}

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Value)
            return static_cast<const ComboBox *>(widget())->Text();
        return QAccessibleWidget::text(type);
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = true;
        // The list is always open.
        state.expandable = false;
        return state;
    }
};

} // namespace

QAccessibleInterface *accessibility::comboBoxInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String(ComboBox::staticMetaObject.className()))
        return new ComboBoxAccessible(static_cast<ComboBox *>(object));
    return nullptr;
}

} // namespace platform
