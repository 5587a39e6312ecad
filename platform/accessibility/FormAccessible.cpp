#include "platform/accessibility/interfaces.h"

#include "platform/controls/Label.h"
#include "platform/forms/Form.h"

#include <QAccessibleWidget>

#include <algorithm>

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

    // A dialog with no description of its own is described by the texts it shows, top to
    // bottom (the About box's version, copyright and author), read out when it opens.
    QString text(QAccessible::Text type) const override
    {
        QString text = QAccessibleWidget::text(type);
        if (type != QAccessible::Description || !text.isEmpty() || role() != QAccessible::Dialog)
            return text;
        QList<const Label *> lines;
        for (const Label *label : widget()->findChildren<const Label *>()) {
            if (accessibility::describesItsWindow(label))
                lines << label;
        }
        std::stable_sort(lines.begin(), lines.end(), [](const Label *a, const Label *b) {
            return a->mapToGlobal(QPoint()).y() < b->mapToGlobal(QPoint()).y();
        });
        QStringList texts;
        for (const Label *label : std::as_const(lines))
            texts << label->text();
        return texts.join(QStringLiteral(". "));
    }
};

} // namespace

bool accessibility::describesItsWindow(const Label *label)
{
    const auto *form = qobject_cast<const Form *>(label->window());
    return form && !label->buddy() && label->isVisibleTo(form) &&
           form->windowModality() != Qt::NonModal && label->text() != form->windowTitle();
}

QAccessibleInterface *accessibility::formInterface(const QString &, QObject *object)
{
    if (auto *form = qobject_cast<Form *>(object))
        return new FormAccessible(form);
    return nullptr;
}

} // namespace platform
