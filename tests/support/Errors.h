#pragma once

#include "platform/core/RuntimeError.h"

#include <QString>

#include <functional>
#include <optional>

namespace testing {

// The name of an error kind ("overflow", "key not found"...), so a failed comparison reads well.
QString kindName(platform::ErrorKind kind);

// The error a call raised, or none.
std::optional<platform::RuntimeError> errorOf(const std::function<void()> &call);

// The name of the error a call raised, "" when none.
QString errorName(const std::function<void()> &call);

} // namespace testing
