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
using namespace Qt::StringLiterals;

namespace {

const QStringList Majors{u"Accounting"_s, u"Business"_s, u"Computer Information Systems"_s,
                         u"Marketing"_s};
const QStringList Grades{u"Freshman"_s, u"Sophomore"_s, u"Junior"_s, u"Senior"_s};
const QStringList DesignedSchools{u"Franklin"_s, u"Highland"_s, u"Midtown"_s, u"West Highland"_s};

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
        return u"\"%1...\" (%2 chars)"_s.arg(text.left(12)).arg(text.size());
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
    return u"{%1, %2, grade %3, %4, %5, deans %6}"_s.arg(shown(r.name))
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
    {u"abc"_s, 0},
    {u"x12"_s, 0},
    {u"  7 apples"_s, 7},
    {u" 12"_s, 12},
    {u"12abc"_s, 12},
    {u"+5"_s, 5},
    {u"0x10"_s, 0},
    {u".5"_s, 0},
    {u"-.5"_s, 0},
    {u"1,5"_s, 1},
    {u"- 3"_s, 0},
    {u"007"_s, 7},
    {u"7."_s, 7},
    {u"\u0663"_s, 0},
    {u"1e3"_s, 1000},
    {u"2.5e1"_s, 25},
    {u"1E4"_s, 10000},
    {u"5e-1"_s, 0},
    {u"1.5e0"_s, 2},
    {u"1e9"_s, std::nullopt},
    {u"1e5"_s, std::nullopt},
    {u"1e999"_s, std::nullopt},
    {u"-1e999"_s, std::nullopt},
    {u"32767"_s, 32767},
    {u"-32768"_s, -32768},
    {u"32768"_s, std::nullopt},
    {u"-32769"_s, std::nullopt},
    {u"40000"_s, std::nullopt},
    {u"32766.5"_s, 32766},
    {u"32767.5"_s, std::nullopt},
    {u"-32768.5"_s, -32768},
    {u"-32769.5"_s, std::nullopt},
    {u"-0"_s, 0},
    {QString(400, QLatin1Char('9')), std::nullopt},
    {u"7"_s + QString(5000, QLatin1Char(' ')) + u"x"_s, 7},
    {u"0."_s + QString(500, QLatin1Char('0')) + u"1"_s, 0},
};

const QStringList NamePieces{
    u"Ann"_s,
    u"ann"_s,
    u"ANN"_s,
    u"Bob"_s,
    u"bob"_s,
    u"Zo\u00EB"_s,
    u"zoe"_s,
    u"\u00C9mile"_s,
    u"emile"_s,
    u"\u00D8rsted"_s,
    u"Stra\u00DFe"_s,
    u"\u0130pek"_s,
    u"Nguy\u1EC5n"_s,
    u"e\u0301"_s,
    u"\U0001F600"_s,
    u"\U0001F469\u200D\U0001F393"_s,
    u"\U0001F1E9\U0001F1EA"_s,
    u"\u05E9\u05DC\u05D5\u05DD"_s,
    u"\u0645\u0631\u062D\u0628\u0627"_s,
    u"\u200F"_s,
    u"<b>x</b>"_s,
    u"<i>Ann</i>"_s,
    u"&amp;"_s,
    u"<img src=\"x.png\">"_s,
    u"a&b"_s,
    u"O'Neil"_s,
    u"Jean-Luc"_s,
    u"\u674E"_s,
    u"\u0394"_s,
    u"123"_s,
    u"-"_s,
};

const QStringList TypedSchools{
    u"Lakeview"_s, u"lakeview"_s,      u"Eastside"_s,   u"Zenith"_s,       u"\u00C9ton"_s,
    u"Midtown"_s,  u"midtown"_s,       u"  Franklin"_s, u"<b>North</b>"_s, u"\u5357"_s,
    u"West"_s,     u"West Highland"_s, u"Highland"_s,   u"\u05D0\u05D1"_s, QString(),
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
        parts << u"%1 %2"_s.arg(count).arg(what);
    if (m_codesGoneAt)
        parts << u"the last code went at step %1"_s.arg(m_codesGoneAt);
    return QStringLiteral("seed %1, %2 steps%3, %4 students listed at the end, next code %5, "
                          "%6 schools listed; %7")
        .arg(m_seed)
        .arg(m_stepCount - (m_exited ? 1 : 0))
        .arg(QLatin1String(m_exited ? " and the exit" : ""))
        .arg(m_records.size())
        .arg(m_nextCode)
        .arg(m_schools.size())
        .arg(parts.join(u", "_s));
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
        const QString unit = chance(0.5) ? u"x"_s : u"Zo\u00EB \u05E9 "_s;
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
    return pieces.join(chance(0.7) ? u" "_s : QString());
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
        const QString fraction = quarters == 1 ? u".25"_s : quarters == 2 ? u".5"_s : u".75"_s;
        int magnitude = quarters == 1 ? whole : quarters == 3 ? whole + 1 : whole + (whole % 2);
        const int value = negative ? -magnitude : magnitude;
        const QString text = (negative ? u"-"_s : QString()) + QString::number(whole) + fraction;
        if (value < -32768 || value > 32767)
            return {text, std::nullopt};
        return {text, value};
    }
    return pick(FixedUnits);
}

QString Walk::randomSchool()
{
    if (chance(0.1))
        return u"School %1"_s.arg(uniform(1, 40));
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
              u"messages [%1], expected [%2]"_s.arg(seen.join(u" | "_s), wanted.join(u" | "_s)));
    }
    check(m_services.errors == m_expectedErrors,
          u"%1 errors raised, %2 expected"_s.arg(m_services.errors.size())
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
        fail(u"name shows %1, expected %2"_s.arg(shown(w.txtName->Text()), shown(f.name)));
    if (w.txtUnits->Text() != f.units)
        fail(u"units show %1, expected %2"_s.arg(shown(w.txtUnits->Text()), shown(f.units)));
    for (int i = 0; i < 4; ++i) {
        if (w.optLevel[i].Value() != (f.grade == i))
            fail(u"grade option %1 is %2"_s.arg(i).arg(
                QLatin1String(w.optLevel[i].Value() ? "on" : "off")));
    }
    if (w.lstMajor->ListIndex() != f.major)
        fail(u"major %1 selected, expected %2"_s.arg(w.lstMajor->ListIndex()).arg(f.major));
    if (w.cboSchool->Text() != f.school)
        fail(u"school shows %1, expected %2"_s.arg(shown(w.cboSchool->Text()), shown(f.school)));
    // An entry is selected exactly when the edit field holds one of the list's texts.
    const int selected = w.cboSchool->ListIndex();
    const bool listed = m_schools.contains(f.school);
    if ((selected >= 0) != listed || (selected >= 0 && w.cboSchool->List(selected) != f.school))
        fail(u"school entry %1 selected for %2"_s.arg(selected).arg(shown(f.school)));
    if (w.chkDeans->Value() != f.deans)
        fail(u"Dean's list %1, expected %2"_s.arg(w.chkDeans->Value()).arg(f.deans));
    if (testing::selectedLevel(w) != m_selectedLevel)
        fail(u"remembered grade level %1, expected %2"_s.arg(testing::selectedLevel(w))
                 .arg(m_selectedLevel));
}

// The whole program against the model, after every step.
void Walk::checkProgram()
{
    checkMessages();
    check(!hasEnded(), u"the program ended"_s);
    check(QApplication::activeModalWidget() == nullptr, u"a modal window is still up"_s);
    check(main().isVisible() && testing::visibleTopLevelCount() == 1,
          u"%1 windows shown"_s.arg(testing::visibleTopLevelCount()));

    const frmStudent *w = student();
    const CStudents *students = w ? testing::students(*w) : nullptr;
    const int count = list().ListCount();
    check(count == int(m_records.size()),
          u"%1 entries listed, %2 expected"_s.arg(count).arg(m_records.size()));
    check((students ? students->Count() : 0) == count,
          u"%1 records stored for %2 entries"_s.arg(students ? students->Count() : 0).arg(count));
    // Messages are built only on failure: this runs for every entry after every step.
    std::map<int, int> seen;
    for (int i = 0; i < count && students && m_failure.isEmpty(); ++i) {
        const QString name = list().List(i);
        const int code = list().ItemData(i);
        if (++seen[code] != 1) {
            fail(u"item data %1 listed twice"_s.arg(code));
            break;
        }
        const auto expected = m_records.find(code);
        if (expected == m_records.end()) {
            fail(u"entry %1 %2 has item data %3, which names no student"_s.arg(i)
                     .arg(shown(name))
                     .arg(code));
            break;
        }
        if (name != expected->second.name)
            fail(u"entry %1 reads %2, expected %3"_s.arg(i).arg(shown(name),
                                                                shown(expected->second.name)));
        if (i > 0) {
            // Sorted without regard to case; equal names in the order they were added.
            const int order = m_order.compare(list().List(i - 1), name);
            if (order > 0 || (order == 0 && list().ItemData(i - 1) > code))
                fail(u"entries %1 %2 (%3) and %4 %5 (%6) out of order"_s.arg(i - 1)
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
            fail(u"no record under %1: %2"_s.arg(shown(keyOf(code)), error.message()));
            break;
        }
        const Record stored{record->StudentName(), record->UnitsCompleted(), record->GradeLevel(),
                            record->Major(),       record->School(),         record->DeansList()};
        if (stored != expected->second || record->StudentCode() != keyOf(code))
            fail(u"record %1 holds %2 under %3, expected %4"_s.arg(code).arg(
                describe(stored), shown(record->StudentCode()), describe(expected->second)));
    }

    const int selected = list().ListIndex();
    check((selected < 0 ? 0 : list().ItemData(selected)) == m_selectedCode,
          u"entry %1 selected, expected the student with code %2"_s.arg(selected).arg(
              m_selectedCode));
    if (w) {
        check(testing::selectedLevel(*w) == m_selectedLevel,
              u"remembered grade level %1, expected %2"_s.arg(testing::selectedLevel(*w))
                  .arg(m_selectedLevel));
        QStringList schools;
        for (int i = 0; i < w->cboSchool->ListCount(); ++i) {
            schools << w->cboSchool->List(i);
            if (i > 0 && m_order.compare(schools[i - 1], schools[i]) > 0)
                fail(u"schools %1 and %2 out of order"_s.arg(shown(schools[i - 1]),
                                                             shown(schools[i])));
        }
        QStringList sortedActual = schools;
        QStringList sortedModel = m_schools;
        sortedActual.sort();
        sortedModel.sort();
        check(sortedActual == sortedModel,
              u"schools [%1], expected [%2]"_s.arg(schools.join(u'|'), m_schools.join(u'|')));
    }
    check(m_printer->endedCount() == m_documents && !m_printer->hasOpenDocument(),
          u"%1 documents printed, %2 expected"_s.arg(m_printer->endedCount()).arg(m_documents));
}

bool Walk::step(int number)
{
    m_step = number;
    m_line = u"%1: "_s.arg(number);
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
    log(u"%1 entry of code %2"_s.arg(QLatin1String(twice ? "double-click" : "click")).arg(code));
    clickRow(&list(), rowOf(code), Qt::NoModifier, twice);
    m_selectedCode = code;
    ++m_counts[u"selections"_s];
}

void Walk::clearSelection()
{
    log(u"clear the selection"_s);
    if (m_selectedCode != 0)
        clickRow(&list(), rowOf(m_selectedCode), Qt::ControlModifier);
    m_selectedCode = 0;
}

void Walk::withoutSelection()
{
    clearSelection();
    const bool display = chance(0.5);
    log(display ? u"display"_s : u"remove"_s);
    QTest::mouseClick(display ? main().cmdDisplay : main().cmdRemove, Qt::LeftButton);
    expectMessage(display ? u"Please Select Item from list"_s
                          : u"Please Select Item from the list"_s,
                  applicationTitle());
    ++m_counts[u"commands without a selection"_s];
}

void Walk::about()
{
    const bool closeBox = chance(0.4);
    log(closeBox ? u"About, closed by its close box"_s : u"About, OK"_s);
    const bool shown = whileShown<frmAbout>([this] { return m_forms->frmAbout.existing(); },
                                            [this] { main().mnuAbout->trigger(); },
                                            [closeBox](frmAbout &box) {
                                                if (closeBox)
                                                    box.close();
                                                else
                                                    QTest::mouseClick(box.cmdOK, Qt::LeftButton);
                                            });
    check(shown, u"the About box did not open"_s);
    check(m_forms->frmAbout.isLoaded() != closeBox,
          u"the About box is %1"_s.arg(QLatin1String(closeBox ? "still loaded" : "unloaded")));
    ++m_counts[u"About boxes"_s];
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
    log(u"open %1%2%3"_s
            .arg(QLatin1String(mode == Mode::Add       ? "add"
                               : mode == Mode::Display ? "display"
                                                       : "remove"))
            .arg(mode == Mode::Add ? QString() : u" of code %1"_s.arg(m_shownCode))
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
    check(shown, u"the student window did not open"_s);
}

void Walk::session(Mode mode, frmStudent &w)
{
    const QString caption = mode == Mode::Add       ? u"Add Student"_s
                            : mode == Mode::Display ? u"Student Display"_s
                                                    : u"Remove this Student?"_s;
    check(w.cmdAction->text() == caption && w.cmdAction->isVisible() == (mode != Mode::Display),
          u"action button %1, %2"_s.arg(shown(w.cmdAction->text()))
              .arg(QLatin1String(w.cmdAction->isVisible() ? "shown" : "hidden")));
    if (mode == Mode::Add) {
        m_fields = Fields{};
        check(w.focusWidget() == w.txtName, u"the name box has no focus"_s);
    } else {
        const Record &r = m_records.at(m_shownCode);
        m_fields = Fields{
            r.name,   QString::number(r.units), r.units, r.grade, int(Majors.indexOf(r.major)),
            r.school, r.deans == u"1" ? 1 : 0};
        m_selectedLevel = r.grade;
    }
    checkFields(w, u"on opening"_s);

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
            log(u"Cancel"_s);
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
            ++m_counts[u"names of 10,000 characters"_s];
        if (name.size() > 100 || chance(0.1)) {
            log(u"paste name %1"_s.arg(shown(name)));
            pasteInto(w.txtName, name);
        } else {
            log(u"type name %1"_s.arg(shown(name)));
            typeInto(w.txtName, name);
        }
        f.name = name;
        break;
    }
    case AppendName: {
        const QString more = pick(NamePieces);
        log(u"append %1 to the name"_s.arg(shown(more)));
        QTest::keyClick(w.txtName, Qt::Key_End);
        typeInto(w.txtName, more);
        f.name += more;
        break;
    }
    case UnitsEdit: {
        const Units units = randomUnits();
        log(u"units %1"_s.arg(shown(units.text)));
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
        log(u"click grade %1"_s.arg(grade));
        QTest::mouseClick(&w.optLevel[grade], Qt::LeftButton);
        f.grade = m_selectedLevel = grade;
        break;
    }
    case GradeKeys: { // arrow keys move through the options and click them
        const int from = uniform(0, 3);
        const bool down = chance(0.5);
        log(u"%1 on grade %2"_s.arg(QLatin1String(down ? "Down" : "Up")).arg(from));
        QTest::keyClick(&w.optLevel[from], down ? Qt::Key_Down : Qt::Key_Up);
        f.grade = m_selectedLevel = (from + (down ? 1 : 3)) % 4;
        break;
    }
    case Major: {
        const int major = uniform(0, 3);
        log(u"click major %1"_s.arg(major));
        clickRow(w.lstMajor, major);
        f.major = major;
        break;
    }
    case MajorOff: // Ctrl+click takes the selection back
        if (f.major >= 0) {
            log(u"Ctrl+click major %1"_s.arg(f.major));
            clickRow(w.lstMajor, f.major, Qt::ControlModifier);
            f.major = -1;
        }
        break;
    case TypeSchool: {
        const QString school = randomSchool();
        log(u"type school %1"_s.arg(shown(school)));
        clearField(testing::editField(*w.cboSchool));
        typeInto(testing::editField(*w.cboSchool), school);
        f.school = school;
        break;
    }
    case PickSchool: {
        const int row = uniform(0, w.cboSchool->ListCount() - 1);
        const QString school = w.cboSchool->List(row);
        log(u"pick school %1"_s.arg(shown(school)));
        clickRow(testing::listPart(*w.cboSchool), row);
        f.school = school;
        break;
    }
    case AppendSchool: {
        log(u"append \"x\" to the school"_s);
        QTest::keyClick(testing::editField(*w.cboSchool), Qt::Key_End);
        typeInto(testing::editField(*w.cboSchool), u"x"_s);
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
        log(u"%1 in the school field"_s.arg(QLatin1String(down ? "Down" : "Up")));
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
        log(u"drag school %1 to %2"_s.arg(from).arg(to));
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
            log(u"Ctrl+click school %1"_s.arg(selected));
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
            log(u"screen reader clears school %1"_s.arg(row));
            table->unselectRow(row);
            f.school.clear();
        } else {
            log(u"screen reader selects school %1"_s.arg(row));
            table->selectRow(row);
            f.school = w.cboSchool->List(row);
        }
        break;
    }
    case Deans:
        log(u"toggle Dean's list"_s);
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
        checkFields(w, u"after the edit"_s);
}

void Walk::printStudent(frmStudent &w)
{
    const Fields &f = m_fields;
    QString prompt;
    if (f.name.isEmpty())
        prompt = u"Please Enter Your Name"_s;
    else if (f.units.isEmpty())
        prompt = u"Enter Number of Units"_s;
    else if (f.major < 0)
        prompt = u"Please Enter Your Major"_s;
    else if (f.school.isEmpty())
        prompt = u"Please Enter Your School"_s;
    else if (f.grade < 0)
        prompt = u"Grade Level Not Selected"_s;

    // Now and then the user closes the window while the entry check's message is up.
    const bool closeMeanwhile = !prompt.isEmpty() && chance(0.15);
    log(u"print student%1"_s.arg(
        QLatin1String(closeMeanwhile ? ", close box during the message" : "")));
    if (closeMeanwhile)
        m_services.messageBox->onShow = [&w] { w.close(); };
    w.mnuPrintStudent->trigger();
    m_services.messageBox->onShow = nullptr;
    ++m_counts[u"student reports tried"_s];

    if (!prompt.isEmpty()) {
        expectMessage(prompt, u"Error"_s);
        check(w.isVisible() != closeMeanwhile,
              u"the window is %1"_s.arg(QLatin1String(w.isVisible() ? "open" : "closed")));
        return;
    }
    // A typed school joins the list and becomes the selected entry.
    if (!m_schools.contains(f.school))
        m_schools << f.school;
    ++m_documents;
    ++m_counts[u"student reports printed"_s];
    const auto documents = m_printer->takeEnded();
    if (!check(documents.size() == 1 && m_printer->endedCount() == m_documents,
               u"%1 student reports printed, one expected"_s.arg(documents.size())))
        return;
    const auto &document = documents.back();
    const auto value = [&](const char *label) {
        return printedValue(document, QLatin1String(label));
    };
    check(value("Student Name:") == f.name && value("Units Completed:") == f.units &&
              value("Major:") == Majors[f.major] && value("School:") == f.school &&
              value("Grade Level:") == Grades[f.grade] &&
              value("Deans List:") == (f.deans ? u"Yes"_s : u"No"_s),
          u"the student report does not show the fields"_s);
}

void Walk::printSchools(frmStudent &w)
{
    log(u"print schools"_s);
    w.mnuPrintSchools->trigger();
    ++m_documents;
    ++m_counts[u"school lists printed"_s];
    const auto documents = m_printer->takeEnded();
    if (!check(documents.size() == 1 && m_printer->endedCount() == m_documents,
               u"%1 school lists printed, one expected"_s.arg(documents.size())))
        return;
    // The entries are the lines printed at the third zone after the heading.
    QStringList printed;
    bool afterHeading = false;
    for (const PrintStatement &statement : documents.back()) {
        if (statement.size() == 4 && statement[2].kind == PrintItem::Kind::Text) {
            if (afterHeading)
                printed << statement[2].text;
        }
        afterHeading = afterHeading || printedValue({statement}, u"School List:"_s);
    }
    const QStringList listed = testing::entries(*w.cboSchool);
    check(printed == listed,
          u"the school list printed [%1] for [%2]"_s.arg(printed.join(u'|'), listed.join(u'|')));
}

// Ends the window's show by commit, Enter, Cancel or the close box; false if it stays open.
bool Walk::commit(Mode mode, frmStudent &w)
{
    const int how = uniform(0, 9);
    if (how < 2 || (mode == Mode::Display && how < 5)) {
        const bool closeBox = how == 0;
        log(closeBox ? u"close box"_s : u"Cancel"_s);
        if (closeBox)
            w.close();
        else if (chance(0.3))
            QTest::keyClick(w.cmdCancel, Qt::Key_Return); // Enter on the focused Cancel button
        else
            QTest::mouseClick(w.cmdCancel, Qt::LeftButton);
        check(!w.isVisible(), u"the window is still open"_s);
        return true;
    }
    const bool enter = how < 5;
    QLineEdit *field = chance(0.5) ? static_cast<QLineEdit *>(w.txtName) : w.txtUnits;
    if (mode == Mode::Display) {
        // Enter has no button to press here.
        log(u"Enter"_s);
        QTest::keyClick(field, Qt::Key_Return);
        check(w.isVisible(), u"Enter closed the window in display mode"_s);
        return false;
    }
    const auto press = [&] {
        if (enter)
            QTest::keyClick(field, Qt::Key_Return);
        else
            QTest::mouseClick(w.cmdAction, Qt::LeftButton);
    };

    if (mode == Mode::Remove) {
        log(enter ? u"Enter: remove"_s : u"click Remove"_s);
        press();
        m_records.erase(m_shownCode);
        m_selectedCode = 0;
        ++m_counts[u"removals"_s];
        check(!w.isVisible(), u"the window is still open after the removal"_s);
        return true;
    }

    if (m_fields.grade < 0) {
        // Refused before anything else: no entry, no record, no code, focus and fields kept.
        log(u"%1, no grade level on"_s.arg(
            QLatin1String(enter ? "Enter: add" : "click Add Student")));
        const int listed = list().ListCount();
        QWidget *focused = w.focusWidget();
        press();
        expectMessage(u"Grade Level Not Selected"_s, u"Error"_s);
        checkMessages();
        check(list().ListCount() == listed, u"the refused add listed an entry"_s);
        check(testing::students(w)->Count() == listed, u"the refused add stored a record"_s);
        check(w.isVisible(), u"the refused add closed the window"_s);
        // A click focuses the button clicked, as any click on a button does; nothing else moves it.
        check(w.focusWidget() == (enter ? focused : w.cmdAction),
              u"the refused add moved the focus"_s);
        checkFields(w, u"after the refused add"_s);
        ++m_counts[u"adds refused for want of a grade level"_s];
        return false;
    }
    // The grade level stored is the one remembered, which must be the one on the screen.
    check(m_selectedLevel == m_fields.grade,
          u"grade %1 remembered, %2 on the screen"_s.arg(m_selectedLevel).arg(m_fields.grade));
    const bool codesLeft = m_nextCode <= 32767;
    const bool fails = !codesLeft || !m_fields.stored;
    // Now and then the user closes the window while the error message is up.
    const bool closeMeanwhile = fails && chance(0.2);
    log(u"%1%2"_s.arg(QLatin1String(enter ? "Enter: add" : "click Add Student"))
            .arg(QLatin1String(closeMeanwhile ? ", close box during the message" : "")));
    if (closeMeanwhile)
        m_services.messageBox->onShow = [&w] { w.close(); };
    const int listed = list().ListCount();
    press();
    m_services.messageBox->onShow = nullptr;
    if (codesLeft && ++m_nextCode > 32767)
        m_codesGoneAt = m_step;
    if (!codesLeft)
        ++m_counts[u"adds refused for want of codes"_s];
    if (fails) {
        // Taken back whole: no entry, no record, the window open with what was typed.
        expectMessage(RuntimeError::overflow().message(), applicationTitle());
        expectError(ErrorKind::Overflow);
        checkMessages();
        check(list().ListCount() == listed, u"the failed add left its entry"_s);
        check(testing::students(w)->Count() == listed, u"the failed add stored a record"_s);
        check(w.isVisible() != closeMeanwhile,
              u"the window is %1 after the failed add"_s.arg(
                  QLatin1String(w.isVisible() ? "open" : "closed")));
        if (w.isVisible())
            checkFields(w, u"after the failed add"_s);
        ++m_counts[u"failed adds"_s];
        return closeMeanwhile;
    }
    checkMessages();
    const Fields &f = m_fields;
    const int code = m_nextCode - 1;
    m_records[code] = Record{f.name,   *f.stored,
                             f.grade,  f.major < 0 ? QString() : Majors[f.major],
                             f.school, QString::number(f.deans)};
    ++m_counts[u"adds"_s];
    check(list().NewIndex() >= 0 && list().ItemData(list().NewIndex()) == code,
          u"the new entry does not carry code %1"_s.arg(code));
    check(!w.isVisible(), u"the window is still open after the add"_s);
    return true;
}

void Walk::exit()
{
    m_line = u"%1: "_s.arg(m_stepCount + 1);
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
    log(u"start the program again"_s);
    m_records.clear();
    m_nextCode = 1;
    m_selectedLevel = 0;
    m_selectedCode = 0;
    m_schools = DesignedSchools;
    m_codesGoneAt = 0;
    ++m_counts[u"programs started again"_s];
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
    log(path == 0 ? u"Exit button"_s : path == 1 ? u"File, Exit"_s : u"main window's close box"_s);
    if (path == 0)
        QTest::mouseClick(main().cmdExit, Qt::LeftButton);
    else if (path == 1)
        main().mnuFileExit->trigger();
    else
        main().close();
    check(hasEnded() && m_services.ends == 1, u"the program did not end"_s);
    check(!m_forms->frmMain.isLoaded() && !m_forms->frmStudent.isLoaded(),
          u"a window is still loaded"_s);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    check(!studentWindow, u"the student window was not released"_s);
    check(std::none_of(records.begin(), records.end(), [](const auto &r) { return !r.expired(); }),
          u"records outlived the program"_s);
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
    void add(const QString &name, const QString &units = u"8"_s);
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
        w.txtName->setText(u"Student %1"_s.arg(i * 7919 % 32768));
        w.optLevel[i % 4].setValue(true);
        QTest::mouseClick(w.cmdAction, Qt::LeftButton);
    }
    QVERIFY(!w.isVisible());
    QCOMPARE(testing::students(w)->Count(), 32766);
    QVERIFY(m_program->services.messages.empty());

    add(u"Last One"_s);
    QCOMPARE(list().ListCount(), 32767);
    QCOMPARE(list().ItemData(list().NewIndex()), 32767);
    QCOMPARE(testing::students(w)->Item(u" 32767"_s)->StudentName(), u"Last One"_s);

    // The 32768th is refused and taken back; the window stays open with what was typed.
    // Removing a student frees no code, so the next try is refused the same way.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int listed = list().ListCount();
        bool stayedOpen = false;
        bool typedKept = false;
        QVERIFY(withStudent(main().cmdAdd, [&](frmStudent &window) {
            typeInto(window.txtName, u"One Too Many"_s);
            typeInto(window.txtUnits, u"3"_s);
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
        << u"Zo\u00EB \u05E9\u05DC\u05D5\u05DD <b>"_s.repeated(1000).left(10000);
    QTest::newRow("bold markup") << u"<b>x</b>"_s;
    QTest::newRow("markup with an image and an entity")
        << u"<img src=\"missing.png\"> &amp; <i>Ann</i>"_s;
    QTest::newRow("right to left")
        << u"\u05E9\u05DC\u05D5\u05DD \u0645\u0631\u062D\u0628\u0627 \u200F12"_s;
    QTest::newRow("emoji sequences")
        << u"\U0001F469\u200D\U0001F393 \U0001F1E9\U0001F1EA \U0001F600"_s;
    QTest::newRow("combining marks") << u"Zoe\u0308 Nguye\u0302\u0303n"_s;
    QTest::newRow("blanks only") << u"   "_s;
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
    QCOMPARE(testing::students(*student())->Item(u" 1"_s)->StudentName(), name);
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
    QCOMPARE(printedValue(m_program->services.printer->documents().first(), u"Student Name:"_s),
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
    add(u"Kept"_s);
    const std::weak_ptr<CStudent> kept = testing::students(*student())->Item(u" 1"_s);
    const auto closeOnMessage = [this](QWidget *window) {
        m_program->services.messageBox->onShow = [this, window] {
            m_program->services.messageBox->onShow = nullptr;
            window->close();
        };
    };
    const auto typeFailingAdd = [](frmStudent &w) {
        typeInto(w.txtName, u"Aaron"_s);
        typeInto(w.txtUnits, u"40000"_s);
        QTest::mouseClick(&w.optLevel[3], Qt::LeftButton);
    };

    bool shown = true;
    bool stayedOpenAfterFailure = false;
    switch (moment) {
    case Moment::AddHalfTyped:
        shown = withStudent(main().cmdAdd, [](frmStudent &w) {
            typeInto(w.txtName, u"Half"_s);
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
                                QTest::keyClicks(w.txtName, u" changed"_s);
                                w.close();
                            });
        break;
    case Moment::About:
        shown = withAbout([](frmAbout &box) { box.close(); });
        break;
    case Moment::MainWhileStudentOpen:
        shown = withStudent(main().cmdAdd, [this](frmStudent &w) {
            typeInto(w.txtName, u"Half"_s);
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
    QCOMPARE(list().List(0), u"Kept"_s);
    QCOMPARE(testing::students(*student())->Count(), 1);
    QCOMPARE(kept.lock()->StudentName(), u"Kept"_s);
    QVERIFY(m_program->services.printer->documents().isEmpty());
    QCOMPARE(m_program->forms->frmAbout.isLoaded(), false);
    // The next add gets the next code: one more if the failed add used one up.
    add(u"Next"_s);
    QCOMPARE(list().ItemData(list().NewIndex()), overflow ? 3 : 2);
    QCOMPARE(testing::students(*student())->Count(), 2);
}

SI_TEST_MAIN(TestModel)
#include "tst_model.moc"
