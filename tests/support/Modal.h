#pragma once

#include <QWidget>

#include <functional>

// Acting inside modal windows, and waiting for what a GUI test needs, so that a test that goes
// wrong fails at its first missed condition instead of waiting out every later step.
namespace testing {

// How long a GUI test waits for what it needs (a window active, a window gone, the focus):
// generous, as a sanitized build on a busy machine is many times slower.
constexpr int WaitLimitMs = 60000;

// Whether the running test function has already failed; every wait here then gives up at once.
bool failed();

// Waits until done() holds, at most WaitLimitMs; false at once after a failure.
bool waitFor(const std::function<bool()> &done, int limitMs = WaitLimitMs);

// The window is up and has been activated, so the focus has arrived where the show put it.
bool isActive(const QWidget *widget);

// Tells QApplication that the window is active, as a window manager would.
void forceActivation(QWidget *window);

// isActive(), after telling QApplication of a window that stayed the platform's focus window
// through a hide and show (offscreen has no window manager), as no new activation reaches it.
bool settleActivation(QWidget *widget);

// Whether a form's modal show has entered its own event loop (and not merely been shown).
bool isShowingModally(QWidget *widget);

// The window is on screen; for a compositor that activates nothing (no seat).
bool isExposed(QWidget *widget);

// How the window comes up and goes.
enum class Opening {
    // opener shows it modally and returns once the show has returned; the window is hidden
    // after the body if it is still shown.
    Call,
    // opener presses keys whose effect may come after it returns (a button answers its access
    // key after a short press animation); the body's keys close the window the same way.
    Keys,
};

// The one way to act inside a modal window: body runs once find() returns a window that
// ready() accepts, and whatever body does, the modal show returns. Returns whether body ran,
// the window went and the test has not failed; a check that failed in body has already failed
// the test, and every later wait then gives up at once.
bool whileShown(const std::function<QWidget *()> &find, const std::function<void()> &opener,
                const std::function<void(QWidget &)> &body,
                const std::function<bool(QWidget *)> &ready = settleActivation,
                Opening opening = Opening::Call);

// Runs action once, when find() returns a widget ready() accepts; set up before the click that
// opens a modal window. On giving up (WaitLimitMs, or a failed test) it hides what it found, so
// a modal show waiting for it still returns.
void whenReady(std::function<QWidget *()> find, std::function<bool(QWidget *)> ready,
               std::function<void()> action);

// Visibility alone is not enough: the focus arrives with activation, later.
void whenActive(std::function<QWidget *()> find, std::function<void()> action);

// For a compositor that activates nothing (no seat): the window is on screen.
void whenExposed(std::function<QWidget *()> find, std::function<void()> action);

// Presses OK on the real message box that comes up next; seen tells whether one did.
void pressOkOnNextMessageBox(bool &seen);

// Top-level widgets that are still shown; a test ends with none but the ones it expects.
int visibleTopLevelCount();

} // namespace testing
