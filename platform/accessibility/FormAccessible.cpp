#include "platform/accessibility/interfaces.h"

#include "platform/forms/Form.h"

#include <QAccessibleWidget>

namespace platform {

namespace {

// A form is a plain QWidget, which Qt would announce as a pane. It is a window, and a dialog
// while it is shown modally: a screen reader reads a dialog's own texts when it opens.
class FormAccessible : public QAccessibleWidget
{
public:
    explicit FormAccessible(Form *form) : QAccessibleWidget(form, QAccessible::Window) {}

    QAccessible::Role role() const override
    {
        return widget()->windowModality() == Qt::NonModal ? QAccessible::Window
                                                          : QAccessible::Dialog;
    }
};

} // namespace

QAccessibleInterface *accessibility::formInterface(const QString &, QObject *object)
{
    if (auto *form = qobject_cast<Form *>(object))
        return new FormAccessible(form);
    return nullptr;
}

} // namespace platform
