#pragma once

#include <QString>

#include <cstdint>

// A student's code: stored as text, a blank and the digits (" 7"); listed as the number that
// the main window's list keeps as the entry's item data.
namespace StudentCode {

QString fromNumber(std::int32_t number);
std::int32_t toNumber(const QString &code);

} // namespace StudentCode
