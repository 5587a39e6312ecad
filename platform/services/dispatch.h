#pragma once

#include "platform/core/RuntimeError.h"

#include <functional>
#include <utility>

// The one way events reach the program's handlers. A failure ends the handler, goes to the
// default error handler, and the event loop carries on; no exception ever reaches Qt.
namespace platform {

using ErrorHandler = std::function<void(const RuntimeError &)>;

// Shows the error in a message box with the application title.
void defaultErrorHandler(const RuntimeError &error);

// Replaces the error handler (tests record errors); returns the previous one.
ErrorHandler setErrorHandler(ErrorHandler handler);

void handleError(const RuntimeError &error);
void handleUnexpected(const char *what);

// True once End has run: no further handler runs.
bool hasEnded();

// Stops the program at once.
void End();

// Re-allows handlers after End; for tests that run several programs in one process.
void resetEnded();

// What End does besides stopping handlers: quit the application; tests keep their loop.
using EndAction = std::function<void()>;
EndAction setEndAction(EndAction action);

template <typename Handler> void dispatch(Handler &&handler) noexcept
{
    if (hasEnded())
        return;
    try {
        std::forward<Handler>(handler)();
    } catch (const RuntimeError &error) {
        handleError(error);
    } catch (const std::exception &error) {
        handleUnexpected(error.what());
    } catch (...) {
        handleUnexpected(nullptr);
    }
}

} // namespace platform
