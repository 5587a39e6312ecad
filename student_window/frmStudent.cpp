#include "student_window/frmStudent.h"

#include "application.h"
#include "platform/core/conversions.h"
#include "records/CStudents.h"
#include "records/StudentCode.h"
#include "reports/StudentReport.h"

#include <QMenu>
#include <QScopeGuard>

using namespace platform;

frmStudent::frmStudent(ListBox &lstStudent)
    : Form({application::title(), 5280, 3900, BorderStyle::FixedDialog, CloseAction::Hide}),
      m_lstStudent(lstStudent)
{
    setObjectName(QStringLiteral("frmStudent"));
    QWidget *area = client();

    // Frames first, so that the lists drawn over them stay on top.
    fraGrade = new Frame(area, QStringLiteral("fraGrade"), QStringLiteral("Grade Level"),
                         twipsRect(240, 240, 1455, 1815));
    fraMajor = new Frame(area, QStringLiteral("fraMajor"), QStringLiteral("Major"),
                         twipsRect(2040, 1080, 2775, 1095));
    fraSchool = new Frame(area, QStringLiteral("fraSchool"), QStringLiteral("School"),
                          twipsRect(2040, 2280, 1695, 1215));

    txtName = new TextBox(area, QStringLiteral("txtName"), twipsRect(2640, 0, 1935, 285));
    optLevel.add(fraGrade, QStringLiteral("Fr&eshman"), twipsRect(120, 360, 1095, 255));
    optLevel.add(fraGrade, QStringLiteral("Sop&homore"), twipsRect(120, 720, 1215, 255));
    optLevel.add(fraGrade, QStringLiteral("&Junior"), twipsRect(120, 1080, 855, 255));
    optLevel.add(fraGrade, QStringLiteral("&Senior"), twipsRect(120, 1440, 975, 255));
    txtUnits = new TextBox(area, QStringLiteral("txtUnits"), twipsRect(3960, 600, 615, 285));
    lstMajor = new ListBox(area, QStringLiteral("lstMajor"), twipsRect(2160, 1320, 2535, 645),
                           Sorting::Unsorted);
    for (const char *major :
         {"Accounting", "Business", "Computer Information Systems", "Marketing"}) {
        lstMajor->AddItem(QString::fromLatin1(major));
        lstMajor->setItemData(lstMajor->NewIndex(), lstMajor->NewIndex());
    }
    chkDeans = new CheckBox(area, QStringLiteral("chkDeans"), QStringLiteral("&Deans List"),
                            twipsRect(360, 2280, 1095, 255));
    cboSchool = new ComboBox(area, QStringLiteral("cboSchool"), twipsRect(2160, 2520, 1455, 765),
                             Sorting::Sorted);
    int schoolData = 0;
    for (const char *school : {"Franklin", "Highland", "Midtown", "West Highland"}) {
        cboSchool->AddItem(QString::fromLatin1(school));
        cboSchool->setItemData(cboSchool->NewIndex(), schoolData++);
    }
    cmdAction = new CommandButton(area, QStringLiteral("cmdAction"), QStringLiteral("&Add Student"),
                                  twipsRect(3840, 2400, 1215, 615));
    lblName = new Label(area, QStringLiteral("lblName"), QStringLiteral("&Name"),
                        twipsRect(2040, 0, 495, 255), Qt::AlignLeft, txtName);
    lblUnits = new Label(area, QStringLiteral("lblUnits"), QStringLiteral("&Units Completed"),
                         twipsRect(2640, 600, 1215, 255), Qt::AlignLeft, txtUnits);
    cmdCancel = new CommandButton(area, QStringLiteral("cmdCancel"), QStringLiteral("&Cancel"),
                                  twipsRect(3840, 3120, 1215, 495));

    // The frames drawn around these controls name them.
    lstMajor->setAccessibleName(fraMajor->title());
    cboSchool->setAccessibleNames(fraSchool->title());

    setTabOrder({txtName, fraGrade, &optLevel[0], &optLevel[1], &optLevel[2], &optLevel[3],
                 txtUnits, lstMajor, chkDeans, cboSchool, cmdAction, lblName, lblUnits, fraMajor,
                 fraSchool, cmdCancel});
    setDefaultButton(cmdAction);

    QMenu *mnuPrint = addMenu(QStringLiteral("mnuPrint"), QStringLiteral("&Print"));
    mnuPrintSchools =
        addMenuItem(mnuPrint, QStringLiteral("mnuPrintSchools"), QStringLiteral("Print S&chools"),
                    [this] { mnuPrintSchools_Click(); });
    mnuSep1 = addMenuSeparator(mnuPrint, QStringLiteral("mnuSep1"));
    mnuPrintStudent =
        addMenuItem(mnuPrint, QStringLiteral("mnuPrintStudent"), QStringLiteral("Print S&tudent"),
                    [this] { mnuPrintStudent_Click(); });

    optLevel.setClickHandler([this](std::int16_t index) { optLevel_Click(index); });
    onClick(cmdAction, [this] { cmdAction_Click(); });
    onClick(cmdCancel, [this] { cmdCancel_Click(); });
}

frmStudent::~frmStudent() = default;

void frmStudent::setKey(const QString &strKey)
{
    mstrKey = strKey;
}

void frmStudent::setAction(StudentAction strAction)
{
    mstrAction = strAction;
}

void frmStudent::Form_Load()
{
    mStudents = std::make_unique<CStudents>();
}

void frmStudent::Form_Unload(int &Cancel)
{
    Q_UNUSED(Cancel);
    mStudents.reset();
}

void frmStudent::Form_Activate()
{
    // The caption is the same in every mode; a screen reader says the mode from the description.
    if (mstrAction == StudentAction::Add) {
        setAccessibleDescription(QStringLiteral("Add a student"));
        cmdAction->setCaption(QStringLiteral("Add Student"));
        cmdAction->setVisible(true);
        ClearFields();
        txtName->SetFocus();
    } else if (mstrAction == StudentAction::Remove) {
        setAccessibleDescription(QStringLiteral("Remove a student"));
        cmdAction->setCaption(QStringLiteral("Remove this Student?"));
        cmdAction->setVisible(true);
        DisplayStudent();
    } else if (mstrAction == StudentAction::Display) {
        setAccessibleDescription(QStringLiteral("Display a student"));
        cmdAction->setCaption(QStringLiteral("Student Display"));
        cmdAction->setVisible(false);
        DisplayStudent();
    }
}

void frmStudent::optLevel_Click(std::int16_t Index)
{
    mintSelectedLevel = Index;
}

void frmStudent::ClearFields()
{
    txtName->setText(QString());
    txtUnits->setText(QString());
    for (int i = 0; i <= 3; ++i)
        optLevel[i].setValue(false);
    chkDeans->setValue(0);
    lstMajor->setListIndex(-1);
    cboSchool->setListIndex(-1);
}

void frmStudent::DisplayStudent()
{
    ClearFields();
    std::shared_ptr<CStudent> student = mStudents->Item(mstrKey);
    txtName->setText(student->StudentName());
    txtUnits->setText(plainDecimal(student->UnitsCompleted()));
    optLevel[student->GradeLevel()].setValue(true);
    chkDeans->setValue(wholeNumber16(student->DeansList()));
    lstMajor->setText(student->Major());
    cboSchool->setText(student->School());
}

void frmStudent::cmdAction_Click()
{
    if (mstrAction == StudentAction::Add) {
        // The remembered level may belong to the student clicked or displayed before: only a
        // level on the screen is this student's. Refused before anything is listed or a code used.
        if (!reports::GradeLevelChosen(optLevel))
            return;
        const QString name = txtName->Text();
        m_lstStudent.AddItem(name);
        // If the add fails from here on, the listed name is taken back so that every entry
        // names a stored record; the window stays open with what the user typed.
        const int listed = m_lstStudent.NewIndex();
        auto takeBack = qScopeGuard([this, listed] { m_lstStudent.RemoveItem(listed); });

        const QString code = mStudents->NextStudentCode();
        m_lstStudent.setItemData(m_lstStudent.NewIndex(), StudentCode::toNumber(code));

        const QString studentName = txtName->Text();
        const double units = leadingNumber(txtUnits->Text());
        const QString major = lstMajor->Text();
        const QString school = cboSchool->Text();
        const int deans = chkDeans->Value();
        mStudents->Add(studentName, roundToInt16(units), mintSelectedLevel, major, school,
                       plainDecimal(deans), code);
        takeBack.dismiss();
    } else if (mstrAction == StudentAction::Remove) {
        // The entry of the student the window was opened for, not whichever entry is selected
        // now: a screen reader can move the main list's selection while this window is up.
        const int position = m_lstStudent.findItemData(StudentCode::toNumber(mstrKey));
        if (position >= 0)
            m_lstStudent.RemoveItem(position);
        mStudents->Remove(mstrKey);
    }
    Hide();
}

void frmStudent::cmdCancel_Click()
{
    Hide();
}

void frmStudent::mnuPrintStudent_Click()
{
    reports::PrintStudent({*txtName, *txtUnits, *lstMajor, *cboSchool, optLevel, *chkDeans});
}

void frmStudent::mnuPrintSchools_Click()
{
    reports::PrintSchools(*cboSchool);
}
