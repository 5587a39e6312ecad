#include "platform/accessibility/interfaces.h"

#include "platform/controls/Label.h"
#include "platform/forms/accessKey.h"

#include <QAccessibleWidget>

namespace platform {

namespace {

// A label as a screen reader should read it: its caption as shown, without the '&' that marks
// the access key (Qt's own label interface hands the raw caption to some screen readers), and
// the control it names.
class LabelAccessible : public QAccessibleWidget
{
public:
    explicit LabelAccessible(Label *label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Name && widget()->accessibleName().isEmpty())
            return withoutAccessKey(label()->text());
        return QAccessibleWidget::text(type);
    }
    QList<std::pair<QAccessibleInterface *, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override
    {
        auto found = QAccessibleWidget::relations(match);
        // Qt words a relation from the other side: the buddy is labelled by this label.
        if ((match & QAccessible::Labelled) && label()->buddy()) {
            if (QAccessibleInterface *named =
                    QAccessible::queryAccessibleInterface(label()->buddy()))
                found.append({named, QAccessible::Labelled});
        }
        // Qt 6.4 has no "described by" relation; the nearest tells a screen reader that the text
        // belongs to its dialog, whose description it is, so that it is not read twice.
        if ((match & QAccessible::Labelled) && accessibility::describesItsWindow(label())) {
            if (QAccessibleInterface *dialog =
                    QAccessible::queryAccessibleInterface(label()->window()))
                found.append({dialog, QAccessible::Labelled});
        }
        return found;
    }

private:
    const Label *label() const { return static_cast<const Label *>(widget()); }
};

} // namespace

QAccessibleInterface *accessibility::labelInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String(Label::staticMetaObject.className()))
        return new LabelAccessible(static_cast<Label *>(object));
    return nullptr;
}

} // namespace platform
