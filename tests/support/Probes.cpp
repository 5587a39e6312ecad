#include "support/Probes.h"

#include "platform/controls/ComboBox.h"
#include "platform/controls/ListBox.h"
#include "platform/forms/Form.h"
#include "records/CStudents.h"
#include "student_window/frmStudent.h"

#include <QLineEdit>

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

QLineEdit *editField(const platform::ComboBox &combo)
{
    return combo.findChild<QLineEdit *>(combo.objectName() + QStringLiteral("_edit"));
}

platform::ListBox *listPart(const platform::ComboBox &combo)
{
    return combo.findChild<platform::ListBox *>(combo.objectName() + QStringLiteral("_list"));
}

} // namespace testing
