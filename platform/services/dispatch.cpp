#include "platform/services/dispatch.h"

#include "platform/services/MessageBox.h"

#include <QCoreApplication>
#include <QString>

namespace platform {

namespace {

ErrorHandler &currentHandler()
{
    static ErrorHandler handler = defaultErrorHandler;
    return handler;
}

bool g_ended = false;

} // namespace

void defaultErrorHandler(const RuntimeError &error)
{
    MsgBox(error.message());
}

ErrorHandler setErrorHandler(ErrorHandler handler)
{
    ErrorHandler previous = std::move(currentHandler());
    currentHandler() = handler ? std::move(handler) : ErrorHandler(defaultErrorHandler);
    return previous;
}

void handleError(const RuntimeError &error)
{
    // A failure inside the handler itself (a message box that cannot be shown) must not
    // escape into Qt either.
    try {
        currentHandler()(error);
    } catch (...) {
    }
}

void handleUnexpected(const char *what)
{
    handleError(RuntimeError(
        ErrorKind::InvalidArgument,
        QStringLiteral("Unexpected error: %1")
            .arg(what ? QString::fromLocal8Bit(what) : QStringLiteral("unknown failure"))));
}

bool hasEnded()
{
    return g_ended;
}

EndAction &endAction()
{
    static EndAction action = [] { QCoreApplication::exit(0); };
    return action;
}

EndAction setEndAction(EndAction action)
{
    EndAction previous = std::move(endAction());
    endAction() = action ? std::move(action) : EndAction([] { QCoreApplication::exit(0); });
    return previous;
}

void End()
{
    g_ended = true;
    endAction()();
}

void resetEnded()
{
    g_ended = false;
}

} // namespace platform
