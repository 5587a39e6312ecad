#include "Forms.h"
#include "frmMain.h"

#include <dispatch.h>
#include <Form.h>

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Student Information"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0.0"));
    // Lets desktop shells match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.margaretellis.StudentInformation"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app/student-information.ico")));
    platform::installDefaultFont();
    // The main window's close box and Exit end the program, not the last window closing.
    QApplication::setQuitOnLastWindowClosed(false);

    Forms forms;
    platform::dispatch([&forms] { forms.frmMain->Show(platform::ShowMode::Modeless); });
    return QApplication::exec();
}
