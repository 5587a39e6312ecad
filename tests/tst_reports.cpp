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
const QStringList DesignedSchools{QStringLiteral("Franklin"), QStringLiteral("Highland"),
                                  QStringLiteral("Midtown"), QStringLiteral("West Highland")};

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
        empty,
        empty,
        empty,
        {NextZone, NextZone, T(QStringLiteral("Student Information")), EndOfLine},
        empty,
        empty,
        empty,
        labelled("Student Name:", p.name),
        empty,
        labelled("Units Completed:", p.units),
        empty,
        {LabelIndent, T(QStringLiteral("Major:")), NextZone, NextZone, T(p.major), EndOfLine},
        empty,
        labelled("School:", p.school),
        empty,
        labelled("Grade Level:", p.grade),
        empty};
    if (!p.deans.isEmpty())
        document.append(labelled("Deans List:", p.deans));
    return document;
}

Document schoolDocument(const QStringList &schools)
{
    const PrintStatement empty{EndOfLine};
    Document document{empty, empty, empty};
    document << PrintStatement{NextZone, NextZone, T(QStringLiteral("Margaret Ellis")), EndOfLine};
    document << empty << empty << empty;
    document << PrintStatement{NextZone, T(QStringLiteral("School List:")), EndOfLine} << empty;
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
        return QStringLiteral(" %1").arg(lstStudent.ItemData(newest));
    }

    QStringList schools() const { return testing::entries(*form.cboSchool); }

    platform::ListBox lstStudent{nullptr, QStringLiteral("lstStudent"), QRect(),
                                 platform::Sorting::Sorted};
    frmStudent form{lstStudent};
};

const Entry Ada{
    QStringLiteral("Ada Lovelace"), QStringLiteral("120"), 2, QStringLiteral("Highland"), 2, 1};
const Printed AdaPrinted{QStringLiteral("Ada Lovelace"),
                         QStringLiteral("120"),
                         QStringLiteral("Computer Information Systems"),
                         QStringLiteral("Highland"),
                         QStringLiteral("Junior"),
                         QStringLiteral("Yes")};

// Raises a printer error at one statement (counted from 0) and keeps the ones before it.
class FailingPrinter final : public platform::PrinterService
{
public:
    FailingPrinter(int failAt, int &ended) : m_failAt(failAt), m_ended(ended) {}
    void print(const PrintStatement &) override
    {
        if (m_printed++ == m_failAt)
            throw platform::RuntimeError(platform::ErrorKind::PrinterUnavailable,
                                         QStringLiteral("No printer is available."));
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
        << Entry{QStringLiteral("Bo Li"), QStringLiteral("12"), 0, QStringLiteral("Franklin"), 0, 0}
        << Printed{QStringLiteral("Bo Li"),      QStringLiteral("12"),
                   QStringLiteral("Accounting"), QStringLiteral("Franklin"),
                   QStringLiteral("Freshman"),   QStringLiteral("No")};
    QTest::newRow("sophomore")
        << Entry{QStringLiteral("Cy"), QStringLiteral("40"), 1, QStringLiteral("Midtown"), 1, 0}
        << Printed{QStringLiteral("Cy"),        QStringLiteral("40"),
                   QStringLiteral("Business"),  QStringLiteral("Midtown"),
                   QStringLiteral("Sophomore"), QStringLiteral("No")};
    QTest::newRow("senior, Dean's list grayed: no Dean's list line")
        << Entry{QStringLiteral("Di"),
                 QStringLiteral("100"),
                 3,
                 QStringLiteral("West Highland"),
                 3,
                 2}
        << Printed{QStringLiteral("Di"),        QStringLiteral("100"),
                   QStringLiteral("Marketing"), QStringLiteral("West Highland"),
                   QStringLiteral("Senior"),    QString()};
    QTest::newRow("three blanks as the name")
        << Entry{QStringLiteral("   "), QStringLiteral("3"), 0, QStringLiteral("Franklin"), 0, 0}
        << Printed{QStringLiteral("   "),        QStringLiteral("3"),
                   QStringLiteral("Accounting"), QStringLiteral("Franklin"),
                   QStringLiteral("Freshman"),   QStringLiteral("No")};
    QTest::newRow("letters as units")
        << Entry{QStringLiteral("Ed"), QStringLiteral("abc"), 0, QStringLiteral("Franklin"), 0, 1}
        << Printed{QStringLiteral("Ed"),         QStringLiteral("abc"),
                   QStringLiteral("Accounting"), QStringLiteral("Franklin"),
                   QStringLiteral("Freshman"),   QStringLiteral("Yes")};
    QTest::newRow("units printed as typed")
        << Entry{QStringLiteral("Flo"),
                 QStringLiteral(" 12.50"),
                 0,
                 QStringLiteral("Franklin"),
                 0,
                 1}
        << Printed{QStringLiteral("Flo"),        QStringLiteral(" 12.50"),
                   QStringLiteral("Accounting"), QStringLiteral("Franklin"),
                   QStringLiteral("Freshman"),   QStringLiteral("Yes")};
    QTest::newRow("markup and accents stay text")
        << Entry{QStringLiteral("<b>Zoë</b> Ó Sé"),
                 QStringLiteral("7"),
                 0,
                 QStringLiteral("Franklin"),
                 0,
                 0}
        << Printed{QStringLiteral("<b>Zoë</b> Ó Sé"), QStringLiteral("7"),
                   QStringLiteral("Accounting"),      QStringLiteral("Franklin"),
                   QStringLiteral("Freshman"),        QStringLiteral("No")};
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
    const Printed shown{QStringLiteral("Grace Hopper"), QStringLiteral("46"),
                        QStringLiteral("Marketing"),    QStringLiteral("Highland"),
                        QStringLiteral("Junior"),       QStringLiteral("Yes")};
    const Entry changes{QStringLiteral("Grace B. Hopper"),
                        QStringLiteral("47 so far"),
                        1,
                        QStringLiteral("Midtown"),
                        3,
                        0};
    const Printed changed{QStringLiteral("Grace B. Hopper"), QStringLiteral("47 so far"),
                          QStringLiteral("Business"),        QStringLiteral("Midtown"),
                          QStringLiteral("Senior"),          QStringLiteral("No")};
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
    window.add(Entry{QStringLiteral("Bob Byte"), QStringLiteral("1"), 0, QStringLiteral("Franklin"),
                     0, 0});
    const QString key = window.add(Entry{QStringLiteral("Grace Hopper"), QStringLiteral("45.5"), 3,
                                         QStringLiteral("Highland"), 2, 1});
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
    QCOMPARE(testing::students(window.form)->Item(key)->StudentName(),
             QStringLiteral("Grace Hopper"));
    QCOMPARE(testing::students(window.form)->Count(), 2);
}

void TestReports::entryChecks_data()
{
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("focus"); // empty: the focus stays where it was

    const QString name = QStringLiteral("Al");
    const QString units = QStringLiteral("3");
    const QString school = QStringLiteral("Midtown");
    QTest::newRow("everything empty: only the name is asked for")
        << Entry{} << QStringLiteral("Please Enter Your Name") << QStringLiteral("txtName");
    QTest::newRow("only the name missing")
        << Entry{{}, units, 1, school, 0, 1} << QStringLiteral("Please Enter Your Name")
        << QStringLiteral("txtName");
    QTest::newRow("name only: units asked for next")
        << Entry{name, {}, -1, {}, -1, 0} << QStringLiteral("Enter Number of Units")
        << QStringLiteral("txtUnits");
    QTest::newRow("only the units missing")
        << Entry{name, {}, 1, school, 0, 0} << QStringLiteral("Enter Number of Units")
        << QStringLiteral("txtUnits");
    QTest::newRow("major missing")
        << Entry{name, units, -1, {}, -1, 0} << QStringLiteral("Please Enter Your Major")
        << QStringLiteral("lstMajor");
    QTest::newRow("only the major missing")
        << Entry{name, units, -1, school, 0, 0} << QStringLiteral("Please Enter Your Major")
        << QStringLiteral("lstMajor");
    QTest::newRow("school missing")
        << Entry{name, units, 1, {}, 0, 0} << QStringLiteral("Please Enter Your School")
        << QStringLiteral("cboSchool");
    QTest::newRow("grade level missing") << Entry{name, units, 1, school, -1, 0}
                                         << QStringLiteral("Grade Level Not Selected") << QString();
    QTest::newRow("grade level missing, school typed: not added")
        << Entry{name, units, 1, QStringLiteral("Lakeview"), -1, 0}
        << QStringLiteral("Grade Level Not Selected") << QString();
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
    QCOMPARE(m_services->messages.front().title, QStringLiteral("Error"));
    QVERIFY(m_services->errors.empty());
    QCOMPARE(m_services->printer->statementCount(), 0);
    QVERIFY(m_services->printer->documents().isEmpty());
    QCOMPARE(window.schools(), DesignedSchools);
    QCOMPARE(window.form.cboSchool->ListIndex(), schoolIndex);
    QCOMPARE(window.form.cboSchool->Text(), schoolText);

    QWidget *expected =
        focus.isEmpty() ? window.form.chkDeans : window.form.findChild<QWidget *>(focus);
    QVERIFY(expected);
    QVERIFY2(
        expected->hasFocus(),
        qPrintable(QStringLiteral("focus is on %1")
                       .arg(QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                        : QStringLiteral("nothing"))));
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
    QTest::newRow("sorts first") << QStringLiteral("Eastside")
                                 << with(0, QStringLiteral("Eastside")) << QStringLiteral("typed");
    QTest::newRow("sorts between")
        << QStringLiteral("Lakeview") << with(2, QStringLiteral("Lakeview"))
        << QStringLiteral("typed");
    QTest::newRow("sorts last") << QStringLiteral("Zenith") << with(4, QStringLiteral("Zenith"))
                                << QStringLiteral("typed");
    QTest::newRow("letter case ignored in the order")
        << QStringLiteral("jefferson") << with(2, QStringLiteral("jefferson"))
        << QStringLiteral("typed");
    QTest::newRow("accented letter sorts with its base letter")
        << QStringLiteral("Éton") << with(0, QStringLiteral("Éton")) << QStringLiteral("typed");
    QTest::newRow("differs only in case: added after the listed one")
        << QStringLiteral("midtown") << with(3, QStringLiteral("midtown"))
        << QStringLiteral("typed");
    QTest::newRow("listed school typed: selected, nothing added")
        << QStringLiteral("Midtown") << DesignedSchools << QStringLiteral("typed");
    // Editable text sets the field without a key: the listed school is selected all the same.
    QTest::newRow("listed school set by a screen reader: selected, nothing added")
        << QStringLiteral("Highland") << DesignedSchools << QStringLiteral("reader setText");
    QTest::newRow("listed school inserted by a screen reader: selected, nothing added")
        << QStringLiteral("Highland") << DesignedSchools << QStringLiteral("reader insertText");
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
    withTyped.insert(2, QStringLiteral("Lakeview"));
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
    entry.school = QStringLiteral("Lakeview");
    window.fill(entry);
    QAction *print = studentReport ? window.form.mnuPrintStudent : window.form.mnuPrintSchools;
    print->trigger();

    // Shown once, plainly, through the default error handling; the document is not ended.
    QCOMPARE(m_services->errors, std::vector{platform::ErrorKind::PrinterUnavailable});
    QCOMPARE(m_services->messages.size(), size_t(1));
    QCOMPARE(m_services->messages.front().prompt, QStringLiteral("No printer is available."));
    QCOMPARE(m_services->messages.front().title, QStringLiteral("Student Information"));
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
        printed.school = QStringLiteral("Lakeview");
        QCOMPARE(recording->documents().first(), studentDocument(printed));
        QCOMPARE(window.schools().count(QStringLiteral("Lakeview")), 1);
    }
}

void TestReports::schoolList_data()
{
    QTest::addColumn<bool>("sorted");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("printed");

    const QStringList mixed{QStringLiteral("Zeta"), QStringLiteral("alpha"),
                            QStringLiteral("Mu Ridge")};
    QTest::newRow("empty list: author and heading only") << true << QStringList() << QStringList();
    QTest::newRow("one school") << true << QStringList{QStringLiteral("Oak")}
                                << QStringList{QStringLiteral("Oak")};
    QTest::newRow("sorted list") << true << mixed
                                 << QStringList{QStringLiteral("alpha"), QStringLiteral("Mu Ridge"),
                                                QStringLiteral("Zeta")};
    QTest::newRow("unsorted list: in list order") << false << mixed << mixed;
    QTest::newRow("the same school twice")
        << true << QStringList{QStringLiteral("Oak"), QStringLiteral("Oak")}
        << QStringList{QStringLiteral("Oak"), QStringLiteral("Oak")};
}

void TestReports::schoolList()
{
    QFETCH(bool, sorted);
    QFETCH(QStringList, added);
    QFETCH(QStringList, printed);

    QWidget parent;
    platform::ComboBox cboSchool(&parent, QStringLiteral("cboSchool"), QRect(0, 0, 1455, 765),
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
    const QString path = m_dir.filePath(QStringLiteral("student.pdf"));
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
    QCOMPARE(textsOf(lines[0]).join(u' '), QStringLiteral("Student Information"));
    QVERIFY(std::abs(lines[0].first().box.left() - ruler->x(28)) < 0.3);

    struct Labelled
    {
        QString label;
        QString value;
        int zones;
    };
    const QList<Labelled> expected{
        {QStringLiteral("Student Name:"), QStringLiteral("Ada Lovelace"), 1},
        {QStringLiteral("Units Completed:"), QStringLiteral("120"), 1},
        {QStringLiteral("Major:"), QStringLiteral("Computer Information Systems"), 2},
        {QStringLiteral("School:"), QStringLiteral("Highland"), 1},
        {QStringLiteral("Grade Level:"), QStringLiteral("Junior"), 1},
        {QStringLiteral("Deans List:"), QStringLiteral("Yes"), 1},
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
                 qPrintable(QStringLiteral("%1 starts at %2 pt, not %3 pt")
                                .arg(row.label)
                                .arg(labelStart)
                                .arg(ruler->x(6))));
        QVERIFY2(std::abs(valueStart - ruler->zoneAfter(labelEnd, row.zones)) < 0.3,
                 qPrintable(QStringLiteral("%1 starts at %2 pt, not at the zone %3 pt")
                                .arg(row.value)
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
    const QString path = m_dir.filePath(QStringLiteral("schools.pdf"));
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
    QCOMPARE(texts,
             QStringList({QStringLiteral("Margaret Ellis"), QStringLiteral("School List:")}) +
                 DesignedSchools);
    for (int i = 0; i < lines.size(); ++i) {
        const qreal expectedLeft = ruler->x(i == 1 ? 14 : 28);
        QVERIFY2(std::abs(lines[i].first().box.left() - expectedLeft) < 0.3,
                 qPrintable(QStringLiteral("\"%1\" starts at %2 pt, not %3 pt")
                                .arg(texts[i])
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
