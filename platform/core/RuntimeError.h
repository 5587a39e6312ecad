#pragma once

#include <QString>

#include <stdexcept>

namespace platform {

// The kinds of failure a platform operation or a conversion can raise.
enum class ErrorKind {
    Overflow,
    TypeMismatch,
    InvalidArgument,
    KeyNotFound,
    DuplicateKey,
    PrinterUnavailable,
    PrinterFailure,
    // Anything thrown that is not a RuntimeError: a fault of the program, not of the input.
    Unexpected,
};

// A failure raised to the default error handling; carries a message meant for the user.
class RuntimeError : public std::runtime_error
{
public:
    RuntimeError(ErrorKind kind, const QString &message);

    ErrorKind kind() const noexcept { return m_kind; }
    const QString &message() const noexcept { return m_message; }

    static RuntimeError overflow();
    static RuntimeError typeMismatch(const QString &text);
    static RuntimeError invalidArgument(const QString &what);

private:
    ErrorKind m_kind;
    QString m_message;
};

} // namespace platform
