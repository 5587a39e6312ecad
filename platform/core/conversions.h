#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>

// Number and text conversions shared by the windows and the records. They behave the same
// whatever the system locale: the decimal point is always '.'.
namespace platform {

// The number written at the start of the text after any blanks (spaces, tabs); 0 when none.
// Accepts a sign, digits with an optional fraction and an optional exponent; nothing else.
double leadingNumber(QStringView text);

// Nearest whole number, halves to the even neighbour; overflow error outside the range,
// for infinities and for NaN.
std::int16_t roundToInt16(double value);
std::int32_t roundToInt32(double value);

// The whole text as a number rounded to 16 bits; blanks around it are allowed.
// A text that is not a number raises a type-mismatch error.
std::int16_t wholeNumber16(QStringView text);

// Decimal digits, "-" before a negative number, no leading blank: 0 -> "0".
QString plainDecimal(std::int64_t value);

// A blank before a number of 0 or more, "-" before a negative one: 7 -> " 7".
QString signedDecimal(std::int64_t value);

} // namespace platform
