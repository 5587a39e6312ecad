// Checks the number and text conversions against a reference written independently of them:
// a table-driven scanner for the accepted prefix, strtod in the C locale, and half-to-even
// rounding done by hand and by nearbyint.

#include "platform/core/conversions.h"
#include "platform/core/RuntimeError.h"

#include <QString>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <locale.h>
#include <optional>
#include <string>
#include <vector>

namespace {

QString currentText;

[[noreturn]] void mismatch(const char *what, int line)
{
    const QByteArray utf8 = currentText.toUtf8();
    std::fprintf(stderr,
                 "fuzz_conversions: mismatch at line %d: %s\ntext (%lld UTF-16 units): ", line,
                 what, static_cast<long long>(currentText.size()));
    for (QChar c : currentText)
        std::fprintf(stderr, "U+%04X ", c.unicode());
    std::fprintf(stderr, "\nutf-8: %s\n", utf8.constData());
    __builtin_trap();
}

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition))                                                                          \
            mismatch(#condition, __LINE__);                                                        \
    } while (false)

bool sameDouble(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The accepted number grammar as a state machine: [+-]? (digits [.digits?] | .digits)
// ([eE][+-]?digits)?. The longest prefix that ends in an accepting state is the number.
enum State { Start, Sign, Int, Dot, Frac, Exp, ExpSign, ExpDigits, Dead, StateCount };
enum Class { Digit, PlusMinus, Point, E, Other, ClassCount };

constexpr State transitions[StateCount][ClassCount] = {
    // Digit     PlusMinus Point Exp   Other
    {Int, Sign, Dot, Dead, Dead},           // Start
    {Int, Dead, Dot, Dead, Dead},           // Sign
    {Int, Dead, Frac, Exp, Dead},           // Int
    {Frac, Dead, Dead, Dead, Dead},         // Dot
    {Frac, Dead, Dead, Exp, Dead},          // Frac
    {ExpDigits, ExpSign, Dead, Dead, Dead}, // Exp
    {ExpDigits, Dead, Dead, Dead, Dead},    // ExpSign
    {ExpDigits, Dead, Dead, Dead, Dead},    // ExpDigits
    {Dead, Dead, Dead, Dead, Dead},         // Dead
};
constexpr bool accepting[StateCount] = {false, false, true, false, true, false, false, true, false};

Class classify(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return Digit;
    if (c == u'+' || c == u'-')
        return PlusMinus;
    if (c == u'.')
        return Point;
    if (c == u'e' || c == u'E')
        return E;
    return Other;
}

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

// Length of the longest accepted prefix of text[start...].
qsizetype acceptedLength(const QString &text, qsizetype start)
{
    State state = Start;
    qsizetype longest = 0;
    for (qsizetype i = start; i < text.size() && state != Dead; ++i) {
        state = transitions[state][classify(text[i].unicode())];
        if (accepting[state])
            longest = i - start + 1;
    }
    return longest;
}

double referenceParse(const QString &number)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    std::string ascii;
    for (QChar c : number) {
        CHECK(c.unicode() < 0x80);
        ascii.push_back(static_cast<char>(c.unicode()));
    }
    char *end = nullptr;
    const double value = strtod_l(ascii.c_str(), &end, cLocale);
    CHECK(end == ascii.c_str() + ascii.size());
    return value;
}

qsizetype blanksFrom(const QString &text, qsizetype i)
{
    while (i < text.size() && isBlank(text[i].unicode()))
        ++i;
    return i;
}

double referenceLeadingNumber(const QString &text)
{
    const qsizetype start = blanksFrom(text, 0);
    const qsizetype length = acceptedLength(text, start);
    return length == 0 ? 0.0 : referenceParse(text.mid(start, length));
}

// Half to even by hand; nothing for NaN.
std::optional<double> referenceRound(double value)
{
    if (std::isnan(value))
        return std::nullopt;
    if (std::isinf(value))
        return value;
    const double below = std::floor(value);
    const double fraction = value - below; // exact for doubles
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0))
        rounded = below + 1.0;
    CHECK(sameDouble(rounded + 0.0, std::nearbyint(value) + 0.0));
    return rounded;
}

template <typename Int> std::optional<Int> referenceRoundTo(double value)
{
    const std::optional<double> rounded = referenceRound(value);
    constexpr double low = static_cast<double>(std::numeric_limits<Int>::min());
    constexpr double high = static_cast<double>(std::numeric_limits<Int>::max());
    if (!rounded || *rounded < low || *rounded > high)
        return std::nullopt;
    return static_cast<Int>(*rounded);
}

// Calls f; returns its value, or nothing when it raised an error of the expected kind.
template <typename F>
auto expectValueOr(platform::ErrorKind kind, F f) -> std::optional<decltype(f())>
{
    try {
        return f();
    } catch (const platform::RuntimeError &error) {
        CHECK(error.kind() == kind);
        return std::nullopt;
    } catch (...) {
        mismatch("unexpected exception type", __LINE__);
    }
}

void checkRounding(double value)
{
    const auto int16 =
        expectValueOr(platform::ErrorKind::Overflow, [&] { return platform::roundToInt16(value); });
    CHECK(int16 == referenceRoundTo<std::int16_t>(value));
    const auto int32 =
        expectValueOr(platform::ErrorKind::Overflow, [&] { return platform::roundToInt32(value); });
    CHECK(int32 == referenceRoundTo<std::int32_t>(value));
}

void checkText(const QString &text)
{
    currentText = text;
    const double leading = platform::leadingNumber(text);
    CHECK(sameDouble(leading, referenceLeadingNumber(text)));
    checkRounding(leading);

    // The whole text, blanks around it allowed, must be one number; else a type mismatch.
    const qsizetype start = blanksFrom(text, 0);
    const qsizetype length = acceptedLength(text, start);
    const bool wholeIsNumber = length > 0 && blanksFrom(text, start + length) == text.size();
    try {
        const std::int16_t whole = platform::wholeNumber16(text);
        CHECK(wholeIsNumber);
        CHECK(referenceRoundTo<std::int16_t>(leading) == whole);
    } catch (const platform::RuntimeError &error) {
        if (wholeIsNumber) {
            CHECK(error.kind() == platform::ErrorKind::Overflow);
            CHECK(!referenceRoundTo<std::int16_t>(leading));
        } else {
            CHECK(error.kind() == platform::ErrorKind::TypeMismatch);
        }
    }
}

void checkDecimal(std::int64_t value)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "%" PRId64, value);
    const QString plain = platform::plainDecimal(value);
    const QString expectedPlain = QString::fromLatin1(digits);
    currentText = plain;
    CHECK(plain == expectedPlain);
    const QString signedText = platform::signedDecimal(value);
    currentText = signedText;
    CHECK(signedText == (value >= 0 ? QStringLiteral(" ") + expectedPlain : expectedPlain));

    // Back again: the keys built from item data must read back as the same number.
    CHECK(sameDouble(platform::leadingNumber(plain), static_cast<double>(value)));
    CHECK(sameDouble(platform::leadingNumber(signedText), static_cast<double>(value)));
    if (value >= INT32_MIN && value <= INT32_MAX)
        CHECK(platform::roundToInt32(platform::leadingNumber(signedText)) == value);
    if (value >= INT16_MIN && value <= INT16_MAX) {
        CHECK(platform::wholeNumber16(signedText) == value);
        CHECK(platform::wholeNumber16(plain) == value);
    }
}

// Characters the grammar cares about, plus look-alikes it must not accept.
constexpr char16_t alphabet[] = {
    u' ',      u'\t',     u'+', u'-', u'.', u'e', u'E', u'0',  u'1',      u'2',      u'5',
    u'9',      u'7',      u'3', u'x', u'd', u'D', u'&', u'\n', u'\u00a0', u'\uff11', u'\u0660',
    u'\u2212', u'\u00b2', u',', u'i', u'n', u'f', u'a', u'\0', u'4',      u'8'};

QString decodeText(std::uint8_t mode, const std::uint8_t *data, std::size_t size)
{
    const auto *chars = reinterpret_cast<const char *>(data);
    const auto length = static_cast<qsizetype>(size);
    switch (mode % 4) {
    case 0:
        return QString::fromLatin1(chars, length);
    case 1:
        return QString::fromUtf8(chars, length);
    case 2: {
        // Copied first: the input bytes need not be aligned for char16_t.
        std::vector<char16_t> units(size / 2);
        if (!units.empty())
            std::memcpy(units.data(), data, units.size() * sizeof(char16_t));
        return QString(reinterpret_cast<const QChar *>(units.data()),
                       static_cast<qsizetype>(units.size()));
    }
    default: {
        QString text;
        for (std::size_t i = 0; i < size; ++i)
            text.append(QChar(alphabet[data[i] % std::size(alphabet)]));
        return text;
    }
    }
}

template <typename T> T readValue(const std::uint8_t *data, std::size_t size)
{
    T value{};
    std::memcpy(&value, data, std::min(size, sizeof value));
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t mode = data[0];
    ++data;
    --size;

    checkText(decodeText(mode, data, size));

    // The same bytes as numbers: any double (NaN, infinities, halves) and any 64-bit integer.
    currentText.clear();
    const double raw = readValue<double>(data, size);
    checkRounding(raw);
    const auto integer = readValue<std::int64_t>(data, size);
    checkDecimal(integer);
    // Halves and near-halves around both ranges' edges.
    const double half = static_cast<double>(integer % (std::int64_t{1} << 34)) / 2.0;
    checkRounding(half);
    checkRounding(std::nextafter(half, 0.0));
    checkRounding(std::nextafter(half, half + 1.0));
    return 0;
}
