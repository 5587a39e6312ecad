#include "support/Probes.h"

#include "platform/controls/ComboBox.h"
#include "platform/controls/ListBox.h"
#include "platform/forms/Form.h"
#include "records/CStudents.h"
#include "student_window/frmStudent.h"

#include <QAccessibleInterface>
#include <QLineEdit>
#include <QStringList>

namespace testing {

const CStudents *StudentWindowProbe::students(const frmStudent &window)
{
    return window.mStudents.get();
}

std::int16_t StudentWindowProbe::selectedLevel(const frmStudent &window)
{
    return window.mintSelectedLevel;
}

bool FormProbe::isShowingModally(const platform::Form &form)
{
    return form.m_modalLoop != nullptr;
}

QString boundKeys(QAccessibleInterface *object)
{
    QStringList keys;
    QAccessibleActionInterface *actions = object ? object->actionInterface() : nullptr;
    if (!actions)
        return QString();
    for (const QString &action : actions->actionNames()) {
        for (const QString &key : actions->keyBindingsForAction(action)) {
            if (!key.isEmpty() && !keys.contains(key))
                keys << key;
        }
    }
    return keys.join(u", ");
}

QLineEdit *editField(const platform::ComboBox &combo)
{
    return combo.findChild<QLineEdit *>(combo.objectName() + QStringLiteral("_edit"));
}

platform::ListBox *listPart(const platform::ComboBox &combo)
{
    return combo.findChild<platform::ListBox *>(combo.objectName() + QStringLiteral("_list"));
}

} // namespace testing
