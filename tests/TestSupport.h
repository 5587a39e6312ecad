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

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

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
        auto recorder = std::make_unique<platform::RecordingPrinter>();
        printer = recorder.get();
        m_previousPrinter = platform::setPrinter(std::move(recorder));
        m_previousHandler = platform::setErrorHandler([this](const platform::RuntimeError &e) {
            errors.push_back(e.kind());
            platform::defaultErrorHandler(e);
        });
        m_previousEnd = platform::setEndAction([this] { ++ends; });
        platform::resetEnded();
    }
    ~Services()
    {
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
    platform::RecordingPrinter *printer = nullptr;

private:
    std::unique_ptr<platform::MessageBoxService> m_previousBox;
    std::unique_ptr<platform::PrinterService> m_previousPrinter;
    platform::ErrorHandler m_previousHandler;
    platform::EndAction m_previousEnd;
};

// Runs action once the widget returned by find() is visible; polls, so it can be set up
// before the click that opens a modal window. Gives up after a few seconds.
inline void whenVisible(std::function<QWidget *()> find, std::function<void()> action)
{
    auto timer = new QTimer;
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer,
                     [timer, elapsed, find = std::move(find), action = std::move(action)] {
                         QWidget *widget = find();
                         if (widget && widget->isVisible()) {
                             timer->stop();
                             timer->deleteLater();
                             action();
                         } else if (elapsed->elapsed() > 5000) {
                             timer->stop();
                             timer->deleteLater();
                         }
                     });
    timer->start();
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
