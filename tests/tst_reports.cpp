// The student report and the school list, driven from the student window's Print menu:
// what the printer gets, item by item, and how it lands on paper.

#include "support/PdfText.h"
#include "TestSupport.h"

#include "platform/controls/CheckBox.h"
#include "platform/controls/ComboBox.h"
#include "platform/controls/CommandButton.h"
#include "platform/controls/Frame.h"
#include "platform/controls/Image.h"
#include "platform/controls/Label.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/OptionArray.h"
#include "platform/controls/TextBox.h"
#include "platform/forms/Form.h"
#include "platform/services/MessageBox.h"
#include "platform/services/PainterPrinter.h"
#include "records/CStudents.h"
#include "reports/StudentReport.h"
#include "student_window/frmStudent.h"

#include <QAccessible>
#include <QAction>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <optional>

using namespace Qt::StringLiterals;
using platform::PrintItem;
using platform::PrintStatement;
using testing::linesOf;
using testing::PdfText;
using testing::readPdf;
using testing::Ruler;
using testing::rulerOf;
using testing::textsOf;
using testing::Zeros;

namespace platform {

// Readable items in failure messages.
char *toString(const PrintItem &item)
{
    switch (item.kind) {
    case PrintItem::Kind::Text:
        return QTest::toString(item.text);
    case PrintItem::Kind::NextZone:
        return qstrdup("NextZone");
    case PrintItem::Kind::Column:
        return qstrdup(QByteArray("Column(" + QByteArray::number(item.count) + ')').constData());
    case PrintItem::Kind::EndOfLine:
        return qstrdup("EndOfLine");
    }
    return qstrdup("?");
}

char *toString(const PrintStatement &statement)
{
    QByteArray text = "{";
    for (const PrintItem &item : statement) {
        char *one = toString(item);
        text += (text.size() > 1 ? ", " : "") + QByteArray(one);
        delete[] one;
    }
    return qstrdup((text + '}').constData());
}

} // namespace platform

namespace {

using Document = QList<PrintStatement>;

PrintItem T(const QString &text)
{
    return PrintItem::Text(text);
}
const PrintItem NextZone = PrintItem::NextZone();
const PrintItem EndOfLine = PrintItem::EndOfLine();
const PrintItem LabelIndent = PrintItem::Column(7);
const QStringList DesignedSchools{u"Franklin"_s, u"Highland"_s, u"Midtown"_s, u"West Highland"_s};

// What the student report prints; deans empty means no Dean's list line.
struct Printed
{
    QString name, units, major, school, grade, deans;
};

Document studentDocument(const Printed &p)
{
    const PrintStatement empty{EndOfLine};
    const auto labelled = [](const char *label, const QString &value) {
        return PrintStatement{LabelIndent, T(QLatin1String(label)), NextZone, T(value), EndOfLine};
    };
    Document document{
        empty, empty,
        empty, {NextZone, NextZone, T(u"Student Information"_s), EndOfLine},
        empty, empty,
        empty, labelled("Student Name:", p.name),
        empty, labelled("Units Completed:", p.units),
        empty, {LabelIndent, T(u"Major:"_s), NextZone, NextZone, T(p.major), EndOfLine},
        empty, labelled("School:", p.school),
        empty, labelled("Grade Level:", p.grade),
        empty};
    if (!p.deans.isEmpty())
        document.append(labelled("Deans List:", p.deans));
    return document;
}

Document schoolDocument(const QStringList &schools)
{
    const PrintStatement empty{EndOfLine};
    Document document{empty, empty, empty};
    document << PrintStatement{NextZone, NextZone, T(u"Margaret Ellis"_s), EndOfLine};
    document << empty << empty << empty;
    document << PrintStatement{NextZone, T(u"School List:"_s), EndOfLine} << empty;
    for (const QString &school : schools)
        document << PrintStatement{NextZone, NextZone, T(school), EndOfLine} << empty;
    return document;
}

// What the user enters; -1 leaves a list or the grade level unselected.
struct Entry
{
    QString name, units;
    int major = -1;
    QString school; // typed into the combo box's edit field
    int level = -1;
    int deans = 0;
};

// A student window with a list of its own standing in for the main window's list.
class Window
{
public:
    Window() { form.Load(); }
    ~Window() { form.Hide(); }
    Q_DISABLE_COPY_MOVE(Window)

    void show(StudentAction action, const QString &key = {})
    {
        if (!key.isEmpty())
            form.setKey(key);
        form.setAction(action);
        form.Show(platform::ShowMode::Modeless);
    }

    void type(QLineEdit *field, const QString &text)
    {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        for (const QChar c : text) {
            // QTest::keyClicks takes Latin-1 letters only.
            if (c.unicode() < 0x80)
                QTest::keyClick(field, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
        }
    }

    void fill(const Entry &entry)
    {
        type(form.txtName, entry.name);
        type(form.txtUnits, entry.units);
        form.lstMajor->setListIndex(entry.major);
        type(testing::editField(*form.cboSchool), entry.school);
        if (entry.level >= 0)
            QTest::mouseClick(&form.optLevel[entry.level], Qt::LeftButton);
        form.chkDeans->setValue(entry.deans);
    }

    // Adds a student through the window in add mode; returns the key of the new record.
    QString add(const Entry &entry)
    {
        show(StudentAction::Add);
        fill(entry);
        QTest::mouseClick(form.cmdAction, Qt::LeftButton);
        const int newest = lstStudent.NewIndex();
        return u" %1"_s.arg(lstStudent.ItemData(newest));
    }

    QStringList schools() const { return testing::entries(*form.cboSchool); }

    platform::ListBox lstStudent{nullptr, u"lstStudent"_s, QRect(), platform::Sorting::Sorted};
    frmStudent form{lstStudent};
};

const Entry Ada{u"Ada Lovelace"_s, u"120"_s, 2, u"Highland"_s, 2, 1};
const Printed AdaPrinted{u"Ada Lovelace"_s, u"120"_s,    u"Computer Information Systems"_s,
                         u"Highland"_s,     u"Junior"_s, u"Yes"_s};

// Raises a printer error at one statement (counted from 0) and keeps the ones before it.
class FailingPrinter final : public platform::PrinterService
{
public:
    FailingPrinter(int failAt, int &ended) : m_failAt(failAt), m_ended(ended) {}
    void print(const PrintStatement &) override
    {
        if (m_printed++ == m_failAt)
            throw platform::RuntimeError(platform::ErrorKind::PrinterUnavailable,
                                         u"No printer is available."_s);
    }
    void endDoc() override { ++m_ended; }

private:
    int m_failAt;
    int m_printed = 0;
    int &m_ended;
};

} // namespace

Q_DECLARE_METATYPE(Entry)
Q_DECLARE_METATYPE(Printed)
Q_DECLARE_METATYPE(std::optional<Entry>)

class TestReports : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void studentReportInAddMode_data();
    void studentReportInAddMode();
    void studentReportShowsTheFields_data();
    void studentReportShowsTheFields();
    void entryChecks_data();
    void entryChecks();
    void typedSchoolJoinsTheList_data();
    void typedSchoolJoinsTheList();
    void printerFailureStopsTheReport_data();
    void printerFailureStopsTheReport();
    void schoolList_data();
    void schoolList();
    void schoolListInEveryMode_data();
    void schoolListInEveryMode();
    void studentReportOnPaper();
    void schoolListOnPaper();

private:
    std::optional<Ruler> measureRuler(const QString &path);
    std::unique_ptr<testing::Services> m_services;
    QTemporaryDir m_dir;
};

// The paper tests print in the font the program prints in.
void TestReports::initTestCase()
{
    platform::installDefaultFont();
}

void TestReports::init()
{
    m_services = std::make_unique<testing::Services>();
}

void TestReports::cleanup()
{
    m_services.reset();
    QCOMPARE(testing::visibleTopLevelCount(), 0);
}

void TestReports::studentReportInAddMode_data()
{
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<Printed>("printed");

    QTest::newRow("junior on the Dean's list") << Ada << AdaPrinted;
    QTest::newRow("freshman not on the Dean's list")
        << Entry{u"Bo Li"_s, u"12"_s, 0, u"Franklin"_s, 0, 0}
        << Printed{u"Bo Li"_s, u"12"_s, u"Accounting"_s, u"Franklin"_s, u"Freshman"_s, u"No"_s};
    QTest::newRow("sophomore") << Entry{u"Cy"_s, u"40"_s, 1, u"Midtown"_s, 1, 0}
                               << Printed{u"Cy"_s,      u"40"_s,        u"Business"_s,
                                          u"Midtown"_s, u"Sophomore"_s, u"No"_s};
    QTest::newRow("senior, Dean's list grayed: no Dean's list line")
        << Entry{u"Di"_s, u"100"_s, 3, u"West Highland"_s, 3, 2}
        << Printed{u"Di"_s, u"100"_s, u"Marketing"_s, u"West Highland"_s, u"Senior"_s, QString()};
    QTest::newRow("three blanks as the name")
        << Entry{u"   "_s, u"3"_s, 0, u"Franklin"_s, 0, 0}
        << Printed{u"   "_s, u"3"_s, u"Accounting"_s, u"Franklin"_s, u"Freshman"_s, u"No"_s};
    QTest::newRow("letters as units")
        << Entry{u"Ed"_s, u"abc"_s, 0, u"Franklin"_s, 0, 1}
        << Printed{u"Ed"_s, u"abc"_s, u"Accounting"_s, u"Franklin"_s, u"Freshman"_s, u"Yes"_s};
    QTest::newRow("units printed as typed")
        << Entry{u"Flo"_s, u" 12.50"_s, 0, u"Franklin"_s, 0, 1}
        << Printed{u"Flo"_s, u" 12.50"_s, u"Accounting"_s, u"Franklin"_s, u"Freshman"_s, u"Yes"_s};
    QTest::newRow("markup and accents stay text")
        << Entry{u"<b>Zoë</b> Ó Sé"_s, u"7"_s, 0, u"Franklin"_s, 0, 0}
        << Printed{u"<b>Zoë</b> Ó Sé"_s, u"7"_s,        u"Accounting"_s,
                   u"Franklin"_s,        u"Freshman"_s, u"No"_s};
}

void TestReports::studentReportInAddMode()
{
    QFETCH(Entry, entry);
    QFETCH(Printed, printed);

    Window window;
    window.show(StudentAction::Add);
    window.fill(entry);
    window.form.mnuPrintStudent->trigger();

    QVERIFY(m_services->messages.empty());
    QVERIFY(m_services->errors.empty());
    QVERIFY(m_services->printer->openDocument().isEmpty());
    QCOMPARE(m_services->printer->documents().size(), 1);
    QCOMPARE(m_services->printer->documents().first(), studentDocument(printed));
    // Printing stores nothing and leaves the window as it was.
    QCOMPARE(window.lstStudent.ListCount(), 0);
    QVERIFY(window.form.isVisible());
}

void TestReports::studentReportShowsTheFields_data()
{
    QTest::addColumn<StudentAction>("action");
    QTest::addColumn<std::optional<Entry>>("changes");
    QTest::addColumn<Printed>("printed");

    // Stored from "45.5": the record keeps 46 and the window shows "46".
    const Printed shown{u"Grace Hopper"_s, u"46"_s,     u"Marketing"_s,
                        u"Highland"_s,     u"Junior"_s, u"Yes"_s};
    const Entry changes{u"Grace B. Hopper"_s, u"47 so far"_s, 1, u"Midtown"_s, 3, 0};
    const Printed changed{u"Grace B. Hopper"_s, u"47 so far"_s, u"Business"_s,
                          u"Midtown"_s,         u"Senior"_s,    u"No"_s};
    for (const auto &[name, action] :
         {std::pair{"D", StudentAction::Display}, std::pair{"R", StudentAction::Remove}}) {
        QTest::addRow("%s: as displayed", name) << action << std::optional<Entry>() << shown;
        QTest::addRow("%s: changed after display", name)
            << action << std::optional<Entry>(changes) << changed;
    }
}

void TestReports::studentReportShowsTheFields()
{
    QFETCH(StudentAction, action);
    QFETCH(std::optional<Entry>, changes);
    QFETCH(Printed, printed);

    Window window;
    window.add(Entry{u"Bob Byte"_s, u"1"_s, 0, u"Franklin"_s, 0, 0});
    const QString key = window.add(Entry{u"Grace Hopper"_s, u"45.5"_s, 3, u"Highland"_s, 2, 1});
    QCOMPARE(testing::students(window.form)->Count(), 2);
    window.show(action, key);
    if (changes)
        window.fill(*changes);
    window.form.mnuPrintStudent->trigger();

    QVERIFY(m_services->messages.empty());
    QVERIFY(m_services->errors.empty());
    QCOMPARE(m_services->printer->documents().size(), 1);
    QCOMPARE(m_services->printer->documents().first(), studentDocument(printed));
    // The stored record is untouched by changes made in the window.
    QCOMPARE(testing::students(window.form)->Item(key)->StudentName(), u"Grace Hopper"_s);
    QCOMPARE(testing::students(window.form)->Count(), 2);
}

void TestReports::entryChecks_data()
{
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("focus"); // empty: the focus stays where it was

    const QString name = u"Al"_s;
    const QString units = u"3"_s;
    const QString school = u"Midtown"_s;
    QTest::newRow("everything empty: only the name is asked for")
        << Entry{} << u"Please Enter Your Name"_s << u"txtName"_s;
    QTest::newRow("only the name missing")
        << Entry{{}, units, 1, school, 0, 1} << u"Please Enter Your Name"_s << u"txtName"_s;
    QTest::newRow("name only: units asked for next")
        << Entry{name, {}, -1, {}, -1, 0} << u"Enter Number of Units"_s << u"txtUnits"_s;
    QTest::newRow("only the units missing")
        << Entry{name, {}, 1, school, 0, 0} << u"Enter Number of Units"_s << u"txtUnits"_s;
    QTest::newRow("major missing")
        << Entry{name, units, -1, {}, -1, 0} << u"Please Enter Your Major"_s << u"lstMajor"_s;
    QTest::newRow("only the major missing")
        << Entry{name, units, -1, school, 0, 0} << u"Please Enter Your Major"_s << u"lstMajor"_s;
    QTest::newRow("school missing")
        << Entry{name, units, 1, {}, 0, 0} << u"Please Enter Your School"_s << u"cboSchool"_s;
    QTest::newRow("grade level missing")
        << Entry{name, units, 1, school, -1, 0} << u"Grade Level Not Selected"_s << QString();
    QTest::newRow("grade level missing, school typed: not added")
        << Entry{name, units, 1, u"Lakeview"_s, -1, 0} << u"Grade Level Not Selected"_s
        << QString();
}

void TestReports::entryChecks()
{
    QFETCH(Entry, entry);
    QFETCH(QString, prompt);
    QFETCH(QString, focus);

    Window window;
    window.show(StudentAction::Add);
    QVERIFY(QTest::qWaitForWindowActive(&window.form, testing::WaitLimitMs));
    window.fill(entry);
    const int schoolIndex = window.form.cboSchool->ListIndex();
    const QString schoolText = window.form.cboSchool->Text();
    // A control that no check moves the focus to, so that a move shows.
    window.form.chkDeans->setFocus();
    QVERIFY(window.form.chkDeans->hasFocus());

    window.form.mnuPrintStudent->trigger();

    QCOMPARE(m_services->messages.size(), size_t(1));
    QCOMPARE(m_services->messages.front().prompt, prompt);
    QCOMPARE(m_services->messages.front().title, u"Error"_s);
    QVERIFY(m_services->errors.empty());
    QCOMPARE(m_services->printer->statementCount(), 0);
    QVERIFY(m_services->printer->documents().isEmpty());
    QCOMPARE(window.schools(), DesignedSchools);
    QCOMPARE(window.form.cboSchool->ListIndex(), schoolIndex);
    QCOMPARE(window.form.cboSchool->Text(), schoolText);

    QWidget *expected =
        focus.isEmpty() ? window.form.chkDeans : window.form.findChild<QWidget *>(focus);
    QVERIFY(expected);
    QVERIFY2(expected->hasFocus(),
             qPrintable(u"focus is on %1"_s.arg(QApplication::focusWidget()
                                                    ? QApplication::focusWidget()->objectName()
                                                    : u"nothing"_s)));
}

void TestReports::typedSchoolJoinsTheList_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("list"); // the list after printing
    QTest::addColumn<QString>("way");      // how the school gets into the edit field

    const auto with = [](int position, const QString &school) {
        QStringList list = DesignedSchools;
        list.insert(position, school);
        return list;
    };
    QTest::newRow("sorts first") << u"Eastside"_s << with(0, u"Eastside"_s) << u"typed"_s;
    QTest::newRow("sorts between") << u"Lakeview"_s << with(2, u"Lakeview"_s) << u"typed"_s;
    QTest::newRow("sorts last") << u"Zenith"_s << with(4, u"Zenith"_s) << u"typed"_s;
    QTest::newRow("letter case ignored in the order")
        << u"jefferson"_s << with(2, u"jefferson"_s) << u"typed"_s;
    QTest::newRow("accented letter sorts with its base letter")
        << u"Éton"_s << with(0, u"Éton"_s) << u"typed"_s;
    QTest::newRow("differs only in case: added after the listed one")
        << u"midtown"_s << with(3, u"midtown"_s) << u"typed"_s;
    QTest::newRow("listed school typed: selected, nothing added")
        << u"Midtown"_s << DesignedSchools << u"typed"_s;
    // Editable text sets the field without a key: the listed school is selected all the same.
    QTest::newRow("listed school set by a screen reader: selected, nothing added")
        << u"Highland"_s << DesignedSchools << u"reader setText"_s;
    QTest::newRow("listed school inserted by a screen reader: selected, nothing added")
        << u"Highland"_s << DesignedSchools << u"reader insertText"_s;
}

void TestReports::typedSchoolJoinsTheList()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, list);
    QFETCH(QString, way);

    Window window;
    window.show(StudentAction::Add);
    Entry entry = Ada;
    entry.school = way == u"typed" ? typed : QString();
    window.fill(entry);
    QAccessibleInterface *field =
        QAccessible::queryAccessibleInterface(testing::editField(*window.form.cboSchool));
    if (way == u"reader setText")
        field->setText(QAccessible::Value, typed);
    else if (way == u"reader insertText")
        field->editableTextInterface()->insertText(0, typed);
    Printed printed = AdaPrinted;
    printed.school = typed;

    window.form.mnuPrintStudent->trigger();
    QCOMPARE(window.schools(), list);
    const int position = int(list.indexOf(typed));
    QCOMPARE(window.form.cboSchool->ListIndex(), position);
    QCOMPARE(window.form.cboSchool->Text(), typed);

    // Printing again finds the school selected and adds nothing.
    window.form.mnuPrintStudent->trigger();
    QCOMPARE(window.schools(), list);
    QCOMPARE(window.form.cboSchool->ListIndex(), position);

    window.form.mnuPrintSchools->trigger();
    const auto &documents = m_services->printer->documents();
    QCOMPARE(documents.size(), 3);
    QCOMPARE(documents[0], studentDocument(printed));
    QCOMPARE(documents[1], studentDocument(printed));
    QCOMPARE(documents[2], schoolDocument(list));
    QVERIFY(m_services->messages.empty());
}

void TestReports::printerFailureStopsTheReport_data()
{
    QTest::addColumn<bool>("studentReport");
    QTest::addColumn<int>("failAt");
    QTest::addColumn<QStringList>("schoolsAfter");

    QStringList withTyped = DesignedSchools;
    withTyped.insert(2, u"Lakeview"_s);
    QTest::newRow("student report, no printer: nothing changed") << true << 0 << DesignedSchools;
    // The school selection step runs before the school line and is not undone.
    QTest::newRow("student report, fails at the school line") << true << 13 << withTyped;
    QTest::newRow("student report, fails at the last line") << true << 17 << withTyped;
    QTest::newRow("school list, no printer") << false << 0 << DesignedSchools;
    QTest::newRow("school list, fails at an entry") << false << 11 << DesignedSchools;
}

void TestReports::printerFailureStopsTheReport()
{
    QFETCH(bool, studentReport);
    QFETCH(int, failAt);
    QFETCH(QStringList, schoolsAfter);

    int ended = 0;
    m_services->usePrinter(std::make_unique<FailingPrinter>(failAt, ended));
    Window window;
    window.show(StudentAction::Add);
    Entry entry = Ada;
    entry.school = u"Lakeview"_s;
    window.fill(entry);
    QAction *print = studentReport ? window.form.mnuPrintStudent : window.form.mnuPrintSchools;
    print->trigger();

    // Shown once, plainly, through the default error handling; the document is not ended.
    QCOMPARE(m_services->errors, std::vector{platform::ErrorKind::PrinterUnavailable});
    QCOMPARE(m_services->messages.size(), size_t(1));
    QCOMPARE(m_services->messages.front().prompt, u"No printer is available."_s);
    QCOMPARE(m_services->messages.front().title, u"Student Information"_s);
    QCOMPARE(ended, 0);
    QCOMPARE(window.schools(), schoolsAfter);
    QVERIFY(window.form.isVisible());

    // The window carries on: printing again with a working printer prints the whole report.
    auto recorder = std::make_unique<testing::RecordingPrinter>();
    testing::RecordingPrinter *recording = recorder.get();
    m_services->usePrinter(std::move(recorder));
    print->trigger();
    QCOMPARE(recording->documents().size(), 1);
    QVERIFY(recording->openDocument().isEmpty());
    if (studentReport) {
        Printed printed = AdaPrinted;
        printed.school = u"Lakeview"_s;
        QCOMPARE(recording->documents().first(), studentDocument(printed));
        QCOMPARE(window.schools().count(u"Lakeview"_s), 1);
    }
}

void TestReports::schoolList_data()
{
    QTest::addColumn<bool>("sorted");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("printed");

    const QStringList mixed{u"Zeta"_s, u"alpha"_s, u"Mu Ridge"_s};
    QTest::newRow("empty list: author and heading only") << true << QStringList() << QStringList();
    QTest::newRow("one school") << true << QStringList{u"Oak"_s} << QStringList{u"Oak"_s};
    QTest::newRow("sorted list") << true << mixed
                                 << QStringList{u"alpha"_s, u"Mu Ridge"_s, u"Zeta"_s};
    QTest::newRow("unsorted list: in list order") << false << mixed << mixed;
    QTest::newRow("the same school twice")
        << true << QStringList{u"Oak"_s, u"Oak"_s} << QStringList{u"Oak"_s, u"Oak"_s};
}

void TestReports::schoolList()
{
    QFETCH(bool, sorted);
    QFETCH(QStringList, added);
    QFETCH(QStringList, printed);

    QWidget parent;
    platform::ComboBox cboSchool(&parent, u"cboSchool"_s, QRect(0, 0, 1455, 765),
                                 sorted ? platform::Sorting::Sorted : platform::Sorting::Unsorted);
    for (const QString &school : added)
        cboSchool.AddItem(school);
    reports::PrintSchools(cboSchool);

    QCOMPARE(m_services->printer->documents().size(), 1);
    QCOMPARE(m_services->printer->documents().first(), schoolDocument(printed));
    QCOMPARE(cboSchool.ListCount(), added.size());
}

void TestReports::schoolListInEveryMode_data()
{
    QTest::addColumn<StudentAction>("action");
    QTest::newRow("add, nothing filled in") << StudentAction::Add;
    QTest::newRow("display") << StudentAction::Display;
    QTest::newRow("remove") << StudentAction::Remove;
}

void TestReports::schoolListInEveryMode()
{
    QFETCH(StudentAction, action);

    Window window;
    const QString key = window.add(Ada);
    window.show(action, key);
    window.form.mnuPrintSchools->trigger();

    QCOMPARE(m_services->printer->documents().size(), 1);
    QCOMPARE(m_services->printer->documents().first(), schoolDocument(DesignedSchools));
    QVERIFY(m_services->messages.empty());
    QCOMPARE(window.schools(), DesignedSchools);
}

std::optional<Ruler> TestReports::measureRuler(const QString &path)
{
    platform::Print({T(Zeros), EndOfLine});
    platform::EndDoc();
    const PdfText pdf = readPdf(path);
    const auto lines = linesOf(pdf);
    if (!pdf.error.isEmpty() || lines.size() != 1 || lines[0].size() != 1)
        return std::nullopt;
    return rulerOf(lines);
}

void TestReports::studentReportOnPaper()
{
    QVERIFY(m_dir.isValid());
    const QString path = m_dir.filePath(u"student.pdf"_s);
    m_services->usePrinter(std::make_unique<platform::PdfPrinter>(path));
    const auto ruler = measureRuler(path);
    QVERIFY2(ruler, "the ruler line could not be read back");

    Window window;
    window.show(StudentAction::Add);
    window.fill(Ada);
    window.form.mnuPrintStudent->trigger();
    QVERIFY(m_services->errors.empty());

    const PdfText pdf = readPdf(path);
    QVERIFY2(pdf.error.isEmpty(), qPrintable(pdf.error));
    const auto lines = linesOf(pdf);
    QCOMPARE(lines.size(), 7);
    QCOMPARE(textsOf(lines[0]).join(u' '), u"Student Information"_s);
    QVERIFY(std::abs(lines[0].first().box.left() - ruler->x(28)) < 0.3);

    struct Labelled
    {
        QString label;
        QString value;
        int zones;
    };
    const QList<Labelled> expected{
        {u"Student Name:"_s, u"Ada Lovelace"_s, 1},
        {u"Units Completed:"_s, u"120"_s, 1},
        {u"Major:"_s, u"Computer Information Systems"_s, 2},
        {u"School:"_s, u"Highland"_s, 1},
        {u"Grade Level:"_s, u"Junior"_s, 1},
        {u"Deans List:"_s, u"Yes"_s, 1},
    };
    for (int i = 0; i < expected.size(); ++i) {
        const auto &line = lines[i + 1];
        const Labelled &row = expected[i];
        const qsizetype labelWords = row.label.count(u' ') + 1;
        QCOMPARE(textsOf(line.first(labelWords)).join(u' '), row.label);
        QCOMPARE(textsOf(line.sliced(labelWords)).join(u' '), row.value);
        const qreal labelStart = line.first().box.left();
        const qreal labelEnd = line[labelWords - 1].box.right();
        const qreal valueStart = line[labelWords].box.left();
        QVERIFY2(std::abs(labelStart - ruler->x(6)) < 0.3,
                 qPrintable(u"%1 starts at %2 pt, not %3 pt"_s.arg(row.label)
                                .arg(labelStart)
                                .arg(ruler->x(6))));
        QVERIFY2(std::abs(valueStart - ruler->zoneAfter(labelEnd, row.zones)) < 0.3,
                 qPrintable(u"%1 starts at %2 pt, not at the zone %3 pt"_s.arg(row.value)
                                .arg(valueStart)
                                .arg(ruler->zoneAfter(labelEnd, row.zones))));
    }

    // One empty line between labelled lines, three under the heading.
    const qreal step = lines[2].first().box.top() - lines[1].first().box.top();
    QVERIFY(step > 0);
    for (int i = 2; i < lines.size(); ++i)
        QVERIFY(std::abs(lines[i].first().box.top() - lines[i - 1].first().box.top() - step) < 0.3);
    QVERIFY(std::abs(lines[1].first().box.top() - lines[0].first().box.top() - 2 * step) < 0.3);
}

void TestReports::schoolListOnPaper()
{
    QVERIFY(m_dir.isValid());
    const QString path = m_dir.filePath(u"schools.pdf"_s);
    m_services->usePrinter(std::make_unique<platform::PdfPrinter>(path));
    const auto ruler = measureRuler(path);
    QVERIFY2(ruler, "the ruler line could not be read back");

    Window window;
    window.show(StudentAction::Add);
    window.form.mnuPrintSchools->trigger();
    QVERIFY(m_services->errors.empty());

    const PdfText pdf = readPdf(path);
    QVERIFY2(pdf.error.isEmpty(), qPrintable(pdf.error));
    const auto lines = linesOf(pdf);
    QStringList texts;
    for (const auto &line : lines)
        texts.append(textsOf(line).join(u' '));
    QCOMPARE(texts, QStringList({u"Margaret Ellis"_s, u"School List:"_s}) + DesignedSchools);
    for (int i = 0; i < lines.size(); ++i) {
        const qreal expectedLeft = ruler->x(i == 1 ? 14 : 28);
        QVERIFY2(std::abs(lines[i].first().box.left() - expectedLeft) < 0.3,
                 qPrintable(u"\"%1\" starts at %2 pt, not %3 pt"_s.arg(texts[i])
                                .arg(lines[i].first().box.left())
                                .arg(expectedLeft)));
    }
    // An empty line after the heading and after each school; three after the author.
    const qreal step = lines[3].first().box.top() - lines[2].first().box.top();
    QVERIFY(step > 0);
    for (int i = 2; i < lines.size(); ++i)
        QVERIFY(std::abs(lines[i].first().box.top() - lines[i - 1].first().box.top() - step) < 0.3);
    QVERIFY(std::abs(lines[1].first().box.top() - lines[0].first().box.top() - 2 * step) < 0.3);
}

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
