// Number/text conversions and the keyed collection: the rules every window relies on.

#include "platform/core/conversions.h"
#include "platform/core/KeyedCollection.h"
#include "platform/core/RuntimeError.h"
#include "support/Errors.h"

#include <QLocale>
#include <QtTest>

#include <clocale>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;
using platform::ErrorKind;

namespace {

// The result as text, or the name of the error raised, so a table row states either outcome.
template <typename Convert> QString outcome(Convert convert)
{
    QString result;
    const QString error = testing::errorName([&] { result = QString::number(convert()); });
    return error.isEmpty() ? result : error;
}

const QString overflow = u"overflow"_s;
const QString typeMismatch = u"type mismatch"_s;

// Switches Qt's default locale and, where installed, the C library's to German (decimal
// comma) for its lifetime. Every conversion must give the same result as in the C locale.
class GermanLocale
{
public:
    GermanLocale() : m_savedQt(QLocale()), m_savedC(std::setlocale(LC_ALL, nullptr))
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
            if (std::setlocale(LC_ALL, name))
                break;
        }
    }
    ~GermanLocale()
    {
        std::setlocale(LC_ALL, m_savedC.c_str());
        QLocale::setDefault(m_savedQt);
    }
    Q_DISABLE_COPY_MOVE(GermanLocale)

private:
    QLocale m_savedQt;
    std::string m_savedC;
};

using Collection = platform::KeyedCollection<QString>;

// Splits a table cell into operations or keys; '_' stands for a blank inside a key.
QStringList words(const QString &row)
{
    QStringList result = row.split(u' ', Qt::SkipEmptyParts);
    for (QString &word : result)
        word.replace(u'_', u' ');
    return result;
}

// Applies in turn "+key" (add a new object holding the key), "=key" (add the object stored
// under the key again), "?key" (find) and "-key" (remove).
void apply(Collection &collection, const QStringList &operations)
{
    for (const QString &operation : operations) {
        const QString key = operation.mid(1);
        switch (operation.front().unicode()) {
        case u'+':
            collection.add(std::make_shared<QString>(key), key);
            break;
        case u'=':
            collection.add(collection.item(key), key);
            break;
        case u'?':
            collection.item(key);
            break;
        default:
            collection.remove(key);
        }
    }
}

QStringList keysInOrder(const Collection &collection)
{
    QStringList keys;
    for (auto it = collection.begin(); it != collection.end(); ++it)
        keys << it.key();
    return keys;
}

std::vector<const QString *> objectsInOrder(const Collection &collection)
{
    std::vector<const QString *> objects;
    for (const auto &object : collection)
        objects.push_back(object.get());
    return objects;
}

} // namespace

class TestConversions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void leadingNumber_data();
    void leadingNumber();
    void rounding_data();
    void rounding();
    void wholeNumber16_data();
    void wholeNumber16();
    void decimalText_data();
    void decimalText();

    void collectionOrder_data();
    void collectionOrder();
    void collectionFailuresChangeNothing_data();
    void collectionFailuresChangeNothing();
    void collectionSharesReferences();
};

void TestConversions::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    const double infinity = std::numeric_limits<double>::infinity();

    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("integer") << u"12"_s << 12.0;
    QTest::newRow("blank before") << u" 12"_s << 12.0;
    QTest::newRow("tabs and spaces before") << u"\t \t 12"_s << 12.0;
    QTest::newRow("fraction, text after") << u"12.5 units"_s << 12.5;
    QTest::newRow("blank inside ends it") << u"1 2"_s << 1.0;
    QTest::newRow("second point ends it") << u"1.2.3"_s << 1.2;
    QTest::newRow("comma ends it") << u"1,5"_s << 1.0;
    QTest::newRow("letters") << u"abc"_s << 0.0;
    QTest::newRow("letters first") << u"abc12"_s << 0.0;
    QTest::newRow("no digit before point") << u".5"_s << 0.5;
    QTest::newRow("no digit after point") << u"5."_s << 5.0;
    QTest::newRow("negative fraction") << u"-.5"_s << -0.5;
    QTest::newRow("plus") << u"+3"_s << 3.0;
    QTest::newRow("minus after blank") << u" -3"_s << -3.0;
    QTest::newRow("blank after sign") << u"- 3"_s << 0.0;
    QTest::newRow("two signs") << u"+-3"_s << 0.0;
    QTest::newRow("sign alone") << u"-"_s << 0.0;
    QTest::newRow("point alone") << u"."_s << 0.0;
    QTest::newRow("leading zeros") << u"007"_s << 7.0;
    QTest::newRow("exponent") << u"1e9"_s << 1e9;
    QTest::newRow("upper-case exponent, sign") << u"2.5E-1"_s << 0.25;
    QTest::newRow("exponent with plus") << u"1e+2"_s << 100.0;
    QTest::newRow("exponent without digits") << u"7e"_s << 7.0;
    QTest::newRow("exponent sign without digits") << u"7e+x"_s << 7.0;
    QTest::newRow("exponent alone") << u"e5"_s << 0.0;
    QTest::newRow("hexadecimal") << u"0x1A"_s << 0.0;
    QTest::newRow("inf") << u"inf"_s << 0.0;
    QTest::newRow("nan") << u"nan"_s << 0.0;
    QTest::newRow("signed infinity word") << u"-Infinity"_s << 0.0;
    QTest::newRow("arabic-indic digits") << u"\u0661\u0662"_s << 0.0;
    QTest::newRow("full-width digits") << u"\uFF11\uFF12"_s << 0.0;
    QTest::newRow("huge exponent") << u"1e999"_s << infinity;
    QTest::newRow("huge negative exponent") << u"-1.5e999"_s << -infinity;
    QTest::newRow("many digits") << (u"1"_s + QString(400, u'0')) << infinity;
    QTest::newRow("tiny") << u"1e-999"_s << 0.0;
    QTest::newRow("tiny negative") << u"-1e-999"_s << -0.0;
    QTest::newRow("many zeros after point") << (u"0."_s + QString(400, u'0') + u"1"_s) << 0.0;
    QTest::newRow("many zeros after point, small exponent")
        << (u"0."_s + QString(400, u'0') + u"1e10"_s) << 0.0;
    QTest::newRow("many zeros after point, three-digit exponent")
        << (u"0."_s + QString(499, u'0') + u"1e100"_s) << 0.0;
    QTest::newRow("many digits, small exponent")
        << (u"1"_s + QString(400, u'0') + u"e-100"_s) << 1e300;
    QTest::newRow("many digits, tinier exponent")
        << (u"1"_s + QString(400, u'0') + u"e-800"_s) << 0.0;
    QTest::newRow("thousands of digits, four-digit exponent")
        << (u"1"_s + QString(8599, u'0') + u"e-9000"_s) << 0.0;
    QTest::newRow("small fraction, huge exponent")
        << (u"0."_s + QString(100, u'0') + u"1e500"_s) << infinity;
    QTest::newRow("exponent past any integer") << u"1e99999999999999999999"_s << infinity;
    QTest::newRow("negative exponent past any integer") << u"-2e-99999999999999999999"_s << -0.0;
}

void TestConversions::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(platform::leadingNumber(text), expected);
    const GermanLocale german;
    QCOMPARE(platform::leadingNumber(text), expected);
}

void TestConversions::rounding_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("as16");
    QTest::addColumn<QString>("as32");
    const double infinity = std::numeric_limits<double>::infinity();

    QTest::newRow("half down to even") << 12.5 << u"12"_s << u"12"_s;
    QTest::newRow("half up to even") << 13.5 << u"14"_s << u"14"_s;
    QTest::newRow("negative half to even") << -2.5 << u"-2"_s << u"-2"_s;
    QTest::newRow("negative half away") << -3.5 << u"-4"_s << u"-4"_s;
    QTest::newRow("half to zero") << 0.5 << u"0"_s << u"0"_s;
    QTest::newRow("just below half") << 12.499999 << u"12"_s << u"12"_s;
    QTest::newRow("just above half") << 12.500001 << u"13"_s << u"13"_s;
    QTest::newRow("16-bit top") << 32767.4 << u"32767"_s << u"32767"_s;
    QTest::newRow("16-bit top half") << 32767.5 << overflow << u"32768"_s;
    QTest::newRow("16-bit bottom half") << -32768.5 << u"-32768"_s << u"-32768"_s;
    QTest::newRow("below 16-bit bottom") << -32768.6 << overflow << u"-32769"_s;
    QTest::newRow("32-bit top half") << 2147483647.5 << overflow << overflow;
    QTest::newRow("32-bit top") << 2147483647.0 << overflow << u"2147483647"_s;
    QTest::newRow("32-bit bottom half") << -2147483648.5 << overflow << u"-2147483648"_s;
    QTest::newRow("below 32-bit bottom") << -2147483649.0 << overflow << overflow;
    QTest::newRow("huge") << 1e300 << overflow << overflow;
    QTest::newRow("infinity") << infinity << overflow << overflow;
    QTest::newRow("negative infinity") << -infinity << overflow << overflow;
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << overflow << overflow;
}

void TestConversions::rounding()
{
    QFETCH(double, value);
    QFETCH(QString, as16);
    QFETCH(QString, as32);
    QCOMPARE(outcome([&] { return platform::roundToInt16(value); }), as16);
    QCOMPARE(outcome([&] { return platform::roundToInt32(value); }), as32);
}

void TestConversions::wholeNumber16_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zero") << u"0"_s << u"0"_s;
    QTest::newRow("one") << u"1"_s << u"1"_s;
    QTest::newRow("blanks around") << u" \t12 "_s << u"12"_s;
    QTest::newRow("half to even") << u"12.5"_s << u"12"_s;
    QTest::newRow("half up to even") << u"13.5"_s << u"14"_s;
    QTest::newRow("plus") << u"+3"_s << u"3"_s;
    QTest::newRow("exponent") << u"1e4"_s << u"10000"_s;
    QTest::newRow("16-bit bottom half") << u"-32768.5"_s << u"-32768"_s;
    QTest::newRow("16-bit top half") << u"32767.5"_s << overflow;
    QTest::newRow("too big") << u"1e9"_s << overflow;
    QTest::newRow("huge exponent") << u"1e999"_s << overflow;
    QTest::newRow("letters") << u"abc"_s << typeMismatch;
    QTest::newRow("empty") << QString() << typeMismatch;
    QTest::newRow("blanks only") << u"  "_s << typeMismatch;
    QTest::newRow("text after number") << u"12abc"_s << typeMismatch;
    QTest::newRow("exponent without digits") << u"7e"_s << typeMismatch;
    QTest::newRow("sign alone") << u"-"_s << typeMismatch;
    QTest::newRow("hexadecimal") << u"0x1A"_s << typeMismatch;
    QTest::newRow("inf") << u"inf"_s << typeMismatch;
    QTest::newRow("decimal comma") << u"1,5"_s << typeMismatch;
    QTest::newRow("arabic-indic digits") << u"\u0661"_s << typeMismatch;
}

void TestConversions::wholeNumber16()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(outcome([&] { return platform::wholeNumber16(text); }), expected);
    const GermanLocale german;
    QCOMPARE(outcome([&] { return platform::wholeNumber16(text); }), expected);
}

void TestConversions::decimalText_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("withSign");

    QTest::newRow("zero") << qint64(0) << u"0"_s << u" 0"_s;
    QTest::newRow("positive") << qint64(7) << u"7"_s << u" 7"_s;
    QTest::newRow("negative") << qint64(-7) << u"-7"_s << u"-7"_s;
    QTest::newRow("no group separators") << qint64(1234567) << u"1234567"_s << u" 1234567"_s;
    QTest::newRow("16-bit bottom") << qint64(-32768) << u"-32768"_s << u"-32768"_s;
    QTest::newRow("64-bit bottom") << std::numeric_limits<qint64>::min()
                                   << u"-9223372036854775808"_s << u"-9223372036854775808"_s;
}

void TestConversions::decimalText()
{
    QFETCH(qint64, value);
    QFETCH(QString, plain);
    QFETCH(QString, withSign);
    QCOMPARE(platform::plainDecimal(value), plain);
    QCOMPARE(platform::signedDecimal(value), withSign);

    const GermanLocale german;
    QCOMPARE(platform::plainDecimal(value), plain);
    QCOMPARE(platform::signedDecimal(value), withSign);
}

void TestConversions::collectionOrder_data()
{
    QTest::addColumn<QString>("operations");
    QTest::addColumn<QString>("expectedKeys");

    QTest::newRow("order of adding, not sorted") << u"+c +a +b"_s << u"c a b"_s;
    QTest::newRow("remove first") << u"+a +b +c -a"_s << u"b c"_s;
    QTest::newRow("remove middle") << u"+a +b +c -b"_s << u"a c"_s;
    QTest::newRow("remove last") << u"+a +b +c -c"_s << u"a b"_s;
    QTest::newRow("remove all") << u"+a +b -b -a"_s << QString();
    QTest::newRow("re-added key goes to the end") << u"+a +b +c -a +a"_s << u"b c a"_s;
    QTest::newRow("keys are case-sensitive") << u"+a +A -a"_s << u"A"_s;
    QTest::newRow("blank is part of the key") << u"+_1 +1 -_1"_s << u"1"_s;

    // Enough entries for the index to grow while entries around the removed ones move.
    QStringList many;
    QStringList odd;
    for (int i = 0; i < 1000; ++i)
        many << u"+k"_s + QString::number(i);
    for (int i = 0; i < 1000; i += 2) {
        many << u"-k"_s + QString::number(i);
        odd << u"k"_s + QString::number(i + 1);
    }
    QTest::newRow("every other of 1000 removed") << many.join(u' ') << odd.join(u' ');
}

void TestConversions::collectionOrder()
{
    QFETCH(QString, operations);
    QFETCH(QString, expectedKeys);
    const QStringList expected = words(expectedKeys);
    Collection collection;
    apply(collection, words(operations));

    QCOMPARE(collection.count(), int(expected.size()));
    QCOMPARE(keysInOrder(collection), expected);
    QStringList visited;
    for (const auto &object : collection) {
        visited << *object;
        QCOMPARE(collection.item(*object).get(), object.get());
    }
    QCOMPARE(visited, expected);
}

void TestConversions::collectionFailuresChangeNothing_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("error");
    const QString duplicate = u"duplicate key"_s;
    const QString notFound = u"key not found"_s;

    QTest::newRow("add under first key") << u"+a"_s << duplicate;
    QTest::newRow("add under last key") << u"+c"_s << duplicate;
    QTest::newRow("add same object again") << u"=b"_s << duplicate;
    QTest::newRow("find missing") << u"?d"_s << notFound;
    QTest::newRow("find other case") << u"?B"_s << notFound;
    QTest::newRow("find with blank") << u"?_a"_s << notFound;
    QTest::newRow("find empty key") << u"?"_s << notFound;
    QTest::newRow("remove missing") << u"-d"_s << notFound;
    QTest::newRow("remove other case") << u"-A"_s << notFound;
}

void TestConversions::collectionFailuresChangeNothing()
{
    QFETCH(QString, operation);
    QFETCH(QString, error);
    Collection collection;
    apply(collection, words(u"+a +b +c"_s));
    const auto before = objectsInOrder(collection);

    QCOMPARE(testing::errorName([&] { apply(collection, words(operation)); }), error);
    QCOMPARE(collection.count(), 3);
    QCOMPARE(keysInOrder(collection), (QStringList{u"a"_s, u"b"_s, u"c"_s}));
    QVERIFY(objectsInOrder(collection) == before);
}

void TestConversions::collectionSharesReferences()
{
    std::weak_ptr<QString> removed;
    std::weak_ptr<QString> kept;
    std::weak_ptr<QString> rejected;
    auto held = std::make_shared<QString>(u"held"_s);
    {
        Collection collection;
        collection.add(held, u"held"_s);
        QCOMPARE(collection.item(u"held"_s).get(), held.get());

        collection.add(std::make_shared<QString>(u"removed"_s), u"removed"_s);
        removed = collection.item(u"removed"_s);
        collection.remove(u"removed"_s);
        QVERIFY(removed.expired());

        auto duplicate = std::make_shared<QString>(u"rejected"_s);
        rejected = duplicate;
        QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, collection.add(duplicate, u"held"_s));
        duplicate.reset();
        QVERIFY(rejected.expired());

        collection.add(std::make_shared<QString>(u"kept"_s), u"kept"_s);
        kept = collection.item(u"kept"_s);
        collection.remove(u"held"_s);
    }
    // The collection held the last reference to "kept"; a caller's reference outlives it.
    QVERIFY(kept.expired());
    QCOMPARE(*held, u"held"_s);
    QCOMPARE(held.use_count(), 1);
}

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"
