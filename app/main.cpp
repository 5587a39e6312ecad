#include "app/Forms.h"
#include "app/frmMain.h"
#include "application.h"

#include "platform/accessibility/Accessibility.h"
#include "platform/forms/defaultFont.h"
#include "platform/services/dispatch.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QWindow>

namespace {

void setApplicationIcon()
{
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app/student-information.ico")));
}

// Decoding the icon loads an image plugin. Done after the main window's first expose, once
// that expose has painted, it holds up neither the map nor the first paint.
class IconAfterFirstExpose final : public QObject
{
public:
    explicit IconAfterFirstExpose(QWindow *window) : QObject(window)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose) {
            watched->removeEventFilter(this);
            QMetaObject::invokeMethod(this, &setApplicationIcon, Qt::QueuedConnection);
        }
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(application::title());
    QApplication::setApplicationVersion(application::version());
    QApplication::setOrganizationName(application::organisation());
    // Lets desktop shells match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(application::desktopFileName());
    platform::installDefaultFont();
    platform::installAccessibility();
    // The main window's close box and Exit end the program, not the last window closing.
    QApplication::setQuitOnLastWindowClosed(false);

    Forms forms;
    platform::dispatch([&forms] { forms.frmMain->Show(platform::ShowMode::Modeless); });
    const ::frmMain *main = forms.frmMain.existing();
    if (QWindow *window = main ? main->windowHandle() : nullptr)
        new IconAfterFirstExpose(window);
    else
        setApplicationIcon();
    return QApplication::exec();
}
