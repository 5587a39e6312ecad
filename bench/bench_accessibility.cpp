// The program's add and remove with the platform's accessibility bridge off and on, side by
// side, in the real main window on an X display: first its list alone, filled to 32,767 entries
// and changed as the commands change it; then the whole commands, filling it to 32,767 students
// through the program's own add path; each with timed adds and removes at full size and the
// memory over 10,000 of them. It runs itself twice, the bridge off and then on (as with a screen
// reader running), on the display and accessibility bus it is given:
//   tests/on-xvfb.sh bench/on-accessibility-bus.sh bench_accessibility [samples] [students]

#include "ProgramApplication.h"
#include "ProgramDriver.h"
#include "TimedChange.h"

#include "platform/controls/ListBox.h"

#include <QAccessible>
#include <QLocale>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>

using bench::Clock;
using bench::fail;
using bench::Figures;
using bench::millisecondsBetween;
using bench::percentile;

namespace {

constexpr int Cycles = 10000;
constexpr int WarmUpCycles = 1000;
constexpr int CycleStudents = 20000;

// Memory once the event loop has had a second to send what was queued.
long settledRssAnonKiB()
{
    const auto until = Clock::now() + std::chrono::seconds(1);
    while (Clock::now() < until)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return bench::rssAnonKiB();
}

struct Change
{
    std::vector<double> wall, cpu;
    void time(const std::function<void()> &change) { bench::timeChange(change, wall, cpu); }
};

// The main window's list alone, changed as the add and remove commands change it: what the
// accessibility bridge adds to the list's own work.
void measureList(int samples, int students, bench::Names &names, testing::Services &services)
{
    bench::Program program(services);
    platform::ListBox &list = *program.main().lstStudent;
    // The bridge comes on once it has heard from the accessibility bus, in the event loop.
    if (qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON")) {
        const auto until = Clock::now() + std::chrono::seconds(30);
        while (!QAccessible::isActive() && Clock::now() < until)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    std::printf("active %d\n", QAccessible::isActive() ? 1 : 0);
    // A screen reader reads the list once, as Orca does when it takes the focus; from then on
    // the list tells it of every entry added or removed, and it reads each new one.
    list.AddItem(names.next());
    QAccessibleInterface *reader =
        QAccessible::isActive() ? QAccessible::queryAccessibleInterface(&list) : nullptr;
    const auto add = [&list, reader](const QString &name) {
        list.AddItem(name);
        if (reader)
            reader->child(list.NewIndex());
    };
    if (reader)
        reader->child(0);
    Change fill, adds, removes;
    const auto start = Clock::now();
    const double cpuStart = bench::threadCpuMilliseconds();
    for (int i = 1; i < students; ++i) {
        const QString name = names.next();
        fill.time([&] { add(name); });
    }
    const double seconds = millisecondsBetween(start, Clock::now()) / 1000.0;
    const double cpuSeconds = (bench::threadCpuMilliseconds() - cpuStart) / 1000.0;
    // Room for every figure first, so that they do not count as memory the list took.
    for (Change *change : {&adds, &removes}) {
        change->wall.reserve(samples + Cycles);
        change->cpu.reserve(samples + Cycles);
    }
    long kept[3] = {};
    for (int i = 0; i < samples + Cycles; ++i) {
        if (i >= samples && (i - samples) % (Cycles / 2) == 0)
            kept[(i - samples) / (Cycles / 2)] = settledRssAnonKiB();
        const int row = names.row(list.ListCount());
        removes.time([&] { list.RemoveItem(row); });
        const QString name = names.next();
        adds.time([&] { add(name); });
    }
    kept[2] = settledRssAnonKiB();
    std::printf("listfirsthalf %ld\nlistsecondhalf %ld\n", kept[1] - kept[0], kept[2] - kept[1]);
    std::printf("listfill %.2f\nlistfillcpu %.2f\n", seconds, cpuSeconds);
    for (const auto &[name, figures] :
         {std::pair{"listadd", &adds}, std::pair{"listremove", &removes}}) {
        std::printf("%s50 %.4f\n%s99 %.4f\n%scpu99 %.4f\n", name, percentile(figures->wall, 50),
                    name, percentile(figures->wall, 99), name, percentile(figures->cpu, 99));
    }
}

// One side: prints its figures as "name value" lines.
int measure(int samples, int students)
{
    testing::Services services;
    bench::Names names;
    measureList(samples, students, names, services);
    Figures adds, removes;
    double fillSeconds = 0, fillCpuSeconds = 0;
    {
        bench::Program program(services);
        const auto fillStart = Clock::now();
        const double fillCpuStart = bench::threadCpuMilliseconds();
        for (int i = 0; i < students; ++i) {
            const bench::Timing t = program.add(names.next());
            if (i >= students - samples)
                adds.add(t);
        }
        fillSeconds = millisecondsBetween(fillStart, Clock::now()) / 1000.0;
        fillCpuSeconds = (bench::threadCpuMilliseconds() - fillCpuStart) / 1000.0;
        if (program.listed() != students)
            fail("the list does not hold every student");
        for (int i = 0; i < samples; ++i)
            removes.add(program.remove(names.row(program.listed())));
    }
    // A long session of commands: the memory it holds must not grow with it. A student window hands
    // out 32,767 codes in all, so this one starts afresh with fewer students.
    long kept[3] = {};
    {
        bench::Program program(services);
        const int listed = std::min(CycleStudents, students);
        for (int i = 0; i < listed + WarmUpCycles; ++i) {
            if (i >= listed)
                program.remove(names.row(program.listed()));
            program.add(names.next());
        }
        for (int half = 0; half < 3; ++half) {
            if (half > 0) {
                for (int i = 0; i < Cycles / 2; ++i) {
                    program.remove(names.row(program.listed()));
                    program.add(names.next());
                }
            }
            kept[half] = settledRssAnonKiB();
        }
    }

    std::printf("fill %.2f\nfillcpu %.2f\n", fillSeconds, fillCpuSeconds);
    for (const auto &[name, figures] : {std::pair{"add", &adds}, std::pair{"remove", &removes}}) {
        std::printf("%s50 %.4f\n%s99 %.4f\n%scpu99 %.4f\n%scommit99 %.4f\n", name,
                    percentile(figures->roundTrip, 50), name, percentile(figures->roundTrip, 99),
                    name, percentile(figures->roundTripCpu, 99), name,
                    percentile(figures->commit, 99));
    }
    std::printf("firsthalf %ld\nsecondhalf %ld\n", kept[1] - kept[0], kept[2] - kept[1]);
    return 0;
}

std::map<std::string, double> side(const QString &self, bool bridge, int samples, int students)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // With no window manager, Qt warns on every modal show.
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.qpa.xcb=false"));
    if (bridge)
        environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    else
        environment.remove(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(self,
                {QStringLiteral("--side"), QString::number(samples), QString::number(students)});
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        fail("a side of the run failed");
    std::map<std::string, double> figures;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() == 2)
            figures[words.at(0).toStdString()] = words.at(1).toDouble();
    }
    if (figures["active"] != (bridge ? 1 : 0))
        fail(bridge ? "the accessibility bridge did not come on (no accessibility bus?)"
                    : "the accessibility bridge was on without being asked for");
    return figures;
}

int compare(const QString &self, int samples, int students)
{
    std::fprintf(stderr, "  ... the bridge off\n");
    auto off = side(self, false, samples, students);
    std::fprintf(stderr, "  ... the bridge on\n");
    auto on = side(self, true, samples, students);
    const QByteArray most = QLocale(QLocale::English).toString(students).toLatin1();
    std::printf("Accessibility: the real main window on X, %s students added through the "
                "program, %d samples per figure\n",
                most.constData(), samples);
    std::printf("  %-40s %10s %10s %8s\n", "", "bridge off", "bridge on", "on/off");
    const auto row = [&](const char *name, const char *key) {
        std::printf("  %-40s %10.3f %10.3f %8.2f\n", name, off[key], on[key],
                    off[key] > 0 ? on[key] / off[key] : 0.0);
    };
    std::printf(
        "  the list alone, as the commands change it, each change with its event-loop pass\n");
    row(("  fill 0 -> " + most + ", s").constData(), "listfill");
    row("    same, CPU time, s", "listfillcpu");
    row(("  add at " + most + ", p50 ms").constData(), "listadd50");
    row("    p99 ms", "listadd99");
    row("    p99 ms CPU time", "listaddcpu99");
    row(("  remove at " + most + ", p50 ms").constData(), "listremove50");
    row("    p99 ms", "listremove99");
    row("    p99 ms CPU time", "listremovecpu99");
    std::printf("  %-40s %10.0f %10.0f\n", "  RssAnon grown, 5,000 removes and adds, KiB",
                off["listfirsthalf"], on["listfirsthalf"]);
    std::printf("  %-40s %10.0f %10.0f\n", "    and over the next 5,000, KiB",
                off["listsecondhalf"], on["listsecondhalf"]);
    std::printf("  the whole command: the main window's button, the student window's\n");
    row(("fill 0 -> " + most + ", s").constData(), "fill");
    row("  same, CPU time, s", "fillcpu");
    row(("add at " + most + ": the command, p50 ms").constData(), "add50");
    row("  p99 ms", "add99");
    row("  p99 ms CPU time", "addcpu99");
    row("  its commit (the list changed), p99 ms", "addcommit99");
    row(("remove at " + most + ": the command, p50 ms").constData(), "remove50");
    row("  p99 ms", "remove99");
    row("  p99 ms CPU time", "removecpu99");
    row("  its commit (the list changed), p99 ms", "removecommit99");
    std::printf("  %-40s %10.0f %10.0f\n", "RssAnon grown, 5,000 add/remove at 20,000, KiB",
                off["firsthalf"], on["firsthalf"]);
    std::printf("  %-40s %10.0f %10.0f\n", "  and over the next 5,000, KiB", off["secondhalf"],
                on["secondhalf"]);
    const auto met = [&on, &off](const char *add, const char *remove, const char *fill) {
        return on[add] <= 1.0 && on[remove] <= 1.0 && on[fill] <= 1.5 * off[fill] ? "met"
                                                                                  : "MISSED";
    };
    std::printf("  goal: with the bridge on, the list's add and remove p99 <= 1 ms and its fill "
                "within 1.5 x of off: wall time %s, CPU time %s\n",
                met("listadd99", "listremove99", "listfill"),
                met("listaddcpu99", "listremovecpu99", "listfillcpu"));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const bool oneSide = argc > 1 && std::string(argv[1]) == "--side";
    if (!oneSide) {
        QCoreApplication app(argc, argv);
        const int samples = argc > 1 ? std::atoi(argv[1]) : 2000;
        const int students = argc > 2 ? std::atoi(argv[2]) : 32767;
        if (students < 2 || students > 32767 || samples < 1 || samples >= students)
            fail("usage: bench_accessibility [samples < students] [students 2..32767]");
        return compare(QCoreApplication::applicationFilePath(), samples, students);
    }
    bench::ProgramApplication app(argc, argv);
    const int samples = std::atoi(argv[2]);
    const int students = std::atoi(argv[3]);
    int result = 0;
    // From inside the event loop, as clicks arrive in the program.
    QTimer::singleShot(0, &app, [&] {
        result = measure(samples, students);
        QApplication::exit(result);
    });
    QApplication::exec();
    return result;
}
