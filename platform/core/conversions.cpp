#include "platform/core/conversions.h"

#include "platform/core/RuntimeError.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace platform {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}
bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Length of the number at the start of text (from position start), or 0 if none.
// The grammar is scanned here so that from_chars never sees a form we do not accept
// (hexadecimal, "inf", "nan").
qsizetype numberLength(QStringView text, qsizetype start)
{
    qsizetype i = start;
    const qsizetype n = text.size();
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        qsizetype expDigits = 0;
        while (j < n && isDigit(text[j])) {
            ++j;
            ++expDigits;
        }
        if (expDigits > 0)
            i = j;
    }
    return i - start;
}

double parseNumber(QStringView number)
{
    std::string ascii;
    ascii.reserve(static_cast<std::size_t>(number.size()));
    for (QChar c : number)
        ascii.push_back(static_cast<char>(c.unicode()));
    const char *first = ascii.data();
    const char *last = ascii.data() + ascii.size();
    // from_chars rejects a leading '+'.
    if (first != last && *first == '+')
        ++first;
    double value = 0.0;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Beyond double's range: strtod in the C locale gives the infinity or zero that the
        // rounding then accepts or rejects.
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
        return strtod_l(ascii.c_str(), nullptr, cLocale);
    }
    return value;
}

double roundHalfEven(double value)
{
    // nearbyint follows the current rounding mode, which is round-to-nearest-even by default.
    return std::nearbyint(value);
}

} // namespace

double leadingNumber(QStringView text)
{
    qsizetype start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    const qsizetype length = numberLength(text, start);
    if (length == 0)
        return 0.0;
    return parseNumber(text.mid(start, length));
}

std::int16_t roundToInt16(double value)
{
    const double rounded = roundHalfEven(value);
    if (!(rounded >= -32768.0 && rounded <= 32767.0))
        throw RuntimeError::overflow();
    return static_cast<std::int16_t>(rounded);
}

std::int32_t roundToInt32(double value)
{
    const double rounded = roundHalfEven(value);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        throw RuntimeError::overflow();
    return static_cast<std::int32_t>(rounded);
}

std::int16_t wholeNumber16(QStringView text)
{
    qsizetype start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    const qsizetype length = numberLength(text, start);
    qsizetype end = start + length;
    while (end < text.size() && isBlank(text[end]))
        ++end;
    if (length == 0 || end != text.size())
        throw RuntimeError::typeMismatch(text.toString());
    return roundToInt16(parseNumber(text.mid(start, length)));
}

QString plainDecimal(std::int64_t value)
{
    return QString::number(value);
}

QString signedDecimal(std::int64_t value)
{
    return value >= 0 ? QLatin1Char(' ') + QString::number(value) : QString::number(value);
}

} // namespace platform
