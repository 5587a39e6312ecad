#include "app/Forms.h"
#include "app/frmMain.h"
#include "application.h"

#include "platform/forms/defaultFont.h"
#include "platform/services/dispatch.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(application::title());
    QApplication::setApplicationVersion(application::version());
    QApplication::setOrganizationName(application::organisation());
    // Lets desktop shells match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(application::desktopFileName());
    platform::installDefaultFont();
    // The main window's close box and Exit end the program, not the last window closing.
    QApplication::setQuitOnLastWindowClosed(false);

    Forms forms;
    platform::dispatch([&forms] { forms.frmMain->Show(platform::ShowMode::Modeless); });
    // Decoding the icon needs an image plugin; done once the window is up, it costs no start-up.
    QTimer::singleShot(100, &app, [] {
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/app/student-information.ico")));
    });
    return QApplication::exec();
}
