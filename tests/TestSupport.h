#pragma once

// Shared helpers for the GUI tests: recorders for the swapped services and a way to act
// inside a modal window.

#include "platform/controls/ComboBox.h"
#include "platform/forms/defaultFont.h"
#include "platform/forms/Form.h"
#include "platform/services/dispatch.h"
#include "platform/services/MessageBox.h"
#include "platform/services/Printer.h"
#include "student_window/frmStudent.h"
#include "support/RecordingPrinter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace testing {

struct ShownMessage
{
    QString prompt;
    QString title;
};

// Records every message box; an optional hook runs while the "box" is up.
class RecordingMessageBox final : public platform::MessageBoxService
{
public:
    explicit RecordingMessageBox(std::vector<ShownMessage> &log) : m_log(log) {}
    void show(const QString &prompt, const QString &title) override
    {
        m_log.push_back({prompt, title});
        if (onShow)
            onShow();
    }
    std::function<void()> onShow;

private:
    std::vector<ShownMessage> &m_log;
};

// Qt's offscreen platform cannot raise a window and says so at every show; nothing else is
// dropped.
inline QtMessageHandler &forwardedMessages()
{
    static QtMessageHandler handler = nullptr;
    return handler;
}
inline void dropRaiseWarning(QtMsgType type, const QMessageLogContext &context,
                             const QString &message)
{
    if (type == QtWarningMsg && message == u"This plugin does not support raise()")
        return;
    if (forwardedMessages())
        forwardedMessages()(type, context, message);
}

// Installs recorders for the message box, the printer and the error handler for one test,
// and puts the real services back afterwards.
class Services
{
public:
    Services()
    {
        auto box = std::make_unique<RecordingMessageBox>(messages);
        messageBox = box.get();
        m_previousBox = platform::setMessageBox(std::move(box));
        auto recorder = std::make_unique<RecordingPrinter>();
        printer = recorder.get();
        m_previousPrinter = platform::setPrinter(std::move(recorder));
        m_previousHandler = platform::setErrorHandler([this](const platform::RuntimeError &e) {
            errors.push_back(e.kind());
            platform::defaultErrorHandler(e);
        });
        m_previousEnd = platform::setEndAction([this] { ++ends; });
        platform::resetEnded();
        m_previousMessages = qInstallMessageHandler(dropRaiseWarning);
        if (m_previousMessages != dropRaiseWarning)
            forwardedMessages() = m_previousMessages;
    }
    ~Services()
    {
        qInstallMessageHandler(m_previousMessages);
        platform::setEndAction(std::move(m_previousEnd));
        platform::setErrorHandler(std::move(m_previousHandler));
        platform::setPrinter(std::move(m_previousPrinter));
        platform::setMessageBox(std::move(m_previousBox));
        platform::resetEnded();
    }
    Services(const Services &) = delete;
    Services &operator=(const Services &) = delete;

    // Replaces the recording printer, e.g. with a PDF printer.
    void usePrinter(std::unique_ptr<platform::PrinterService> service)
    {
        printer = nullptr;
        platform::setPrinter(std::move(service));
    }

    std::vector<ShownMessage> messages;
    std::vector<platform::ErrorKind> errors;
    int ends = 0;
    RecordingMessageBox *messageBox = nullptr;
    RecordingPrinter *printer = nullptr;

private:
    std::unique_ptr<platform::MessageBoxService> m_previousBox;
    std::unique_ptr<platform::PrinterService> m_previousPrinter;
    platform::ErrorHandler m_previousHandler;
    platform::EndAction m_previousEnd;
    QtMessageHandler m_previousMessages = nullptr;
};

// How long a GUI test waits for what it needs (a window active, a window gone, the focus):
// generous, as a sanitized build on a busy machine is many times slower.
constexpr int WaitLimitMs = 60000;

// The window is up and has been activated, so the focus has arrived where the show put it.
inline bool isActive(const QWidget *widget)
{
    return widget && widget->isVisible() && QApplication::activeWindow() == widget->window();
}

// Tells QApplication that the window is active. Deprecated since Qt 6.5 in favour of
// QWidget::activateWindow(), which cannot help when the platform already counts the window
// as focused.
inline void forceActivation(QWidget *window)
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(window);
    QT_WARNING_POP
}

// Whether the window system has activated the widget's window. A window shown again after a
// hide can stay the platform's focus window all along (offscreen has no window manager to move
// the focus away), so no new activation reaches QApplication: tell it, as a window manager
// would. The result is then what isActive() reports.
inline bool settleActivation(QWidget *widget)
{
    if (!widget || !widget->isVisible())
        return false;
    QWidget *window = widget->window();
    if (QApplication::activeWindow() != window && window->windowHandle() &&
        QGuiApplication::focusWindow() == window->windowHandle())
        forceActivation(window);
    return isActive(widget);
}

// Runs action once the widget returned by find() is ready (see below); polls, so it can be
// set up before the click that opens a modal window. Gives up after WaitLimitMs and hides
// what it found, so that a modal show waiting for it still returns.
inline void whenReady(std::function<QWidget *()> find, std::function<bool(QWidget *)> ready,
                      std::function<void()> action)
{
    auto timer = new QTimer;
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer,
                     [timer, elapsed, find = std::move(find), ready = std::move(ready),
                      action = std::move(action)] {
                         QWidget *widget = find();
                         if (ready(widget)) {
                             timer->stop();
                             timer->deleteLater();
                             action();
                         } else if (elapsed->elapsed() > WaitLimitMs) {
                             timer->stop();
                             timer->deleteLater();
                             qWarning("whenReady: %s never became ready",
                                      widget ? qPrintable(widget->objectName()) : "nothing");
                             if (widget && widget->isWindow())
                                 widget->hide();
                         }
                     });
    timer->start();
}

// Visibility alone is not enough: activation, and with it the focus, arrives later.
inline void whenActive(std::function<QWidget *()> find, std::function<void()> action)
{
    whenReady(std::move(find), settleActivation, std::move(action));
}

// For a compositor that activates nothing (no seat): the window is on screen.
inline void whenExposed(std::function<QWidget *()> find, std::function<void()> action)
{
    whenReady(
        std::move(find),
        [](QWidget *widget) {
            return widget && widget->isVisible() && widget->window()->windowHandle() &&
                   widget->window()->windowHandle()->isExposed();
        },
        std::move(action));
}

// Presses OK on the real message box that comes up next; seen tells whether one did.
inline void pressOkOnNextMessageBox(bool &seen)
{
    whenActive([] { return QApplication::activeModalWidget(); },
               [&seen] {
                   auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                   seen = box != nullptr;
                   if (box)
                       box->button(QMessageBox::Ok)->click();
               });
}

template <typename T> T *child(QWidget *root, const QString &name)
{
    return root ? root->findChild<T *>(name) : nullptr;
}

// The parts of a combo box, by the names the combo box gives them.
inline QLineEdit *editField(const platform::ComboBox &combo)
{
    return combo.findChild<QLineEdit *>(combo.objectName() + QStringLiteral("_edit"));
}
inline platform::ListBox *listPart(const platform::ComboBox &combo)
{
    return combo.findChild<platform::ListBox *>(combo.objectName() + QStringLiteral("_list"));
}

// What the student window keeps to itself: its records and the grade level last clicked.
class StudentWindowProbe
{
public:
    static const CStudents *students(const frmStudent &window) { return window.mStudents.get(); }
    static std::int16_t selectedLevel(const frmStudent &window) { return window.mintSelectedLevel; }
};
inline const CStudents *students(const frmStudent &window)
{
    return StudentWindowProbe::students(window);
}
inline std::int16_t selectedLevel(const frmStudent &window)
{
    return StudentWindowProbe::selectedLevel(window);
}

// Whether a window's modal show has entered its own event loop (and not merely been shown).
class FormProbe
{
public:
    static bool isShowingModally(const platform::Form &form) { return form.m_modalLoop != nullptr; }
};
inline bool isShowingModally(const platform::Form &form)
{
    return FormProbe::isShowingModally(form);
}

// Top-level widgets that are still shown; a test ends with none but the ones it expects.
inline int visibleTopLevelCount()
{
    int count = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        count += widget->isVisible() ? 1 : 0;
    return count;
}

} // namespace testing

// Like QTEST_MAIN, with the program's default font, so captions are measured as users see them.
#define SI_TEST_MAIN(TestClass)                                                                    \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QApplication app(argc, argv);                                                              \
        platform::installDefaultFont();                                                            \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
