#pragma once

#include <QString>

namespace platform {

// Locale-aware, case-insensitive order of list entries; in the C locale it uses English rules.
int compareListTexts(const QString &left, const QString &right);

} // namespace platform
