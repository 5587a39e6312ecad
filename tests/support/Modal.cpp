#include "support/Modal.h"

#include "support/Probes.h"

#include "platform/forms/Form.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <memory>

namespace testing {

bool failed()
{
    return QTest::currentTestFailed();
}

bool waitFor(const std::function<bool()> &done, int limitMs)
{
    return QTest::qWaitFor([&] { return failed() || done(); }, limitMs) && !failed();
}

bool isActive(const QWidget *widget)
{
    return widget && widget->isVisible() && QApplication::activeWindow() == widget->window();
}

void forceActivation(QWidget *window)
{
    // Deprecated since Qt 6.5 in favour of QWidget::activateWindow(), which cannot help when
    // the platform already counts the window as focused.
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(window);
    QT_WARNING_POP
}

bool settleActivation(QWidget *widget)
{
    if (!widget || !widget->isVisible())
        return false;
    QWidget *window = widget->window();
    if (QApplication::activeWindow() != window && window->windowHandle() &&
        QGuiApplication::focusWindow() == window->windowHandle())
        forceActivation(window);
    return isActive(widget);
}

bool isShowingModally(QWidget *widget)
{
    const auto *form = qobject_cast<platform::Form *>(widget);
    return form && FormProbe::isShowingModally(*form);
}

bool isExposed(QWidget *widget)
{
    return widget && widget->isVisible() && widget->window()->windowHandle() &&
           widget->window()->windowHandle()->isExposed();
}

bool whileShown(const std::function<QWidget *()> &find, const std::function<void()> &opener,
                const std::function<void(QWidget &)> &body,
                const std::function<bool(QWidget *)> &ready, Opening opening)
{
    if (failed())
        return false;
    const auto shown = [&find] {
        QWidget *window = find();
        return window && window->isVisible();
    };
    bool ran = false;
    bool closed = true;
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, &timer, [&] {
        QWidget *window = find();
        if (!ready(window))
            return;
        timer.stop();
        ran = true;
        body(*window);
        if (opening == Opening::Keys && !waitFor([&] { return !shown(); }))
            closed = false;
        // Never leave a modal loop running behind a failed check.
        if (shown())
            find()->hide();
    });
    timer.start();
    opener();
    const bool done = opening == Opening::Call ? ran : waitFor([&] { return ran && !shown(); });
    timer.stop();
    if (shown())
        find()->hide();
    return done && closed && !failed();
}

void whenReady(std::function<QWidget *()> find, std::function<bool(QWidget *)> ready,
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
                         } else if (failed() || elapsed->elapsed() > WaitLimitMs) {
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

void whenActive(std::function<QWidget *()> find, std::function<void()> action)
{
    whenReady(std::move(find), settleActivation, std::move(action));
}

void whenExposed(std::function<QWidget *()> find, std::function<void()> action)
{
    whenReady(std::move(find), isExposed, std::move(action));
}

void pressOkOnNextMessageBox(bool &seen)
{
    whenActive([] { return QApplication::activeModalWidget(); },
               [&seen] {
                   auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                   seen = box != nullptr;
                   if (box)
                       box->button(QMessageBox::Ok)->click();
               });
}

int visibleTopLevelCount()
{
    int count = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        count += widget->isVisible() ? 1 : 0;
    return count;
}

} // namespace testing
