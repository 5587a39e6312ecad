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

void quitApplication()
{
    QCoreApplication::exit(0);
}

EndAction &endAction()
{
    static EndAction action = quitApplication;
    return action;
}

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
        ErrorKind::Unexpected,
        QStringLiteral("Unexpected error: %1")
            .arg(what ? QString::fromLocal8Bit(what) : QStringLiteral("unknown failure"))));
}

bool hasEnded()
{
    return g_ended;
}

EndAction setEndAction(EndAction action)
{
    EndAction previous = std::move(endAction());
    endAction() = action ? std::move(action) : EndAction(quitApplication);
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
