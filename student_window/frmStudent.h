#pragma once

#include "platform/controls/CheckBox.h"
#include "platform/controls/ComboBox.h"
#include "platform/controls/CommandButton.h"
#include "platform/controls/Frame.h"
#include "platform/controls/Label.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/OptionArray.h"
#include "platform/controls/TextBox.h"
#include "platform/forms/Form.h"
#include "student_window/StudentAction.h"

#include <QString>

#include <cstdint>
#include <memory>

class CStudents;
class QAction;

namespace testing {
class StudentWindowProbe;
}

// The window through which a student is added, displayed or removed; owns the records.
class frmStudent : public platform::Form
{
    Q_OBJECT

public:
    // lstStudent is the main window's list, which this window keeps in step with the records.
    explicit frmStudent(platform::ListBox &lstStudent);
    ~frmStudent() override;

    void setKey(const QString &strKey);
    void setAction(StudentAction strAction);

    platform::TextBox *txtName;
    platform::Frame *fraGrade;
    platform::OptionArray optLevel{QStringLiteral("optLevel")};
    platform::TextBox *txtUnits;
    platform::ListBox *lstMajor;
    platform::CheckBox *chkDeans;
    platform::ComboBox *cboSchool;
    platform::CommandButton *cmdAction;
    platform::Label *lblName;
    platform::Label *lblUnits;
    platform::Frame *fraMajor;
    platform::Frame *fraSchool;
    platform::CommandButton *cmdCancel;
    QAction *mnuPrintSchools;
    QAction *mnuSep1;
    QAction *mnuPrintStudent;

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int &Cancel) override;

private:
    // Tests read the records and the selected level through it.
    friend class testing::StudentWindowProbe;

    void optLevel_Click(std::int16_t Index);
    void cmdAction_Click();
    void cmdCancel_Click();
    void mnuPrintStudent_Click();
    void mnuPrintSchools_Click();
    void ClearFields();
    void DisplayStudent();

    platform::ListBox &m_lstStudent;
    std::unique_ptr<CStudents> mStudents;
    QString mstrKey;
    StudentAction mstrAction = StudentAction::None;
    std::int16_t mintSelectedLevel = 0;
};
