#include "app/frmMain.h"

#include "app/Forms.h"

#include "about/frmAbout.h"
#include "application.h"
#include "platform/services/dispatch.h"
#include "platform/services/MessageBox.h"
#include "records/StudentCode.h"
#include "student_window/frmStudent.h"

#include <QMenu>

using namespace platform;

frmMain::frmMain(Forms &forms)
    : Form({application::title(), 5565, 3195, BorderStyle::Sizable, CloseAction::Custom}),
      m_forms(forms)
{
    setObjectName(QStringLiteral("frmMain"));
    QWidget *area = client();
    cmdAdd = new CommandButton(area, QStringLiteral("cmdAdd"), QStringLiteral("&Add a New Student"),
                               twipsRect(4080, 240, 1215, 495));
    cmdRemove =
        new CommandButton(area, QStringLiteral("cmdRemove"), QStringLiteral("&Remove a Student"),
                          twipsRect(4080, 960, 1215, 495));
    cmdDisplay =
        new CommandButton(area, QStringLiteral("cmdDisplay"), QStringLiteral("&Display a student"),
                          twipsRect(4080, 1680, 1215, 495));
    cmdExit = new CommandButton(area, QStringLiteral("cmdExit"), QStringLiteral("E&xit"),
                                twipsRect(4080, 2400, 1215, 495));
    lstStudent = new ListBox(area, QStringLiteral("lstStudent"), twipsRect(840, 480, 2655, 840),
                             Sorting::Sorted);
    Label1 = new Label(area, QStringLiteral("Label1"), QStringLiteral("Students:"),
                       twipsRect(840, 240, 2175, 255));
    lstStudent->setAccessibleName(QStringLiteral("Students"));
    setTabOrder({cmdAdd, cmdRemove, cmdDisplay, cmdExit, lstStudent, Label1});
    setDefaultButton(cmdAdd);

    QMenu *mnuFile = addMenu(QStringLiteral("mnuFile"), QStringLiteral("&File"));
    mnuFileExit = addMenuItem(mnuFile, QStringLiteral("mnuFileExit"), QStringLiteral("E&xit"),
                              [this] { mnuFileExit_Click(); });
    QMenu *mnuHelp = addMenu(QStringLiteral("mnuHelp"), QStringLiteral("&Help"));
    mnuAbout = addMenuItem(mnuHelp, QStringLiteral("mnuAbout"), QStringLiteral("&About"),
                           [this] { mnuAbout_Click(); });

    onClick(cmdAdd, [this] { cmdAdd_Click(); });
    onClick(cmdRemove, [this] { cmdRemove_Click(); });
    onClick(cmdDisplay, [this] { cmdDisplay_Click(); });
    onClick(cmdExit, [this] { cmdExit_Click(); });
}

void frmMain::cmdAdd_Click()
{
    m_forms.frmStudent->setAction(StudentAction::Add);
    m_forms.frmStudent->Show(ShowMode::Modal);
}

void frmMain::cmdDisplay_Click()
{
    ShowSelectedStudent(QStringLiteral("Please Select Item from list"), StudentAction::Display);
}

void frmMain::cmdRemove_Click()
{
    ShowSelectedStudent(QStringLiteral("Please Select Item from the list"), StudentAction::Remove);
}

void frmMain::ShowSelectedStudent(const QString &strNoSelection, StudentAction strAction)
{
    if (lstStudent->ListIndex() == -1) {
        MsgBox(strNoSelection);
        return;
    }
    // Key before Action, both before the show: the window reads them when it activates.
    m_forms.frmStudent->setKey(
        StudentCode::fromNumber(lstStudent->ItemData(lstStudent->ListIndex())));
    m_forms.frmStudent->setAction(strAction);
    m_forms.frmStudent->Show(ShowMode::Modal);
}

void frmMain::cmdExit_Click()
{
    // Unloading a student window that was never opened would first create it.
    if (m_forms.frmStudent.isLoaded())
        m_forms.frmStudent->Unload();
    Unload();
    End();
}

void frmMain::mnuFileExit_Click()
{
    cmdExit_Click();
}

void frmMain::mnuAbout_Click()
{
    m_forms.frmAbout->Show(ShowMode::Modal);
}

// The close box runs the program's own exit sequence, so the program never lingers hidden.
void frmMain::closeBoxPressed()
{
    cmdExit_Click();
}
