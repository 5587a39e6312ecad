#include "platform/core/RuntimeError.h"

namespace platform {

RuntimeError::RuntimeError(ErrorKind kind, const QString &message)
    : std::runtime_error(message.toStdString()), m_kind(kind), m_message(message)
{}

RuntimeError RuntimeError::overflow()
{
    return RuntimeError(ErrorKind::Overflow,
                        QStringLiteral("Overflow: the number is outside the range this field can "
                                       "hold."));
}

RuntimeError RuntimeError::typeMismatch(const QString &text)
{
    return RuntimeError(ErrorKind::TypeMismatch,
                        QStringLiteral("Type mismatch: \"%1\" is not a number.").arg(text));
}

RuntimeError RuntimeError::invalidArgument(const QString &what)
{
    return RuntimeError(ErrorKind::InvalidArgument,
                        QStringLiteral("Invalid procedure call or argument: %1.").arg(what));
}

} // namespace platform
