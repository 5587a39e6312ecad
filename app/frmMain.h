#pragma once

#include "platform/controls/CommandButton.h"
#include "platform/controls/Label.h"
#include "platform/controls/ListBox.h"
#include "platform/forms/Form.h"
#include "student_window/StudentAction.h"

class Forms;
class QAction;

// The startup window: the sorted list of students and the commands that act on it.
class frmMain : public platform::Form
{
    Q_OBJECT

public:
    explicit frmMain(Forms &forms);

    platform::CommandButton *cmdAdd;
    platform::CommandButton *cmdRemove;
    platform::CommandButton *cmdDisplay;
    platform::CommandButton *cmdExit;
    platform::ListBox *lstStudent;
    platform::Label *Label1;
    QAction *mnuFileExit;
    QAction *mnuAbout;

protected:
    void closeBoxPressed() override;

private:
    void cmdAdd_Click();
    void cmdDisplay_Click();
    void cmdRemove_Click();
    void cmdExit_Click();
    void mnuFileExit_Click();
    void mnuAbout_Click();
    // Display and remove: the selected student's key, then the mode, then a modal show.
    void ShowSelectedStudent(const QString &strNoSelection, StudentAction strAction);

    Forms &m_forms;
};
