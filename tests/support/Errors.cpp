#include "support/Errors.h"

namespace testing {

QString kindName(platform::ErrorKind kind)
{
    using platform::ErrorKind;
    switch (kind) {
    case ErrorKind::Overflow:
        return QStringLiteral("overflow");
    case ErrorKind::TypeMismatch:
        return QStringLiteral("type mismatch");
    case ErrorKind::InvalidArgument:
        return QStringLiteral("invalid argument");
    case ErrorKind::KeyNotFound:
        return QStringLiteral("key not found");
    case ErrorKind::DuplicateKey:
        return QStringLiteral("duplicate key");
    case ErrorKind::PrinterUnavailable:
        return QStringLiteral("printer unavailable");
    case ErrorKind::PrinterFailure:
        return QStringLiteral("printer failure");
    case ErrorKind::Unexpected:
        return QStringLiteral("unexpected");
    }
    return QStringLiteral("error %1").arg(int(kind));
}

std::optional<platform::RuntimeError> errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const platform::RuntimeError &error) {
        return error;
    }
    return std::nullopt;
}

QString errorName(const std::function<void()> &call)
{
    const auto error = errorOf(call);
    return error ? kindName(error->kind()) : QString();
}

} // namespace testing
