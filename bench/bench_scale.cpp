// Fills the program to 32,767 students through the real handlers and the real modal student
// window (offscreen), then prints the p50/p99 of the add, display and remove commands at 1,000
// and at 32,767 students, the time of the whole fill and the memory per student.
//   bench_scale [samples per figure, default 2000] [students, default 32767; less for profiling]

#include "BenchSupport.h"
#include "ProgramApplication.h"

#include "ProgramDriver.h"

#include <QApplication>
#include <QLocale>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <utility>

using bench::Clock;
using bench::fail;
using bench::Figures;
using bench::millisecondsBetween;
using bench::Names;
using bench::Program;
using bench::Timing;

namespace {

int MostStudents = 32767;
constexpr int FewStudents = 1000;

void printRow(const char *name, const std::vector<double> &few, const std::vector<double> &most)
{
    std::printf("  %-34s %8.3f %8.3f   %8.3f %8.3f   %6.2f\n", name, bench::percentile(few, 50),
                bench::percentile(few, 99), bench::percentile(most, 50),
                bench::percentile(most, 99),
                bench::percentile(most, 99) / bench::percentile(few, 99));
}

int run(int samples)
{
    testing::Services services;
    Names names;
    Figures addMost, displayMost, removeMost, addFew, displayFew, removeFew;
    double fillSeconds = 0;
    long grownKiB = 0;

    {
        Program program(services);
        // The first add creates the student window: memory after it is the baseline.
        const auto fillStart = Clock::now();
        program.add(names.next());
        const long baseKiB = bench::rssAnonKiB();
        for (int i = 1; i < MostStudents; ++i) {
            const Timing t = program.add(names.next());
            if (i >= MostStudents - samples)
                addMost.add(t);
            if (i % 8192 == 0)
                std::fprintf(stderr, "  ... %d students\n", i);
        }
        fillSeconds = millisecondsBetween(fillStart, Clock::now()) / 1000.0;
        grownKiB = bench::rssAnonKiB() - baseKiB;
        if (program.listed() != MostStudents || program.stored() != MostStudents)
            fail("the list or the collection does not hold every student");
        for (int i = 0; i < samples; ++i)
            displayMost.add(program.display(names.row(program.listed())));
        for (int i = 0; i < samples; ++i)
            removeMost.add(program.remove(names.row(program.listed())));
    }
    {
        Program program(services);
        for (int i = 0; i < FewStudents; ++i)
            program.add(names.next());
        // Display, remove and add in turn, so the list stays at 1,000 students.
        for (int i = 0; i < samples; ++i) {
            displayFew.add(program.display(names.row(program.listed())));
            removeFew.add(program.remove(names.row(program.listed())));
            addFew.add(program.add(names.next()));
        }
    }

    const double bytesPerStudent = grownKiB * 1024.0 / (MostStudents - 1);
    std::printf("Scale: 20-character names, real handlers and modal student window "
                "(offscreen), %d samples per figure\n",
                samples);
    std::printf("  fill 0 -> %d students: %.1f s (%.3f ms per student)\n", MostStudents,
                fillSeconds, fillSeconds * 1000 / MostStudents);
    std::printf("  memory: RssAnon grew %ld KiB for %d students = %.0f bytes per student "
                "(goal <= 1024)%s\n",
                grownKiB, MostStudents - 1, bytesPerStudent,
                bytesPerStudent <= 1024 ? "" : "  MISSED");
    const QByteArray most = QLocale(QLocale::English).toString(MostStudents).toLatin1();
    std::printf("  %-34s %17s   %17s   %6s\n", "ms", "at 1,000", ("at " + most).constData(), "p99");
    std::printf("  %-34s %8s %8s   %8s %8s   %6s\n", "", "p50", "p99", "p50", "p99", "ratio");
    printRow("add: cmdAdd click to return", addFew.roundTrip, addMost.roundTrip);
    printRow("  same, CPU time", addFew.roundTripCpu, addMost.roundTripCpu);
    printRow("  cmdAdd_Click until window up", addFew.open, addMost.open);
    printRow("  cmdAction_Click (commit)", addFew.commit, addMost.commit);
    printRow("display: cmdDisplay click to return", displayFew.roundTrip, displayMost.roundTrip);
    printRow("  same, CPU time", displayFew.roundTripCpu, displayMost.roundTripCpu);
    printRow("  cmdDisplay_Click until window up", displayFew.open, displayMost.open);
    printRow("  cmdCancel_Click", displayFew.commit, displayMost.commit);
    printRow("remove: cmdRemove click to return", removeFew.roundTrip, removeMost.roundTrip);
    printRow("  same, CPU time", removeFew.roundTripCpu, removeMost.roundTripCpu);
    printRow("  cmdRemove_Click until window up", removeFew.open, removeMost.open);
    printRow("  cmdAction_Click (commit)", removeFew.commit, removeMost.commit);

    const std::pair<const Figures *, const Figures *> commands[] = {
        {&addFew, &addMost}, {&displayFew, &displayMost}, {&removeFew, &removeMost}};
    const auto goal = [&commands](std::vector<double> Figures::*figure) {
        bool met = true;
        for (const auto &[few, most] : commands) {
            const double p99 = bench::percentile(most->*figure, 99);
            met = met && p99 <= 1.0 && p99 <= 1.5 * bench::percentile(few->*figure, 99);
        }
        return met ? "met" : "MISSED";
    };
    std::printf("  goal: every p99 at %s <= 1 ms and <= 1.5 x its p99 at 1,000: wall time %s, "
                "CPU time %s\n",
                most.constData(), goal(&Figures::roundTrip), goal(&Figures::roundTripCpu));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    bench::ProgramApplication app(argc, argv);
    const int samples = argc > 1 ? std::atoi(argv[1]) : 2000;
    if (argc > 2)
        MostStudents = std::atoi(argv[2]);
    if (MostStudents <= FewStudents || MostStudents > 32767)
        fail("students must be 1001..32767");
    if (samples < 1 || samples >= MostStudents || FewStudents + samples > 32767)
        fail("too many samples for the students");

    int result = 0;
    // From inside the event loop, as clicks arrive in the program.
    QTimer::singleShot(0, &app, [&] {
        result = run(samples);
        QApplication::exit(result);
    });
    QApplication::exec();
    return result;
}
