#pragma once

// The whole program under test, for the end-to-end GUI tests.

#include "TestSupport.h"

#include "about/frmAbout.h"
#include "app/Forms.h"
#include "app/frmMain.h"
#include "records/CStudents.h"
#include "student_window/frmStudent.h"

#include <QCoreApplication>

namespace testing {

// Recording services, fresh window instances and the main window shown; tearing it down
// closes whatever a failed check left open.
class Program
{
public:
    Program()
    {
        platform::dispatch([this] { forms->frmMain->Show(platform::ShowMode::Modeless); });
    }
    ~Program()
    {
        while (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        while (QWidget *modal = QApplication::activeModalWidget())
            modal->hide();
        forms.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    frmMain &main() { return *forms->frmMain; }
    platform::ListBox &list() { return *main().lstStudent; }
    frmStudent *student() const { return forms->frmStudent.existing(); }
    frmAbout *about() const { return forms->frmAbout.existing(); }
    std::shared_ptr<CStudent> record(int code) const
    {
        return testing::students(*student())->Item(QLatin1Char(' ') + QString::number(code));
    }

    // Declared first: the recorders outlive the windows.
    Services services;
    std::unique_ptr<Forms> forms = std::make_unique<Forms>();
};

} // namespace testing
