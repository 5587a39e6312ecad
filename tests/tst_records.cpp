// The student record and the student collection: storage, codes and failures.

#include "platform/core/RuntimeError.h"
#include "records/CStudent.h"
#include "records/CStudents.h"
#include "support/Errors.h"

#include <QtTest>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using platform::ErrorKind;

namespace {

// The seven values of a record in field order, numbers as text.
QStringList fields(const CStudent &student)
{
    return {student.StudentName(),
            QString::number(student.UnitsCompleted()),
            QString::number(student.GradeLevel()),
            student.Major(),
            student.School(),
            student.DeansList(),
            student.StudentCode()};
}

QStringList codesInOrder(const CStudents &students)
{
    QStringList codes;
    for (const auto &student : students)
        codes << student->StudentCode();
    return codes;
}

// Adds a record for each of the next `count` codes, named after its code.
void addStudents(CStudents &students, int count)
{
    for (int i = 0; i < count; ++i) {
        const QString code = students.NextStudentCode();
        students.Add(u"Student"_s + code, 0, 0, QString(), QString(), u"0"_s, code);
    }
}

using Change = std::function<void(CStudent &)>;

} // namespace

class TestRecords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eachSetterChangesOnlyItsProperty_data();
    void eachSetterChangesOnlyItsProperty();
    void addStoresExactlyWhatItGot_data();
    void addStoresExactlyWhatItGot();
    void codesRunOutAfter32767();
    void codesKeepRisingAfterRemovals_data();
    void codesKeepRisingAfterRemovals();
    void missingKeysChangeNothing_data();
    void missingKeysChangeNothing();
    void duplicateCodeStoresNothing();
    void itemIsTheStoredRecord();
    void recordsAreReleasedWithTheCollection();
    void eachCollectionCountsOnItsOwn();
};

void TestRecords::eachSetterChangesOnlyItsProperty_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QStringList>("expected");
    const auto with = [](int field, const QString &value) {
        QStringList values{QString(), u"0"_s, u"0"_s, QString(), QString(), QString(), QString()};
        values[field] = value;
        return values;
    };

    QTest::newRow("new record") << Change([](CStudent &) {}) << with(0, QString());
    QTest::newRow("name, blanks kept")
        << Change([](CStudent &s) { s.setStudentName(u"  Ann Lee "_s); })
        << with(0, u"  Ann Lee "_s);
    QTest::newRow("units lowest") << Change([](CStudent &s) { s.setUnitsCompleted(-32768); })
                                  << with(1, u"-32768"_s);
    QTest::newRow("units highest")
        << Change([](CStudent &s) { s.setUnitsCompleted(32767); }) << with(1, u"32767"_s);
    QTest::newRow("negative grade level")
        << Change([](CStudent &s) { s.setGradeLevel(-1); }) << with(2, u"-1"_s);
    QTest::newRow("major") << Change([](CStudent &s) { s.setMajor(u"Biology"_s); })
                           << with(3, u"Biology"_s);
    QTest::newRow("school") << Change([](CStudent &s) { s.setSchool(u"Engineering"_s); })
                            << with(4, u"Engineering"_s);
    QTest::newRow("deans list") << Change([](CStudent &s) { s.setDeansList(u"1"_s); })
                                << with(5, u"1"_s);
    QTest::newRow("code") << Change([](CStudent &s) { s.setStudentCode(u" 1"_s); })
                          << with(6, u" 1"_s);
    QTest::newRow("set again replaces") << Change([](CStudent &s) {
        s.setMajor(u"Art"_s);
        s.setMajor(QString());
    }) << with(3, QString());
}

void TestRecords::eachSetterChangesOnlyItsProperty()
{
    QFETCH(Change, change);
    QFETCH(QStringList, expected);
    CStudent student;
    change(student);
    QCOMPARE(fields(student), expected);
}

void TestRecords::addStoresExactlyWhatItGot_data()
{
    // Every text differs from the others, so a value landing in the wrong field shows.
    QTest::addColumn<QStringList>("values");
    QTest::newRow("typical") << QStringList{u"Ann Lee"_s,     u"30"_s, u"2"_s, u"Biology"_s,
                                            u"Engineering"_s, u"1"_s,  u" 1"_s};
    QTest::newRow("empty texts and zeros")
        << QStringList{QString(), u"0"_s, u"0"_s, QString(), QString(), QString(), QString()};
    QTest::newRow("negative numbers")
        << QStringList{u"Bo"_s, u"-1"_s, u"-5"_s, u"Art"_s, u"Law"_s, u"0"_s, u" 2"_s};
    QTest::newRow("extremes") << QStringList{u"Cy"_s,   u"-32768"_s, u"32767"_s, u"Math"_s,
                                             u"Arts"_s, u"1"_s,      u" 32767"_s};
    QTest::newRow("blanks and other text kept") << QStringList{
        u"  Zoë \u540D "_s, u"7"_s, u"3"_s, u" Music"_s, u"Fine Arts "_s, u"yes"_s, u"code"_s};
}

void TestRecords::addStoresExactlyWhatItGot()
{
    QFETCH(QStringList, values);
    QStringList texts = values;
    CStudents students;
    students.Add(texts[0], std::int16_t(values[1].toShort()), std::int16_t(values[2].toShort()),
                 texts[3], texts[4], texts[5], texts[6]);
    // The caller's texts are its own after the call.
    for (QString &text : texts)
        text.append(u'!');

    QCOMPARE(students.Count(), 1);
    const auto stored = students.Item(values[6]);
    QVERIFY(stored);
    QCOMPARE(fields(*stored), values);
    QCOMPARE((*students.begin()).get(), stored.get());
}

void TestRecords::codesRunOutAfter32767()
{
    CStudents students;
    for (int expected = 1; expected <= 32767; ++expected)
        QCOMPARE(students.NextStudentCode(), u' ' + QString::number(expected));
    // The counter must stay at its top: a wrapped one would hand out negative codes here.
    for (int attempt = 0; attempt < 3; ++attempt)
        QCOMPARE(testing::errorName([&] { students.NextStudentCode(); }), u"overflow"_s);
    QCOMPARE(students.Count(), 0);
}

void TestRecords::codesKeepRisingAfterRemovals_data()
{
    QTest::addColumn<QStringList>("removed");
    QTest::addColumn<QStringList>("remaining");

    QTest::newRow("first") << QStringList{u" 1"_s} << QStringList{u" 2"_s, u" 3"_s};
    QTest::newRow("middle") << QStringList{u" 2"_s} << QStringList{u" 1"_s, u" 3"_s};
    QTest::newRow("last") << QStringList{u" 3"_s} << QStringList{u" 1"_s, u" 2"_s};
    QTest::newRow("all") << QStringList{u" 3"_s, u" 1"_s, u" 2"_s} << QStringList{};
}

void TestRecords::codesKeepRisingAfterRemovals()
{
    QFETCH(QStringList, removed);
    QFETCH(QStringList, remaining);
    CStudents students;
    addStudents(students, 3);
    for (const QString &code : removed)
        students.Remove(code);

    QCOMPARE(students.Count(), int(remaining.size()));
    QCOMPARE(codesInOrder(students), remaining);
    QStringList enumerated;
    for (auto it = students.NewEnum(); it != students.end(); ++it)
        enumerated << (*it)->StudentName();
    for (QString &name : enumerated)
        name.remove(u"Student"_s);
    QCOMPARE(enumerated, remaining);
    for (const QString &code : remaining)
        QCOMPARE(students[code]->StudentCode(), code);
    QCOMPARE(students.NextStudentCode(), u" 4"_s);
}

void TestRecords::missingKeysChangeNothing_data()
{
    QTest::addColumn<QString>("key");
    QTest::newRow("digits alone") << u"1"_s;
    QTest::newRow("two blanks") << u"  1"_s;
    QTest::newRow("leading zero") << u" 01"_s;
    QTest::newRow("blank after") << u" 1 "_s;
    QTest::newRow("empty") << QString();
    QTest::newRow("removed code") << u" 2"_s;
    QTest::newRow("never handed out") << u" 4"_s;
}

void TestRecords::missingKeysChangeNothing()
{
    QFETCH(QString, key);
    CStudents students;
    addStudents(students, 3);
    students.Remove(u" 2"_s);
    const auto first = students.Item(u" 1"_s);

    QCOMPARE(testing::errorName([&] { students.Item(key); }), u"key not found"_s);
    QCOMPARE(testing::errorName([&] { students[key]; }), u"key not found"_s);
    QCOMPARE(testing::errorName([&] { students.Remove(key); }), u"key not found"_s);
    // The user reads which key was missing.
    const auto error = testing::errorOf([&] { students.Item(key); });
    QCOMPARE(error ? error->message() : QString(),
             u"The student record was not found: no entry has the key \""_s + key + u"\"."_s);

    QCOMPARE(students.Count(), 2);
    QCOMPARE(codesInOrder(students), (QStringList{u" 1"_s, u" 3"_s}));
    QCOMPARE(students.Item(u" 1"_s).get(), first.get());
    QCOMPARE(students.NextStudentCode(), u" 4"_s);
}

void TestRecords::duplicateCodeStoresNothing()
{
    CStudents students;
    students.Add(u"Ann"_s, 10, 1, u"Art"_s, u"Arts"_s, u"0"_s, u" 1"_s);
    const auto ann = students.Item(u" 1"_s);
    const QStringList annFields = fields(*ann);

    QCOMPARE(testing::errorName(
                 [&] { students.Add(u"Bob"_s, 20, 2, u"Law"_s, u"Law"_s, u"1"_s, u" 1"_s); }),
             u"duplicate key"_s);
    QCOMPARE(students.Count(), 1);
    QCOMPARE(students.Item(u" 1"_s).get(), ann.get());
    QCOMPARE(fields(*ann), annFields);

    // The failed call leaves the collection usable.
    students.Add(u"Cy"_s, 0, 0, QString(), QString(), u"0"_s, u" 2"_s);
    QCOMPARE(codesInOrder(students), (QStringList{u" 1"_s, u" 2"_s}));
}

void TestRecords::itemIsTheStoredRecord()
{
    CStudents students;
    addStudents(students, 2);
    const auto held = students.Item(u" 1"_s);
    QCOMPARE(students[u" 1"_s].get(), held.get());

    students.Item(u" 1"_s)->setStudentName(u"Changed"_s);
    students[u" 1"_s]->setUnitsCompleted(42);
    QCOMPARE(held->StudentName(), u"Changed"_s);
    QCOMPARE((*students.begin())->UnitsCompleted(), std::int16_t(42));
    QCOMPARE(students.Item(u" 2"_s)->StudentName(), u"Student 2"_s);

    // A caller's reference keeps the record after it leaves the collection.
    students.Remove(u" 1"_s);
    QCOMPARE(held->StudentName(), u"Changed"_s);
    QCOMPARE(held.use_count(), 1);
}

void TestRecords::recordsAreReleasedWithTheCollection()
{
    std::weak_ptr<CStudent> removed;
    std::weak_ptr<CStudent> stored;
    {
        CStudents students;
        addStudents(students, 2);
        removed = students.Item(u" 1"_s);
        stored = students.Item(u" 2"_s);
        students.Remove(u" 1"_s);
        QVERIFY(removed.expired());
        QVERIFY(!stored.expired());
    }
    QVERIFY(stored.expired());
}

void TestRecords::eachCollectionCountsOnItsOwn()
{
    CStudents first;
    addStudents(first, 5);
    CStudents second;
    QCOMPARE(second.Count(), 0);
    QCOMPARE(second.NextStudentCode(), u" 1"_s);
    QCOMPARE(first.NextStudentCode(), u" 6"_s);
    QCOMPARE(second.NextStudentCode(), u" 2"_s);
    QCOMPARE(first.Count(), 5);
}

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
