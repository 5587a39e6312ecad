#include "platform/core/conversions.h"

#include "platform/core/RuntimeError.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

namespace platform {

namespace {

bool isBlank(QChar character)
{
    return character == u' ' || character == u'\t';
}
bool isDigit(QChar character)
{
    return character >= u'0' && character <= u'9';
}

bool isSign(QChar character)
{
    return character == u'+' || character == u'-';
}

// Where the run of digits that starts at from ends.
qsizetype digitsEnd(QStringView text, qsizetype from)
{
    while (from < text.size() && isDigit(text[from]))
        ++from;
    return from;
}

// Length of the number at the start of text (from position start), or 0 if none.
// The grammar is scanned here so that from_chars never sees a form we do not accept
// (hexadecimal, "inf", "nan").
qsizetype numberLength(QStringView text, qsizetype start)
{
    qsizetype end = start;
    if (end < text.size() && isSign(text[end]))
        ++end;
    const qsizetype integerEnd = digitsEnd(text, end);
    qsizetype digits = integerEnd - end;
    end = integerEnd;
    if (end < text.size() && text[end] == u'.') {
        const qsizetype fractionEnd = digitsEnd(text, end + 1);
        digits += fractionEnd - (end + 1);
        end = fractionEnd;
    }
    if (digits == 0)
        return 0;
    if (end < text.size() && (text[end] == u'e' || text[end] == u'E')) {
        qsizetype exponent = end + 1;
        if (exponent < text.size() && isSign(text[exponent]))
            ++exponent;
        const qsizetype exponentEnd = digitsEnd(text, exponent);
        // "7e" and "7e+" end before the e.
        if (exponentEnd > exponent)
            end = exponentEnd;
    }
    return end - start;
}

// A number beyond a double's range is too large (infinity) or too small (zero); the decimal
// exponent of its first significant digit says which, since the range ends far from 10^0.
double beyondRange(std::string_view number)
{
    std::size_t i = 0;
    const bool negative = number[i] == '-';
    if (number[i] == '-' || number[i] == '+')
        ++i;
    constexpr long long Limit = std::numeric_limits<int>::max();
    long long magnitude = 0;
    bool significant = false;
    for (; i < number.size() && number[i] != '.' && number[i] != 'e' && number[i] != 'E'; ++i) {
        significant = significant || number[i] != '0';
        if (significant)
            magnitude = std::min(magnitude + 1, Limit);
    }
    if (i < number.size() && number[i] == '.') {
        for (++i; i < number.size() && number[i] != 'e' && number[i] != 'E'; ++i) {
            if (significant)
                break;
            if (number[i] != '0')
                significant = true;
            else
                magnitude = std::max(magnitude - 1, -Limit);
        }
        while (i < number.size() && number[i] != 'e' && number[i] != 'E')
            ++i;
    }
    if (i < number.size()) {
        ++i;
        const bool negativeExponent = number[i] == '-';
        if (number[i] == '-' || number[i] == '+')
            ++i;
        long long exponent = 0;
        for (; i < number.size(); ++i)
            exponent = std::min(exponent * 10 + (number[i] - '0'), Limit);
        magnitude += negativeExponent ? -exponent : exponent;
    }
    const double value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -value : value;
}

double parseNumber(QStringView number)
{
    std::string ascii;
    ascii.reserve(static_cast<std::size_t>(number.size()));
    for (QChar character : number)
        ascii.push_back(static_cast<char>(character.unicode()));
    const char *first = ascii.data();
    const char *last = ascii.data() + ascii.size();
    // from_chars rejects a leading '+'.
    if (first != last && *first == '+')
        ++first;
    double value = 0.0;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    // The rounding then accepts the zero or rejects the infinity.
    if (result.ec == std::errc::result_out_of_range)
        return beyondRange(ascii);
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
