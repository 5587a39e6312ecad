// The whole program under a seeded random walk of what a user can do, compared after every
// step with a small reference model; and the bad inputs and faults of docs/robustness.md that
// no other test reaches.
//
//   SI_MODEL_SEED=<n>   seed of the walk (default 20240611)
//   SI_MODEL_STEPS=<n>  number of steps (default 2000; the long walk uses 100000)
//
// A failing walk prints its seed and its last steps; rerun it with the same seed and the
// failing step's number as SI_MODEL_STEPS.

#include "ProgramFixture.h"

#include "about/frmAbout.h"
#include "app/Forms.h"
#include "app/frmMain.h"
#include "records/CStudents.h"
#include "student_window/frmStudent.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>
#include <optional>
#include <random>
#include <utility>

#include <unicode/ucol.h>
#include <unicode/utypes.h>

using namespace platform;

namespace {

const QStringList Majors{QStringLiteral("Accounting"), QStringLiteral("Business"),
                         QStringLiteral("Computer Information Systems"),
                         QStringLiteral("Marketing")};
const QStringList Grades{QStringLiteral("Freshman"), QStringLiteral("Sophomore"),
                         QStringLiteral("Junior"), QStringLiteral("Senior")};
const QStringList DesignedSchools{QStringLiteral("Franklin"), QStringLiteral("Highland"),
                                  QStringLiteral("Midtown"), QStringLiteral("West Highland")};

// The order the lists promise, straight from ICU with settings of its own rather than through
// the product's comparison: locale-aware, accents count, letter case does not, canonically
// equal spellings alike; English rules in the C locale.
class ListOrder
{
public:
    ListOrder()
    {
        const QLocale system = QLocale::system();
        const QByteArray locale =
            system.language() == QLocale::C ? QByteArray("en_US") : system.name().toLatin1();
        UErrorCode status = U_ZERO_ERROR;
        m_collator = ucol_open(locale.constData(), &status);
        ucol_setAttribute(m_collator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
        ucol_setAttribute(m_collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
        if (U_FAILURE(status))
            qFatal("ICU collator for %s: %s", locale.constData(), u_errorName(status));
    }
    ~ListOrder() { ucol_close(m_collator); }
    Q_DISABLE_COPY_MOVE(ListOrder)

    int compare(const QString &left, const QString &right) const
    {
        // The empty name stands first, before names ICU weighs as nothing (a lone mark).
        if (left.isEmpty() || right.isEmpty())
            return left.isEmpty() ? (right.isEmpty() ? 0 : -1) : 1;
        return ucol_strcoll(m_collator, reinterpret_cast<const UChar *>(left.utf16()),
                            int32_t(left.size()), reinterpret_cast<const UChar *>(right.utf16()),
                            int32_t(right.size()));
    }

private:
    UCollator *m_collator = nullptr;
};

QString keyOf(int code)
{
    return QLatin1Char(' ') + QString::number(code);
}

// Short, printable form of a text for the step list.
QString shown(const QString &text)
{
    if (text.size() > 40)
        return QStringLiteral("\"%1...\" (%2 chars)").arg(text.left(12)).arg(text.size());
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// A stored student as the model keeps it.
struct Record
{
    QString name;
    int units = 0;
    int grade = 0;
    QString major;
    QString school;
    QString deans;
    friend bool operator==(const Record &, const Record &) = default;
};

QString describe(const Record &r)
{
    return QStringLiteral("{%1, %2, grade %3, %4, %5, deans %6}")
        .arg(shown(r.name))
        .arg(r.units)
        .arg(r.grade)
        .arg(shown(r.major), shown(r.school), r.deans);
}

// What the student window's fields should show.
struct Fields
{
    QString name;
    QString units;
    std::optional<int> stored = 0; // what units would store; none when the rounding overflows
    int grade = -1;                // option button that is on
    int major = -1;                // selected position of lstMajor
    QString school;                // edit field of cboSchool
    int deans = 0;
};

// Units as typed, with what they store; no value when the rounding overflows.
struct Units
{
    QString text;
    std::optional<int> stored;
};

// Typed units whose stored value is known by construction, not by parsing.
const std::vector<Units> FixedUnits{
    {QString(), 0},
    {QStringLiteral("abc"), 0},
    {QStringLiteral("x12"), 0},
    {QStringLiteral("  7 apples"), 7},
    {QStringLiteral(" 12"), 12},
    {QStringLiteral("12abc"), 12},
    {QStringLiteral("+5"), 5},
    {QStringLiteral("0x10"), 0},
    {QStringLiteral(".5"), 0},
    {QStringLiteral("-.5"), 0},
    {QStringLiteral("1,5"), 1},
    {QStringLiteral("- 3"), 0},
    {QStringLiteral("007"), 7},
    {QStringLiteral("7."), 7},
    {QStringLiteral("\u0663"), 0},
    {QStringLiteral("1e3"), 1000},
    {QStringLiteral("2.5e1"), 25},
    {QStringLiteral("1E4"), 10000},
    {QStringLiteral("5e-1"), 0},
    {QStringLiteral("1.5e0"), 2},
    {QStringLiteral("1e9"), std::nullopt},
    {QStringLiteral("1e5"), std::nullopt},
    {QStringLiteral("1e999"), std::nullopt},
    {QStringLiteral("-1e999"), std::nullopt},
    {QStringLiteral("32767"), 32767},
    {QStringLiteral("-32768"), -32768},
    {QStringLiteral("32768"), std::nullopt},
    {QStringLiteral("-32769"), std::nullopt},
    {QStringLiteral("40000"), std::nullopt},
    {QStringLiteral("32766.5"), 32766},
    {QStringLiteral("32767.5"), std::nullopt},
    {QStringLiteral("-32768.5"), -32768},
    {QStringLiteral("-32769.5"), std::nullopt},
    {QStringLiteral("-0"), 0},
    {QString(400, QLatin1Char('9')), std::nullopt},
    {QStringLiteral("7") + QString(5000, QLatin1Char(' ')) + QStringLiteral("x"), 7},
    {QStringLiteral("0.") + QString(500, QLatin1Char('0')) + QStringLiteral("1"), 0},
};

const QStringList NamePieces{
    QStringLiteral("Ann"),
    QStringLiteral("ann"),
    QStringLiteral("ANN"),
    QStringLiteral("Bob"),
    QStringLiteral("bob"),
    QStringLiteral("Zo\u00EB"),
    QStringLiteral("zoe"),
    QStringLiteral("\u00C9mile"),
    QStringLiteral("emile"),
    QStringLiteral("\u00D8rsted"),
    QStringLiteral("Stra\u00DFe"),
    QStringLiteral("\u0130pek"),
    QStringLiteral("Nguy\u1EC5n"),
    QStringLiteral("e\u0301"),
    QStringLiteral("\U0001F600"),
    QStringLiteral("\U0001F469\u200D\U0001F393"),
    QStringLiteral("\U0001F1E9\U0001F1EA"),
    QStringLiteral("\u05E9\u05DC\u05D5\u05DD"),
    QStringLiteral("\u0645\u0631\u062D\u0628\u0627"),
    QStringLiteral("\u200F"),
    QStringLiteral("<b>x</b>"),
    QStringLiteral("<i>Ann</i>"),
    QStringLiteral("&amp;"),
    QStringLiteral("<img src=\"x.png\">"),
    QStringLiteral("a&b"),
    QStringLiteral("O'Neil"),
    QStringLiteral("Jean-Luc"),
    QStringLiteral("\u674E"),
    QStringLiteral("\u0394"),
    QStringLiteral("123"),
    QStringLiteral("-"),
};

const QStringList TypedSchools{
    QStringLiteral("Lakeview"), QStringLiteral("lakeview"),     QStringLiteral("Eastside"),
    QStringLiteral("Zenith"),   QStringLiteral("\u00C9ton"),    QStringLiteral("Midtown"),
    QStringLiteral("midtown"),  QStringLiteral("  Franklin"),   QStringLiteral("<b>North</b>"),
    QStringLiteral("\u5357"),   QStringLiteral("West"),         QStringLiteral("West Highland"),
    QStringLiteral("Highland"), QStringLiteral("\u05D0\u05D1"), QString(),
};

// Sends one key event per code point: a surrogate pair must arrive whole to be accepted.
void typeInto(QLineEdit *field, const QString &text)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2
                                                                                             : 1;
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, text.mid(i, length),
                            Qt::NoModifier);
        i += length;
    }
}

void clearField(QLineEdit *field)
{
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
}

// Pastes, as a user does with long texts.
void pasteInto(QLineEdit *field, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
}

// Clicks a list entry where the user sees it, scrolling it into view first.
void clickRow(ListBox *list, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
              bool twice = false)
{
    list->scrollToEntry(row);
    const QPoint centre = list->entryRect(row).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, centre);
    if (twice) {
        // QTest sends the double click alone; a mouse sends it between a press and a release.
        QTest::mousePress(list->viewport(), Qt::LeftButton, modifiers, centre);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, modifiers, centre);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, modifiers, centre);
    }
}

// The text after a label in a printed statement, or none when no statement has that label.
std::optional<QString> printedValue(const QList<PrintStatement> &document, const QString &label)
{
    for (const PrintStatement &statement : document) {
        const bool labelled = std::any_of(statement.begin(), statement.end(), [&](const auto &i) {
            return i.kind == PrintItem::Kind::Text && i.text == label;
        });
        if (!labelled)
            continue;
        for (auto it = statement.rbegin(); it != statement.rend(); ++it) {
            if (it->kind == PrintItem::Kind::Text)
                return it->text;
        }
    }
    return std::nullopt;
}

// Runs inside once the window that find() returns is up in its modal loop, then makes sure
// that loop ends; returns whether it was ever shown.
template <typename Window>
bool whileShown(const std::function<Window *()> &find, const std::function<void()> &opener,
                const std::function<void(Window &)> &inside)
{
    return testing::whileShown(
        [&find]() -> QWidget * { return find(); }, opener,
        [&inside](QWidget &window) { inside(static_cast<Window &>(window)); },
        [](QWidget *window) { return testing::isShowingModally(window); });
}

enum class Mode { Add, Display, Remove };

// The walk's printer: it holds a document only until the walk has checked it, so that a long
// walk keeps none of the school lists, each of which holds every school so far.
class CheckedPrinter final : public PrinterService
{
public:
    void print(const PrintStatement &statement) override { m_open.append(statement); }
    void endDoc() override
    {
        if (m_open.isEmpty())
            return;
        m_ended.push_back(std::exchange(m_open, {}));
        ++m_endedCount;
    }

    // The documents ended since the last call, handed over and forgotten.
    std::vector<QList<PrintStatement>> takeEnded() { return std::exchange(m_ended, {}); }
    int endedCount() const { return m_endedCount; }
    bool hasOpenDocument() const { return !m_open.isEmpty(); }

private:
    QList<PrintStatement> m_open;
    std::vector<QList<PrintStatement>> m_ended;
    int m_endedCount = 0;
};

// How many steps a failure report shows: enough to see how the program got there.
constexpr std::size_t ReportedSteps = 50;
// Steps the walk goes on once the codes are gone, every add refused, before it ends the
// program and starts it again.
constexpr int StepsWithoutCodes = 1000;

// The walk: the program, the model, the random source and the step list.
class Walk
{
public:
    Walk(testing::Program &program, quint32 seed)
        : m_services(program.services), m_forms(program.forms), m_seed(seed), m_random(seed)
    {
        auto printer = std::make_unique<CheckedPrinter>();
        m_printer = printer.get();
        m_previousPrinter = setPrinter(std::move(printer));
        m_schools = DesignedSchools;
    }
    ~Walk() { setPrinter(std::move(m_previousPrinter)); }
    Q_DISABLE_COPY_MOVE(Walk)

    // One step; false once a check has failed.
    bool step(int number);
    // Ends the program by one of its exits and checks that everything is released.
    void exit();

    const QString &failure() const { return m_failure; }
    // Steps taken, the exit included.
    int stepCount() const { return m_stepCount; }
    QString lastSteps() const;
    QString summary() const;

private:
    frmMain &main() { return *m_forms->frmMain; }
    ListBox &list() { return *main().lstStudent; }
    frmStudent *student() { return m_forms->frmStudent.existing(); }

    int uniform(int low, int high) { return std::uniform_int_distribution(low, high)(m_random); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_random); }
    template <typename T> const T &pick(const std::vector<T> &from)
    {
        return from[static_cast<std::size_t>(uniform(0, int(from.size()) - 1))];
    }
    const QString &pick(const QStringList &from) { return from[uniform(0, int(from.size()) - 1)]; }
    int pickCode();

    QString randomName();
    Units randomUnits();
    QString randomSchool();

    void log(const QString &what) { m_line += what + QLatin1String("; "); }
    // Keeps the first failure; the walk stops after the step.
    void fail(const QString &what);
    bool check(bool ok, const QString &what);

    // Steps from the main window.
    void openStudent(Mode mode);
    void selectEntry();
    void clearSelection();
    void withoutSelection();
    void about();
    // One of the three exits, then the checks that everything was released.
    void endProgram();
    // Ends the program and starts a new one, with a new model.
    void restart();

    // Inside the student window.
    void session(Mode mode, frmStudent &w);
    enum Edit {
        Name,
        AppendName,
        UnitsEdit,
        Grade,
        GradeKeys,
        Major,
        MajorOff,
        TypeSchool,
        PickSchool,
        AppendSchool,
        SchoolKeys,
        DragSchool,
        SchoolOff,
        ReaderSchool,
        Deans,
        PrintStudent,
        PrintSchools
    };
    void edit(frmStudent &w, Edit kind);
    void edit(frmStudent &w);
    void printStudent(frmStudent &w);
    void printSchools(frmStudent &w);
    bool commit(Mode mode, frmStudent &w);

    void expectMessage(const QString &prompt, const QString &title);
    void expectError(ErrorKind kind) { m_expectedErrors.push_back(kind); }
    void checkMessages();
    void checkFields(frmStudent &w, const QString &when);
    void checkProgram();
    // The step's line goes to the log, which keeps the last few.
    void endStep();
    int rowOf(int code);

    testing::Services &m_services;
    CheckedPrinter *m_printer = nullptr;
    std::unique_ptr<PrinterService> m_previousPrinter;
    // The fixture\'s windows; a restart replaces them.
    std::unique_ptr<Forms> &m_forms;
    quint32 m_seed;
    std::mt19937 m_random;
    ListOrder m_order;

    // The model.
    std::map<int, Record> m_records; // by code; the list holds one entry for each
    int m_nextCode = 1;
    int m_selectedLevel = 0;
    int m_selectedCode = 0; // list entry selected in the main window, 0 for none
    QStringList m_schools;  // cboSchool's entries, in any order
    int m_documents = 0;
    int m_step = 0;
    int m_codesGoneAt = 0; // the step that used the last code
    Fields m_fields;       // the student window's fields while it is shown
    int m_shownCode = 0;

    std::vector<testing::ShownMessage> m_expectedMessages;
    std::vector<ErrorKind> m_expectedErrors;

    QString m_line;
    std::deque<QString> m_lastSteps;
    int m_stepCount = 0;
    QString m_failure;
    std::map<QString, int> m_counts;
    bool m_exited = false;
};

void Walk::fail(const QString &what)
{
    if (m_failure.isEmpty())
        m_failure = what;
}

bool Walk::check(bool ok, const QString &what)
{
    if (!ok)
        fail(what);
    return ok;
}

void Walk::endStep()
{
    m_lastSteps.push_back(std::exchange(m_line, {}));
    if (m_lastSteps.size() > ReportedSteps)
        m_lastSteps.pop_front();
    ++m_stepCount;
}

QString Walk::lastSteps() const
{
    QStringList lines;
    for (const QString &line : m_lastSteps)
        lines << line;
    return lines.join(u'\n');
}

QString Walk::summary() const
{
    QStringList parts;
    for (const auto &[what, count] : m_counts)
        parts << QStringLiteral("%1 %2").arg(count).arg(what);
    if (m_codesGoneAt)
        parts << QStringLiteral("the last code went at step %1").arg(m_codesGoneAt);
    return QStringLiteral("seed %1, %2 steps%3, %4 students listed at the end, next code %5, "
                          "%6 schools listed; %7")
        .arg(m_seed)
        .arg(m_stepCount - (m_exited ? 1 : 0))
        .arg(QLatin1String(m_exited ? " and the exit" : ""))
        .arg(m_records.size())
        .arg(m_nextCode)
        .arg(m_schools.size())
        .arg(parts.join(QStringLiteral(", ")));
}

int Walk::pickCode()
{
    auto it = m_records.begin();
    std::advance(it, uniform(0, int(m_records.size()) - 1));
    return it->first;
}

QString Walk::randomName()
{
    const int kind = uniform(0, 99);
    if (kind < 5)
        return QString();
    if (kind < 9)
        return QString(uniform(1, 4), QLatin1Char(' '));
    if (kind < 11) {
        // Ten thousand characters, as pasted from somewhere.
        const QString unit = chance(0.5) ? QStringLiteral("x") : QStringLiteral("Zo\u00EB \u05E9 ");
        return unit.repeated(10000 / unit.size() + 1).left(10000);
    }
    if (kind < 21 && !m_records.empty()) {
        // Someone of the same name, maybe in another letter case.
        QString name = m_records.at(pickCode()).name.left(60);
        return chance(0.5) ? name : chance(0.5) ? name.toUpper() : name.toLower();
    }
    QStringList pieces;
    const int count = uniform(1, 3);
    for (int i = 0; i < count; ++i)
        pieces << pick(NamePieces);
    return pieces.join(chance(0.7) ? QStringLiteral(" ") : QString());
}

Units Walk::randomUnits()
{
    const int kind = uniform(0, 9);
    if (kind < 3) {
        const int n = uniform(0, 200);
        return {QString::number(n), n};
    }
    if (kind < 4) {
        const int n = uniform(-32768, 32767);
        return {QString::number(n), n};
    }
    if (kind < 6) {
        // A fraction: halves go to the even neighbour, quarters to the nearer one.
        const bool negative = chance(0.3);
        const int whole = chance(0.1) ? uniform(32760, 32770) : uniform(0, 100);
        const int quarters = uniform(1, 3);
        const QString fraction = quarters == 1   ? QStringLiteral(".25")
                                 : quarters == 2 ? QStringLiteral(".5")
                                                 : QStringLiteral(".75");
        int magnitude = quarters == 1 ? whole : quarters == 3 ? whole + 1 : whole + (whole % 2);
        const int value = negative ? -magnitude : magnitude;
        const QString text =
            (negative ? QStringLiteral("-") : QString()) + QString::number(whole) + fraction;
        if (value < -32768 || value > 32767)
            return {text, std::nullopt};
        return {text, value};
    }
    return pick(FixedUnits);
}

QString Walk::randomSchool()
{
    if (chance(0.1))
        return QStringLiteral("School %1").arg(uniform(1, 40));
    return pick(TypedSchools);
}

void Walk::expectMessage(const QString &prompt, const QString &title)
{
    m_expectedMessages.push_back({prompt, title});
}

// Every message and error since the last call is exactly the expected one; once checked,
// they are forgotten.
void Walk::checkMessages()
{
    auto &messages = m_services.messages;
    bool same = messages.size() == m_expectedMessages.size();
    for (std::size_t i = 0; same && i < messages.size(); ++i) {
        same = messages[i].prompt == m_expectedMessages[i].prompt &&
               messages[i].title == m_expectedMessages[i].title;
    }
    if (!same) {
        QStringList seen;
        for (const auto &m : messages)
            seen << m.title + QLatin1String(": ") + m.prompt;
        QStringList wanted;
        for (const auto &m : m_expectedMessages)
            wanted << m.title + QLatin1String(": ") + m.prompt;
        check(false,
              QStringLiteral("messages [%1], expected [%2]")
                  .arg(seen.join(QStringLiteral(" | ")), wanted.join(QStringLiteral(" | "))));
    }
    check(m_services.errors == m_expectedErrors, QStringLiteral("%1 errors raised, %2 expected")
                                                     .arg(m_services.errors.size())
                                                     .arg(m_expectedErrors.size()));
    messages.clear();
    m_services.errors.clear();
    m_expectedMessages.clear();
    m_expectedErrors.clear();
}

int Walk::rowOf(int code)
{
    for (int i = 0; i < list().ListCount(); ++i) {
        if (list().ItemData(i) == code)
            return i;
    }
    return -1;
}

// The student window's fields and its remembered grade level against the model.
void Walk::checkFields(frmStudent &w, const QString &when)
{
    const Fields &f = m_fields;
    const auto fail = [&](const QString &what) { Walk::fail(when + QLatin1String(": ") + what); };
    if (w.txtName->Text() != f.name)
        fail(QStringLiteral("name shows %1, expected %2")
                 .arg(shown(w.txtName->Text()), shown(f.name)));
    if (w.txtUnits->Text() != f.units)
        fail(QStringLiteral("units show %1, expected %2")
                 .arg(shown(w.txtUnits->Text()), shown(f.units)));
    for (int i = 0; i < 4; ++i) {
        if (w.optLevel[i].Value() != (f.grade == i))
            fail(QStringLiteral("grade option %1 is %2")
                     .arg(i)
                     .arg(QLatin1String(w.optLevel[i].Value() ? "on" : "off")));
    }
    if (w.lstMajor->ListIndex() != f.major)
        fail(QStringLiteral("major %1 selected, expected %2")
                 .arg(w.lstMajor->ListIndex())
                 .arg(f.major));
    if (w.cboSchool->Text() != f.school)
        fail(QStringLiteral("school shows %1, expected %2")
                 .arg(shown(w.cboSchool->Text()), shown(f.school)));
    // An entry is selected exactly when the edit field holds one of the list's texts.
    const int selected = w.cboSchool->ListIndex();
    const bool listed = m_schools.contains(f.school);
    if ((selected >= 0) != listed || (selected >= 0 && w.cboSchool->List(selected) != f.school))
        fail(QStringLiteral("school entry %1 selected for %2").arg(selected).arg(shown(f.school)));
    if (w.chkDeans->Value() != f.deans)
        fail(QStringLiteral("Dean's list %1, expected %2").arg(w.chkDeans->Value()).arg(f.deans));
    if (testing::selectedLevel(w) != m_selectedLevel)
        fail(QStringLiteral("remembered grade level %1, expected %2")
                 .arg(testing::selectedLevel(w))
                 .arg(m_selectedLevel));
}

// The whole program against the model, after every step.
void Walk::checkProgram()
{
    checkMessages();
    check(!hasEnded(), QStringLiteral("the program ended"));
    check(QApplication::activeModalWidget() == nullptr,
          QStringLiteral("a modal window is still up"));
    check(main().isVisible() && testing::visibleTopLevelCount() == 1,
          QStringLiteral("%1 windows shown").arg(testing::visibleTopLevelCount()));

    const frmStudent *w = student();
    const CStudents *students = w ? testing::students(*w) : nullptr;
    const int count = list().ListCount();
    check(count == int(m_records.size()),
          QStringLiteral("%1 entries listed, %2 expected").arg(count).arg(m_records.size()));
    check((students ? students->Count() : 0) == count,
          QStringLiteral("%1 records stored for %2 entries")
              .arg(students ? students->Count() : 0)
              .arg(count));
    // Messages are built only on failure: this runs for every entry after every step.
    std::map<int, int> seen;
    for (int i = 0; i < count && students && m_failure.isEmpty(); ++i) {
        const QString name = list().List(i);
        const int code = list().ItemData(i);
        if (++seen[code] != 1) {
            fail(QStringLiteral("item data %1 listed twice").arg(code));
            break;
        }
        const auto expected = m_records.find(code);
        if (expected == m_records.end()) {
            fail(QStringLiteral("entry %1 %2 has item data %3, which names no student")
                     .arg(i)
                     .arg(shown(name))
                     .arg(code));
            break;
        }
        if (name != expected->second.name)
            fail(QStringLiteral("entry %1 reads %2, expected %3")
                     .arg(i)
                     .arg(shown(name), shown(expected->second.name)));
        if (i > 0) {
            // Sorted without regard to case; equal names in the order they were added.
            const int order = m_order.compare(list().List(i - 1), name);
            if (order > 0 || (order == 0 && list().ItemData(i - 1) > code))
                fail(QStringLiteral("entries %1 %2 (%3) and %4 %5 (%6) out of order")
                         .arg(i - 1)
                         .arg(shown(list().List(i - 1)))
                         .arg(list().ItemData(i - 1))
                         .arg(i)
                         .arg(shown(name))
                         .arg(code));
        }
        std::shared_ptr<CStudent> record;
        try {
            record = students->Item(keyOf(code));
        } catch (const RuntimeError &error) {
            fail(QStringLiteral("no record under %1: %2").arg(shown(keyOf(code)), error.message()));
            break;
        }
        const Record stored{record->StudentName(), record->UnitsCompleted(), record->GradeLevel(),
                            record->Major(),       record->School(),         record->DeansList()};
        if (stored != expected->second || record->StudentCode() != keyOf(code))
            fail(QStringLiteral("record %1 holds %2 under %3, expected %4")
                     .arg(code)
                     .arg(describe(stored), shown(record->StudentCode()),
                          describe(expected->second)));
    }

    const int selected = list().ListIndex();
    check((selected < 0 ? 0 : list().ItemData(selected)) == m_selectedCode,
          QStringLiteral("entry %1 selected, expected the student with code %2")
              .arg(selected)
              .arg(m_selectedCode));
    if (w) {
        check(testing::selectedLevel(*w) == m_selectedLevel,
              QStringLiteral("remembered grade level %1, expected %2")
                  .arg(testing::selectedLevel(*w))
                  .arg(m_selectedLevel));
        QStringList schools;
        for (int i = 0; i < w->cboSchool->ListCount(); ++i) {
            schools << w->cboSchool->List(i);
            if (i > 0 && m_order.compare(schools[i - 1], schools[i]) > 0)
                fail(QStringLiteral("schools %1 and %2 out of order")
                         .arg(shown(schools[i - 1]), shown(schools[i])));
        }
        QStringList sortedActual = schools;
        QStringList sortedModel = m_schools;
        sortedActual.sort();
        sortedModel.sort();
        check(sortedActual == sortedModel, QStringLiteral("schools [%1], expected [%2]")
                                               .arg(schools.join(u'|'), m_schools.join(u'|')));
    }
    check(m_printer->endedCount() == m_documents && !m_printer->hasOpenDocument(),
          QStringLiteral("%1 documents printed, %2 expected")
              .arg(m_printer->endedCount())
              .arg(m_documents));
}

bool Walk::step(int number)
{
    m_step = number;
    m_line = QStringLiteral("%1: ").arg(number);
    const int population = int(m_records.size());
    // Removals catch up with adds as the list grows, so the walk can run long.
    const int removeWeight = population == 0 ? 0 : population > 150 ? 70 : 8;
    const int listWeight = population == 0 ? 0 : 10;
    const std::vector<int> weights{55, listWeight, removeWeight, listWeight, 3, 4, 3};
    std::discrete_distribution<int> choose(weights.begin(), weights.end());
    // Once the codes are gone every add is refused; a while later the user starts the program
    // again, so that a long walk goes on adding and removing.
    if (m_codesGoneAt && m_step - m_codesGoneAt >= StepsWithoutCodes) {
        restart();
        if (m_failure.isEmpty())
            checkProgram();
        endStep();
        return m_failure.isEmpty();
    }
    switch (choose(m_random)) {
    case 0:
        openStudent(Mode::Add);
        break;
    case 1:
        openStudent(Mode::Display);
        break;
    case 2:
        openStudent(Mode::Remove);
        break;
    case 3:
        selectEntry();
        break;
    case 4:
        clearSelection();
        break;
    case 5:
        withoutSelection();
        break;
    default:
        about();
        break;
    }
    if (m_failure.isEmpty())
        checkProgram();
    endStep();
    return m_failure.isEmpty();
}

void Walk::selectEntry()
{
    const int code = pickCode();
    const bool twice = chance(0.2);
    log(QStringLiteral("%1 entry of code %2")
            .arg(QLatin1String(twice ? "double-click" : "click"))
            .arg(code));
    clickRow(&list(), rowOf(code), Qt::NoModifier, twice);
    m_selectedCode = code;
    ++m_counts[QStringLiteral("selections")];
}

void Walk::clearSelection()
{
    log(QStringLiteral("clear the selection"));
    if (m_selectedCode != 0)
        clickRow(&list(), rowOf(m_selectedCode), Qt::ControlModifier);
    m_selectedCode = 0;
}

void Walk::withoutSelection()
{
    clearSelection();
    const bool display = chance(0.5);
    log(display ? QStringLiteral("display") : QStringLiteral("remove"));
    QTest::mouseClick(display ? main().cmdDisplay : main().cmdRemove, Qt::LeftButton);
    expectMessage(display ? QStringLiteral("Please Select Item from list")
                          : QStringLiteral("Please Select Item from the list"),
                  applicationTitle());
    ++m_counts[QStringLiteral("commands without a selection")];
}

void Walk::about()
{
    const bool closeBox = chance(0.4);
    log(closeBox ? QStringLiteral("About, closed by its close box") : QStringLiteral("About, OK"));
    const bool shown = whileShown<frmAbout>([this] { return m_forms->frmAbout.existing(); },
                                            [this] { main().mnuAbout->trigger(); },
                                            [closeBox](frmAbout &box) {
                                                if (closeBox)
                                                    box.close();
                                                else
                                                    QTest::mouseClick(box.cmdOK, Qt::LeftButton);
                                            });
    check(shown, QStringLiteral("the About box did not open"));
    check(m_forms->frmAbout.isLoaded() != closeBox,
          QStringLiteral("the About box is %1")
              .arg(QLatin1String(closeBox ? "still loaded" : "unloaded")));
    ++m_counts[QStringLiteral("About boxes")];
}

void Walk::openStudent(Mode mode)
{
    if (mode != Mode::Add) {
        const int code = pickCode();
        if (code != m_selectedCode) {
            clickRow(&list(), rowOf(code), Qt::NoModifier);
            m_selectedCode = code;
        }
        m_shownCode = code;
    }
    const int opener = uniform(0, 3);
    QPushButton *button = mode == Mode::Add       ? main().cmdAdd
                          : mode == Mode::Display ? main().cmdDisplay
                                                  : main().cmdRemove;
    log(QStringLiteral("open %1%2%3")
            .arg(QLatin1String(mode == Mode::Add       ? "add"
                               : mode == Mode::Display ? "display"
                                                       : "remove"))
            .arg(mode == Mode::Add ? QString() : QStringLiteral(" of code %1").arg(m_shownCode))
            .arg(QLatin1String(mode == Mode::Add && opener == 0 ? " by Enter" : "")));
    const bool shown = whileShown<frmStudent>(
        [this] { return student(); },
        [&] {
            // Enter in the main window presses its default button, Add.
            if (mode == Mode::Add && opener == 0)
                QTest::keyClick(chance(0.5) ? static_cast<QWidget *>(&main()) : &list(),
                                Qt::Key_Return);
            else
                QTest::mouseClick(button, Qt::LeftButton);
        },
        [&](frmStudent &w) { session(mode, w); });
    check(shown, QStringLiteral("the student window did not open"));
}

void Walk::session(Mode mode, frmStudent &w)
{
    const QString caption = mode == Mode::Add       ? QStringLiteral("Add Student")
                            : mode == Mode::Display ? QStringLiteral("Student Display")
                                                    : QStringLiteral("Remove this Student?");
    check(w.cmdAction->text() == caption && w.cmdAction->isVisible() == (mode != Mode::Display),
          QStringLiteral("action button %1, %2")
              .arg(shown(w.cmdAction->text()))
              .arg(QLatin1String(w.cmdAction->isVisible() ? "shown" : "hidden")));
    if (mode == Mode::Add) {
        m_fields = Fields{};
        check(w.focusWidget() == w.txtName, QStringLiteral("the name box has no focus"));
    } else {
        const Record &r = m_records.at(m_shownCode);
        m_fields = Fields{
            r.name,   QString::number(r.units), r.units, r.grade, int(Majors.indexOf(r.major)),
            r.school, r.deans == u"1" ? 1 : 0};
        m_selectedLevel = r.grade;
    }
    checkFields(w, QStringLiteral("on opening"));

    // Half the adds fill the form in the order a user reads it.
    if (mode == Mode::Add && chance(0.5)) {
        for (Edit kind : {Name, UnitsEdit, Grade, Major, chance(0.5) ? TypeSchool : PickSchool})
            edit(w, kind);
        if (chance(0.5))
            edit(w, Deans);
    }
    for (int round = 0; m_failure.isEmpty() && w.isVisible(); ++round) {
        const int edits = mode == Mode::Add ? uniform(round == 0 ? 0 : 1, 7) : uniform(0, 3);
        for (int i = 0; i < edits && m_failure.isEmpty() && w.isVisible(); ++i)
            edit(w);
        if (!m_failure.isEmpty() || !w.isVisible())
            break;
        // A failed add keeps the window open; a few rounds later the user gives up.
        if (round > 4) {
            log(QStringLiteral("Cancel"));
            QTest::mouseClick(w.cmdCancel, Qt::LeftButton);
            break;
        }
        if (commit(mode, w))
            break;
    }
}

void Walk::edit(frmStudent &w)
{
    const std::vector<int> weights{6, 1, 6, 4, 1, 4, 1, 3, 3, 1, 1, 1, 1, 1, 3, 3, 1};
    std::discrete_distribution<int> choose(weights.begin(), weights.end());
    edit(w, Edit(choose(m_random)));
}

void Walk::edit(frmStudent &w, Edit kind)
{
    Fields &f = m_fields;
    switch (kind) {
    case Name: { // a new name
        const QString name = randomName();
        clearField(w.txtName);
        if (name.size() > 100)
            ++m_counts[QStringLiteral("names of 10,000 characters")];
        if (name.size() > 100 || chance(0.1)) {
            log(QStringLiteral("paste name %1").arg(shown(name)));
            pasteInto(w.txtName, name);
        } else {
            log(QStringLiteral("type name %1").arg(shown(name)));
            typeInto(w.txtName, name);
        }
        f.name = name;
        break;
    }
    case AppendName: {
        const QString more = pick(NamePieces);
        log(QStringLiteral("append %1 to the name").arg(shown(more)));
        QTest::keyClick(w.txtName, Qt::Key_End);
        typeInto(w.txtName, more);
        f.name += more;
        break;
    }
    case UnitsEdit: {
        const Units units = randomUnits();
        log(QStringLiteral("units %1").arg(shown(units.text)));
        clearField(w.txtUnits);
        if (units.text.size() > 100)
            pasteInto(w.txtUnits, units.text);
        else
            typeInto(w.txtUnits, units.text);
        f.units = units.text;
        f.stored = units.stored;
        break;
    }
    case Grade: {
        const int grade = uniform(0, 3);
        log(QStringLiteral("click grade %1").arg(grade));
        QTest::mouseClick(&w.optLevel[grade], Qt::LeftButton);
        f.grade = m_selectedLevel = grade;
        break;
    }
    case GradeKeys: { // arrow keys move through the options and click them
        const int from = uniform(0, 3);
        const bool down = chance(0.5);
        log(QStringLiteral("%1 on grade %2").arg(QLatin1String(down ? "Down" : "Up")).arg(from));
        QTest::keyClick(&w.optLevel[from], down ? Qt::Key_Down : Qt::Key_Up);
        f.grade = m_selectedLevel = (from + (down ? 1 : 3)) % 4;
        break;
    }
    case Major: {
        const int major = uniform(0, 3);
        log(QStringLiteral("click major %1").arg(major));
        clickRow(w.lstMajor, major);
        f.major = major;
        break;
    }
    case MajorOff: // Ctrl+click takes the selection back
        if (f.major >= 0) {
            log(QStringLiteral("Ctrl+click major %1").arg(f.major));
            clickRow(w.lstMajor, f.major, Qt::ControlModifier);
            f.major = -1;
        }
        break;
    case TypeSchool: {
        const QString school = randomSchool();
        log(QStringLiteral("type school %1").arg(shown(school)));
        clearField(testing::editField(*w.cboSchool));
        typeInto(testing::editField(*w.cboSchool), school);
        f.school = school;
        break;
    }
    case PickSchool: {
        const int row = uniform(0, w.cboSchool->ListCount() - 1);
        const QString school = w.cboSchool->List(row);
        log(QStringLiteral("pick school %1").arg(shown(school)));
        clickRow(testing::listPart(*w.cboSchool), row);
        f.school = school;
        break;
    }
    case AppendSchool: {
        log(QStringLiteral("append \"x\" to the school"));
        QTest::keyClick(testing::editField(*w.cboSchool), Qt::Key_End);
        typeInto(testing::editField(*w.cboSchool), QStringLiteral("x"));
        f.school += QLatin1Char('x');
        break;
    }
    case SchoolKeys: { // Up and Down in the edit field walk through the list
        const bool down = chance(0.5);
        const int current = w.cboSchool->ListIndex();
        const int last = w.cboSchool->ListCount() - 1;
        const int next = current < 0 ? 0
                         : down      ? std::min(current + 1, last)
                                     : std::max(current - 1, 0);
        log(QStringLiteral("%1 in the school field").arg(QLatin1String(down ? "Down" : "Up")));
        QTest::keyClick(testing::editField(*w.cboSchool), down ? Qt::Key_Down : Qt::Key_Up);
        f.school = w.cboSchool->List(next);
        break;
    }
    case DragSchool: { // press on one entry, drag to another, release there
        ListBox *schools = testing::listPart(*w.cboSchool);
        // To a neighbour: the list shows little more than one entry, and a drag past its
        // edge scrolls one entry at a time.
        const int from = uniform(0, schools->ListCount() - 1);
        const int to = from == 0                                         ? 1
                       : from == schools->ListCount() - 1 || chance(0.5) ? from - 1
                                                                         : from + 1;
        log(QStringLiteral("drag school %1 to %2").arg(from).arg(to));
        schools->scrollToEntry(from);
        QTest::mousePress(schools->viewport(), Qt::LeftButton, {},
                          schools->entryRect(from).center());
        QTest::mouseMove(schools->viewport(), schools->entryRect(to).center());
        QTest::mouseRelease(schools->viewport(), Qt::LeftButton, {},
                            schools->entryRect(to).center());
        f.school = w.cboSchool->List(to);
        break;
    }
    case SchoolOff: { // Ctrl+click on the selected school takes it back and empties the field
        const int selected = w.cboSchool->ListIndex();
        if (selected >= 0) {
            log(QStringLiteral("Ctrl+click school %1").arg(selected));
            clickRow(testing::listPart(*w.cboSchool), selected, Qt::ControlModifier);
            f.school.clear();
        }
        break;
    }
    case ReaderSchool: { // a screen reader selects or clears a row
        QAccessibleTableInterface *table =
            QAccessible::queryAccessibleInterface(testing::listPart(*w.cboSchool))
                ->tableInterface();
        const int row = uniform(0, w.cboSchool->ListCount() - 1);
        if (w.cboSchool->ListIndex() == row && chance(0.5)) {
            log(QStringLiteral("screen reader clears school %1").arg(row));
            table->unselectRow(row);
            f.school.clear();
        } else {
            log(QStringLiteral("screen reader selects school %1").arg(row));
            table->selectRow(row);
            f.school = w.cboSchool->List(row);
        }
        break;
    }
    case Deans:
        log(QStringLiteral("toggle Dean's list"));
        QTest::mouseClick(w.chkDeans, Qt::LeftButton);
        f.deans = 1 - f.deans;
        break;
    case PrintStudent:
        printStudent(w);
        break;
    case PrintSchools:
        printSchools(w);
        break;
    }
    checkMessages();
    if (w.isVisible())
        checkFields(w, QStringLiteral("after the edit"));
}

void Walk::printStudent(frmStudent &w)
{
    const Fields &f = m_fields;
    QString prompt;
    if (f.name.isEmpty())
        prompt = QStringLiteral("Please Enter Your Name");
    else if (f.units.isEmpty())
        prompt = QStringLiteral("Enter Number of Units");
    else if (f.major < 0)
        prompt = QStringLiteral("Please Enter Your Major");
    else if (f.school.isEmpty())
        prompt = QStringLiteral("Please Enter Your School");
    else if (f.grade < 0)
        prompt = QStringLiteral("Grade Level Not Selected");

    // Now and then the user closes the window while the entry check's message is up.
    const bool closeMeanwhile = !prompt.isEmpty() && chance(0.15);
    log(QStringLiteral("print student%1")
            .arg(QLatin1String(closeMeanwhile ? ", close box during the message" : "")));
    if (closeMeanwhile)
        m_services.messageBox->onShow = [&w] { w.close(); };
    w.mnuPrintStudent->trigger();
    m_services.messageBox->onShow = nullptr;
    ++m_counts[QStringLiteral("student reports tried")];

    if (!prompt.isEmpty()) {
        expectMessage(prompt, QStringLiteral("Error"));
        check(w.isVisible() != closeMeanwhile,
              QStringLiteral("the window is %1")
                  .arg(QLatin1String(w.isVisible() ? "open" : "closed")));
        return;
    }
    // A typed school joins the list and becomes the selected entry.
    if (!m_schools.contains(f.school))
        m_schools << f.school;
    ++m_documents;
    ++m_counts[QStringLiteral("student reports printed")];
    const auto documents = m_printer->takeEnded();
    if (!check(documents.size() == 1 && m_printer->endedCount() == m_documents,
               QStringLiteral("%1 student reports printed, one expected").arg(documents.size())))
        return;
    const auto &document = documents.back();
    const auto value = [&](const char *label) {
        return printedValue(document, QLatin1String(label));
    };
    check(value("Student Name:") == f.name && value("Units Completed:") == f.units &&
              value("Major:") == Majors[f.major] && value("School:") == f.school &&
              value("Grade Level:") == Grades[f.grade] &&
              value("Deans List:") == (f.deans ? QStringLiteral("Yes") : QStringLiteral("No")),
          QStringLiteral("the student report does not show the fields"));
}

void Walk::printSchools(frmStudent &w)
{
    log(QStringLiteral("print schools"));
    w.mnuPrintSchools->trigger();
    ++m_documents;
    ++m_counts[QStringLiteral("school lists printed")];
    const auto documents = m_printer->takeEnded();
    if (!check(documents.size() == 1 && m_printer->endedCount() == m_documents,
               QStringLiteral("%1 school lists printed, one expected").arg(documents.size())))
        return;
    // The entries are the lines printed at the third zone after the heading.
    QStringList printed;
    bool afterHeading = false;
    for (const PrintStatement &statement : documents.back()) {
        if (statement.size() == 4 && statement[2].kind == PrintItem::Kind::Text) {
            if (afterHeading)
                printed << statement[2].text;
        }
        afterHeading = afterHeading || printedValue({statement}, QStringLiteral("School List:"));
    }
    const QStringList listed = testing::entries(*w.cboSchool);
    check(printed == listed, QStringLiteral("the school list printed [%1] for [%2]")
                                 .arg(printed.join(u'|'), listed.join(u'|')));
}

// Ends the window's show by commit, Enter, Cancel or the close box; false if it stays open.
bool Walk::commit(Mode mode, frmStudent &w)
{
    const int how = uniform(0, 9);
    if (how < 2 || (mode == Mode::Display && how < 5)) {
        const bool closeBox = how == 0;
        log(closeBox ? QStringLiteral("close box") : QStringLiteral("Cancel"));
        if (closeBox)
            w.close();
        else if (chance(0.3))
            QTest::keyClick(w.cmdCancel, Qt::Key_Return); // Enter on the focused Cancel button
        else
            QTest::mouseClick(w.cmdCancel, Qt::LeftButton);
        check(!w.isVisible(), QStringLiteral("the window is still open"));
        return true;
    }
    const bool enter = how < 5;
    QLineEdit *field = chance(0.5) ? static_cast<QLineEdit *>(w.txtName) : w.txtUnits;
    if (mode == Mode::Display) {
        // Enter has no button to press here.
        log(QStringLiteral("Enter"));
        QTest::keyClick(field, Qt::Key_Return);
        check(w.isVisible(), QStringLiteral("Enter closed the window in display mode"));
        return false;
    }
    const auto press = [&] {
        if (enter)
            QTest::keyClick(field, Qt::Key_Return);
        else
            QTest::mouseClick(w.cmdAction, Qt::LeftButton);
    };

    if (mode == Mode::Remove) {
        log(enter ? QStringLiteral("Enter: remove") : QStringLiteral("click Remove"));
        press();
        m_records.erase(m_shownCode);
        m_selectedCode = 0;
        ++m_counts[QStringLiteral("removals")];
        check(!w.isVisible(), QStringLiteral("the window is still open after the removal"));
        return true;
    }

    if (m_fields.grade < 0) {
        // Refused before anything else: no entry, no record, no code, focus and fields kept.
        log(QStringLiteral("%1, no grade level on")
                .arg(QLatin1String(enter ? "Enter: add" : "click Add Student")));
        const int listed = list().ListCount();
        QWidget *focused = w.focusWidget();
        press();
        expectMessage(QStringLiteral("Grade Level Not Selected"), QStringLiteral("Error"));
        checkMessages();
        check(list().ListCount() == listed, QStringLiteral("the refused add listed an entry"));
        check(testing::students(w)->Count() == listed,
              QStringLiteral("the refused add stored a record"));
        check(w.isVisible(), QStringLiteral("the refused add closed the window"));
        // A click focuses the button clicked, as any click on a button does; nothing else moves it.
        check(w.focusWidget() == (enter ? focused : w.cmdAction),
              QStringLiteral("the refused add moved the focus"));
        checkFields(w, QStringLiteral("after the refused add"));
        ++m_counts[QStringLiteral("adds refused for want of a grade level")];
        return false;
    }
    // The grade level stored is the one remembered, which must be the one on the screen.
    check(m_selectedLevel == m_fields.grade, QStringLiteral("grade %1 remembered, %2 on the screen")
                                                 .arg(m_selectedLevel)
                                                 .arg(m_fields.grade));
    const bool codesLeft = m_nextCode <= 32767;
    const bool fails = !codesLeft || !m_fields.stored;
    // Now and then the user closes the window while the error message is up.
    const bool closeMeanwhile = fails && chance(0.2);
    log(QStringLiteral("%1%2")
            .arg(QLatin1String(enter ? "Enter: add" : "click Add Student"))
            .arg(QLatin1String(closeMeanwhile ? ", close box during the message" : "")));
    if (closeMeanwhile)
        m_services.messageBox->onShow = [&w] { w.close(); };
    const int listed = list().ListCount();
    press();
    m_services.messageBox->onShow = nullptr;
    if (codesLeft && ++m_nextCode > 32767)
        m_codesGoneAt = m_step;
    if (!codesLeft)
        ++m_counts[QStringLiteral("adds refused for want of codes")];
    if (fails) {
        // Taken back whole: no entry, no record, the window open with what was typed.
        expectMessage(RuntimeError::overflow().message(), applicationTitle());
        expectError(ErrorKind::Overflow);
        checkMessages();
        check(list().ListCount() == listed, QStringLiteral("the failed add left its entry"));
        check(testing::students(w)->Count() == listed,
              QStringLiteral("the failed add stored a record"));
        check(w.isVisible() != closeMeanwhile,
              QStringLiteral("the window is %1 after the failed add")
                  .arg(QLatin1String(w.isVisible() ? "open" : "closed")));
        if (w.isVisible())
            checkFields(w, QStringLiteral("after the failed add"));
        ++m_counts[QStringLiteral("failed adds")];
        return closeMeanwhile;
    }
    checkMessages();
    const Fields &f = m_fields;
    const int code = m_nextCode - 1;
    m_records[code] = Record{f.name,   *f.stored,
                             f.grade,  f.major < 0 ? QString() : Majors[f.major],
                             f.school, QString::number(f.deans)};
    ++m_counts[QStringLiteral("adds")];
    check(list().NewIndex() >= 0 && list().ItemData(list().NewIndex()) == code,
          QStringLiteral("the new entry does not carry code %1").arg(code));
    check(!w.isVisible(), QStringLiteral("the window is still open after the add"));
    return true;
}

void Walk::exit()
{
    m_line = QStringLiteral("%1: ").arg(m_stepCount + 1);
    endProgram();
    endStep();
    m_exited = true;
}

void Walk::restart()
{
    endProgram();
    if (!m_failure.isEmpty())
        return;
    m_forms.reset();
    resetEnded();
    m_services.ends = 0;
    m_forms = std::make_unique<Forms>();
    m_forms->frmMain->Show(ShowMode::Modeless);
    log(QStringLiteral("start the program again"));
    m_records.clear();
    m_nextCode = 1;
    m_selectedLevel = 0;
    m_selectedCode = 0;
    m_schools = DesignedSchools;
    m_codesGoneAt = 0;
    ++m_counts[QStringLiteral("programs started again")];
}

void Walk::endProgram()
{
    std::vector<std::weak_ptr<CStudent>> records;
    if (student()) {
        for (const auto &record : *testing::students(*student()))
            records.push_back(record);
    }
    QPointer<frmStudent> studentWindow = student();
    const int path = uniform(0, 2);
    log(path == 0   ? QStringLiteral("Exit button")
        : path == 1 ? QStringLiteral("File, Exit")
                    : QStringLiteral("main window's close box"));
    if (path == 0)
        QTest::mouseClick(main().cmdExit, Qt::LeftButton);
    else if (path == 1)
        main().mnuFileExit->trigger();
    else
        main().close();
    check(hasEnded() && m_services.ends == 1, QStringLiteral("the program did not end"));
    check(!m_forms->frmMain.isLoaded() && !m_forms->frmStudent.isLoaded(),
          QStringLiteral("a window is still loaded"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    check(!studentWindow, QStringLiteral("the student window was not released"));
    check(std::none_of(records.begin(), records.end(), [](const auto &r) { return !r.expired(); }),
          QStringLiteral("records outlived the program"));
}

constexpr int DefaultSteps = 2000;

int environmentNumber(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

// Where the user is when a close box is pressed.
enum class Moment {
    AddHalfTyped,
    AfterFailedAdd,
    DuringOverflowMessage,
    DuringEntryCheckMessage,
    Display,
    Remove,
    About,
    MainWhileStudentOpen,
    MainDuringOverflowMessage,
    MainWhileAboutOpen,
    MainDuringNoSelectionMessage,
};

} // namespace

Q_DECLARE_METATYPE(Moment)

class TestModel : public testing::ProgramTest
{
    Q_OBJECT

public:
    TestModel();

private Q_SLOTS:
    void init();

    void randomWalk();
    void codesRunOut();
    void namesStayWhole_data();
    void namesStayWhole();
    void closeBoxAtAnyMoment_data();
    void closeBoxAtAnyMoment();

private:
    // Opens the student window with a main-window button and runs inside while it is shown.
    bool withStudent(QPushButton *button, const std::function<void(frmStudent &)> &inside);
    bool withAbout(const std::function<void(frmAbout &)> &inside);
    // Adds a student through the main window, every field filled in.
    void add(const QString &name, const QString &units = QStringLiteral("8"));
};

TestModel::TestModel()
{
    // Qt Test stops a test function after five minutes unless told otherwise; a long walk
    // takes longer. Qt Test reads the setting when the first test function starts.
    const int steps = environmentNumber("SI_MODEL_STEPS", DefaultSteps);
    if (steps > DefaultSteps && !qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number(300000 + qint64(steps) * 10));
}

void TestModel::init()
{
    m_program = std::make_unique<testing::Program>();
}

bool TestModel::withStudent(QPushButton *button, const std::function<void(frmStudent &)> &inside)
{
    return whileShown<frmStudent>([this] { return student(); },
                                  [button] { QTest::mouseClick(button, Qt::LeftButton); }, inside);
}

bool TestModel::withAbout(const std::function<void(frmAbout &)> &inside)
{
    return whileShown<frmAbout>([this] { return m_program->forms->frmAbout.existing(); },
                                [this] { main().mnuAbout->trigger(); }, inside);
}

void TestModel::add(const QString &name, const QString &units)
{
    const bool shown = withStudent(main().cmdAdd, [&](frmStudent &w) {
        if (name.size() > 100)
            pasteInto(w.txtName, name);
        else
            typeInto(w.txtName, name);
        typeInto(w.txtUnits, units);
        QTest::mouseClick(&w.optLevel[1], Qt::LeftButton);
        clickRow(w.lstMajor, 0);
        clickRow(testing::listPart(*w.cboSchool), 0);
        QTest::mouseClick(w.cmdAction, Qt::LeftButton);
    });
    QVERIFY(shown);
}

void TestModel::randomWalk()
{
    const auto seed = quint32(environmentNumber("SI_MODEL_SEED", 20240611));
    const int steps = environmentNumber("SI_MODEL_STEPS", DefaultSteps);
    Walk walk(*m_program, seed);
    QElapsedTimer clock;
    clock.start();
    for (int number = 1; number <= steps; ++number) {
        if (!walk.step(number))
            break;
    }
    if (walk.failure().isEmpty())
        walk.exit();
    if (!walk.failure().isEmpty()) {
        std::fprintf(stderr, "Model walk failed, %s\nLast steps:\n%s\n", qPrintable(walk.summary()),
                     qPrintable(walk.lastSteps()));
        // The exit after the last step counts as that step when rerun.
        const int failedAt = std::min(walk.stepCount(), steps);
        QFAIL(qPrintable(QStringLiteral("%1 at step %2 (seed %3); rerun with SI_MODEL_SEED=%3 "
                                        "SI_MODEL_STEPS=%2; steps printed above")
                             .arg(walk.failure())
                             .arg(failedAt)
                             .arg(seed)));
    }
    qInfo("%s, %lld ms", qPrintable(walk.summary()), clock.elapsed());
}

void TestModel::codesRunOut()
{
    // The first 32,766 students go through the same add handler, list and records with the
    // window shown modeless, which spares a modal loop per student.
    frmStudent &w = *m_program->forms->frmStudent;
    for (int i = 1; i <= 32766; ++i) {
        w.setAction(StudentAction::Add);
        w.Show(ShowMode::Modeless);
        // Scattered names, so that entries go in all over the list.
        w.txtName->setText(QStringLiteral("Student %1").arg(i * 7919 % 32768));
        w.optLevel[i % 4].setValue(true);
        QTest::mouseClick(w.cmdAction, Qt::LeftButton);
    }
    QVERIFY(!w.isVisible());
    QCOMPARE(testing::students(w)->Count(), 32766);
    QVERIFY(m_program->services.messages.empty());

    add(QStringLiteral("Last One"));
    QCOMPARE(list().ListCount(), 32767);
    QCOMPARE(list().ItemData(list().NewIndex()), 32767);
    QCOMPARE(testing::students(w)->Item(QStringLiteral(" 32767"))->StudentName(),
             QStringLiteral("Last One"));

    // The 32768th is refused and taken back; the window stays open with what was typed.
    // Removing a student frees no code, so the next try is refused the same way.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int listed = list().ListCount();
        bool stayedOpen = false;
        bool typedKept = false;
        QVERIFY(withStudent(main().cmdAdd, [&](frmStudent &window) {
            typeInto(window.txtName, QStringLiteral("One Too Many"));
            typeInto(window.txtUnits, QStringLiteral("3"));
            QTest::mouseClick(&window.optLevel[0], Qt::LeftButton);
            QTest::mouseClick(window.cmdAction, Qt::LeftButton);
            stayedOpen = window.isVisible();
            typedKept =
                window.txtName->Text() == u"One Too Many" && window.txtUnits->Text() == u"3";
            QTest::mouseClick(window.cmdCancel, Qt::LeftButton);
        }));
        QVERIFY(stayedOpen);
        QVERIFY(typedKept);
        QCOMPARE(list().ListCount(), listed);
        QCOMPARE(testing::students(w)->Count(), listed);
        QCOMPARE(m_program->services.messages.size(), std::size_t(1));
        QCOMPARE(m_program->services.messages[0].prompt, RuntimeError::overflow().message());
        QCOMPARE(m_program->services.messages[0].title, applicationTitle());
        QCOMPARE(m_program->services.errors, std::vector<ErrorKind>{ErrorKind::Overflow});
        for (int i = 0; i < list().ListCount(); ++i)
            QVERIFY(list().List(i) != u"One Too Many");
        m_program->services.messages.clear();
        m_program->services.errors.clear();

        list().setListIndex(0);
        const int removed = list().ItemData(0);
        QVERIFY(withStudent(main().cmdRemove, [](frmStudent &window) {
            QTest::mouseClick(window.cmdAction, Qt::LeftButton);
        }));
        QCOMPARE(list().ListCount(), listed - 1);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, testing::students(w)->Item(keyOf(removed)));
    }
}

void TestModel::namesStayWhole_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("10,000 characters")
        << QStringLiteral("Zo\u00EB \u05E9\u05DC\u05D5\u05DD <b>").repeated(1000).left(10000);
    QTest::newRow("bold markup") << QStringLiteral("<b>x</b>");
    QTest::newRow("markup with an image and an entity")
        << QStringLiteral("<img src=\"missing.png\"> &amp; <i>Ann</i>");
    QTest::newRow("right to left")
        << QStringLiteral("\u05E9\u05DC\u05D5\u05DD \u0645\u0631\u062D\u0628\u0627 \u200F12");
    QTest::newRow("emoji sequences")
        << QStringLiteral("\U0001F469\u200D\U0001F393 \U0001F1E9\U0001F1EA \U0001F600");
    QTest::newRow("combining marks") << QStringLiteral("Zoe\u0308 Nguye\u0302\u0303n");
    QTest::newRow("blanks only") << QStringLiteral("   ");
}

void TestModel::namesStayWhole()
{
    QFETCH(QString, name);
    const QSize mainSize = main().size();
    const QRect listPlace = list().geometry();
    add(name);
    QCOMPARE(list().ListCount(), 1);
    QCOMPARE(list().List(0), name);
    // What a screen reader reads is the whole name too.
    QAccessibleInterface *listed = QAccessible::queryAccessibleInterface(&list());
    QVERIFY(listed && listed->child(0));
    QCOMPARE(listed->child(0)->text(QAccessible::Name), name);
    QCOMPARE(testing::students(*student())->Item(QStringLiteral(" 1"))->StudentName(), name);
    // The list cuts a long name off at its edge; neither it nor the window grows.
    QCOMPARE(main().size(), mainSize);
    QCOMPARE(list().geometry(), listPlace);

    list().setListIndex(0);
    QString displayed;
    QVERIFY(withStudent(main().cmdDisplay, [&](frmStudent &w) {
        displayed = w.txtName->Text();
        w.mnuPrintStudent->trigger();
        QTest::mouseClick(w.cmdCancel, Qt::LeftButton);
    }));
    QCOMPARE(displayed, name);
    QVERIFY(m_program->services.messages.empty());
    QCOMPARE(m_program->services.printer->documents().size(), 1);
    QCOMPARE(printedValue(m_program->services.printer->documents().first(),
                          QStringLiteral("Student Name:")),
             std::optional<QString>(name));
}

void TestModel::closeBoxAtAnyMoment_data()
{
    QTest::addColumn<Moment>("moment");
    QTest::newRow("student window, add half typed") << Moment::AddHalfTyped;
    QTest::newRow("student window, after a failed add") << Moment::AfterFailedAdd;
    QTest::newRow("student window, overflow message up") << Moment::DuringOverflowMessage;
    QTest::newRow("student window, entry check message up") << Moment::DuringEntryCheckMessage;
    QTest::newRow("student window, display mode") << Moment::Display;
    QTest::newRow("student window, remove mode") << Moment::Remove;
    QTest::newRow("About box") << Moment::About;
    QTest::newRow("main window, student window open") << Moment::MainWhileStudentOpen;
    QTest::newRow("main window, overflow message up") << Moment::MainDuringOverflowMessage;
    QTest::newRow("main window, About box open") << Moment::MainWhileAboutOpen;
    QTest::newRow("main window, no-selection message up") << Moment::MainDuringNoSelectionMessage;
}

// Closing the main window while another window or a message is up is what a desktop session
// does when it ends; the user cannot reach that close box while a modal window is shown.
void TestModel::closeBoxAtAnyMoment()
{
    QFETCH(Moment, moment);
    add(QStringLiteral("Kept"));
    const std::weak_ptr<CStudent> kept = testing::students(*student())->Item(QStringLiteral(" 1"));
    const auto closeOnMessage = [this](QWidget *window) {
        m_program->services.messageBox->onShow = [this, window] {
            m_program->services.messageBox->onShow = nullptr;
            window->close();
        };
    };
    const auto typeFailingAdd = [](frmStudent &w) {
        typeInto(w.txtName, QStringLiteral("Aaron"));
        typeInto(w.txtUnits, QStringLiteral("40000"));
        QTest::mouseClick(&w.optLevel[3], Qt::LeftButton);
    };

    bool shown = true;
    bool stayedOpenAfterFailure = false;
    switch (moment) {
    case Moment::AddHalfTyped:
        shown = withStudent(main().cmdAdd, [](frmStudent &w) {
            typeInto(w.txtName, QStringLiteral("Half"));
            w.close();
        });
        break;
    case Moment::AfterFailedAdd:
        shown = withStudent(main().cmdAdd, [&](frmStudent &w) {
            typeFailingAdd(w);
            QTest::mouseClick(w.cmdAction, Qt::LeftButton);
            stayedOpenAfterFailure = w.isVisible();
            w.close();
        });
        break;
    case Moment::DuringOverflowMessage:
    case Moment::MainDuringOverflowMessage:
        shown = withStudent(main().cmdAdd, [&](frmStudent &w) {
            typeFailingAdd(w);
            closeOnMessage(moment == Moment::DuringOverflowMessage ? static_cast<QWidget *>(&w)
                                                                   : &main());
            QTest::mouseClick(w.cmdAction, Qt::LeftButton);
        });
        break;
    case Moment::DuringEntryCheckMessage:
        shown = withStudent(main().cmdAdd, [&](frmStudent &w) {
            closeOnMessage(&w);
            w.mnuPrintStudent->trigger();
        });
        break;
    case Moment::Display:
    case Moment::Remove:
        list().setListIndex(0);
        shown = withStudent(moment == Moment::Display ? main().cmdDisplay : main().cmdRemove,
                            [](frmStudent &w) {
                                QTest::keyClicks(w.txtName, QStringLiteral(" changed"));
                                w.close();
                            });
        break;
    case Moment::About:
        shown = withAbout([](frmAbout &box) { box.close(); });
        break;
    case Moment::MainWhileStudentOpen:
        shown = withStudent(main().cmdAdd, [this](frmStudent &w) {
            typeInto(w.txtName, QStringLiteral("Half"));
            main().close();
        });
        break;
    case Moment::MainWhileAboutOpen:
        shown = withAbout([this](frmAbout &) { main().close(); });
        break;
    case Moment::MainDuringNoSelectionMessage:
        list().setListIndex(-1);
        closeOnMessage(&main());
        QTest::mouseClick(main().cmdDisplay, Qt::LeftButton);
        break;
    }
    QVERIFY(shown);
    QVERIFY(!m_program->services.messageBox->onShow);

    const bool mainClosed = moment >= Moment::MainWhileStudentOpen;
    const bool overflow = moment == Moment::AfterFailedAdd ||
                          moment == Moment::DuringOverflowMessage ||
                          moment == Moment::MainDuringOverflowMessage;
    QCOMPARE(m_program->services.errors.size(), std::size_t(overflow ? 1 : 0));
    if (moment == Moment::AfterFailedAdd)
        QVERIFY(stayedOpenAfterFailure);
    if (mainClosed) {
        // The exit sequence ran: the program ended and released every record.
        QVERIFY(hasEnded());
        QCOMPARE(m_program->services.ends, 1);
        QVERIFY(!m_program->forms->frmMain.isLoaded());
        QVERIFY(!m_program->forms->frmStudent.isLoaded());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(kept.expired());
        return;
    }

    // Nothing stored, removed or printed; the window only hid, and what it held is kept.
    QVERIFY(!hasEnded());
    QCOMPARE(testing::visibleTopLevelCount(), 1);
    QCOMPARE(list().ListCount(), 1);
    QCOMPARE(list().List(0), QStringLiteral("Kept"));
    QCOMPARE(testing::students(*student())->Count(), 1);
    QCOMPARE(kept.lock()->StudentName(), QStringLiteral("Kept"));
    QVERIFY(m_program->services.printer->documents().isEmpty());
    QCOMPARE(m_program->forms->frmAbout.isLoaded(), false);
    // The next add gets the next code: one more if the failed add used one up.
    add(QStringLiteral("Next"));
    QCOMPARE(list().ItemData(list().NewIndex()), overflow ? 3 : 2);
    QCOMPARE(testing::students(*student())->Count(), 2);
}

SI_TEST_MAIN(TestModel)
#include "tst_model.moc"
