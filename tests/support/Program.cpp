#include "support/Program.h"

#include "support/Modal.h"
#include "support/Probes.h"

#include "about/frmAbout.h"
#include "app/frmMain.h"
#include "records/CStudents.h"
#include "student_window/frmStudent.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTest>

namespace testing {

Program::Program()
{
    platform::dispatch([this] { forms->frmMain->Show(platform::ShowMode::Modeless); });
}

Program::~Program()
{
    while (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
    while (QWidget *modal = QApplication::activeModalWidget())
        modal->hide();
    forms.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

frmMain &Program::main()
{
    return *forms->frmMain;
}

platform::ListBox &Program::list()
{
    return *main().lstStudent;
}

frmStudent *Program::student() const
{
    return forms->frmStudent.existing();
}

frmAbout *Program::about() const
{
    return forms->frmAbout.existing();
}

std::shared_ptr<CStudent> Program::record(int code) const
{
    return testing::students(*student())->Item(QLatin1Char(' ') + QString::number(code));
}

void ProgramTest::init()
{
    m_program = std::make_unique<Program>();
    QVERIFY(QTest::qWaitForWindowExposed(&main(), WaitLimitMs));
}

void ProgramTest::cleanup()
{
    m_program.reset();
    QCOMPARE(visibleTopLevelCount(), 0);
}

} // namespace testing
