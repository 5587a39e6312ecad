// The program's memory over a steady cycle: add, display, remove, both reports and the About
// box, through the real handlers and modal windows (offscreen), at a steady list size. Prints
// RSS at the start, after a warm-up and every so many cycles, so that a leak in the program
// shows as growth per cycle. Reports go through the PDF back end to a temporary file.
//   bench_memory [cycles, default 3000] [students kept listed, default 150]

#include "BenchSupport.h"
#include "ProgramApplication.h"
#include "ProgramDriver.h"

#include "about/frmAbout.h"
#include "app/Forms.h"
#include "app/frmMain.h"
#include "platform/services/PainterPrinter.h"
#include "student_window/frmStudent.h"
#include "TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>

namespace {

constexpr int WarmUpCycles = 200;

// The commands of a cycle beyond bench::Program's own remove, through the same modal path.
void add(bench::Program &program, const QString &name, int level)
{
    program.act(program.main().cmdAdd, [&](frmStudent &window) {
        window.txtName->setText(name);
        window.txtUnits->setText(QString::number(level * 30 + 4));
        window.optLevel[level].click();
        window.lstMajor->setListIndex(level);
        window.cboSchool->setListIndex(level);
        window.chkDeans->setValue(level % 2);
        return window.cmdAction;
    });
}

// Displays an entry and prints both reports from the window, then cancels.
void displayAndPrint(bench::Program &program, int row)
{
    program.main().lstStudent->setListIndex(row);
    program.act(program.main().cmdDisplay, [](frmStudent &window) {
        window.mnuPrintStudent->trigger();
        window.mnuPrintSchools->trigger();
        return window.cmdCancel;
    });
}

// The close box unloads the box, OK only hides it: both ways in turn.
void about(bench::Program &program, bool closeBox)
{
    bool acted = false;
    QTimer::singleShot(0, &program.main(), [&] {
        frmAbout *box = program.forms().frmAbout.existing();
        if (!box || !box->isVisible())
            bench::fail("the About box did not open");
        if (closeBox)
            box->close();
        else
            box->cmdOK->click();
        acted = true;
    });
    program.main().mnuAbout->trigger();
    if (!acted)
        bench::fail("the About box did not close");
}

struct Memory
{
    long rss = bench::statusKiB("self", "VmRSS");
    long anon = bench::rssAnonKiB();
};

void printMemory(const char *when, int cycles, int listed, const Memory &memory)
{
    std::printf("  %-26s %6d cycles %4d listed  VmRSS %7ld KiB  RssAnon %7ld KiB\n", when, cycles,
                listed, memory.rss, memory.anon);
}

// Runs one cycle per turn of the event loop, as a user's commands arrive: windows a command
// unloads are deleted there, between commands, as in the running program.
class Cycles
{
public:
    Cycles(int cycles, int students) : m_cycles(cycles), m_students(students)
    {
        m_services.usePrinter(std::make_unique<platform::PdfPrinter>(
            m_directory.filePath(QStringLiteral("cycle.pdf"))));
        std::printf("Memory over a steady cycle: add, display with both reports printed (PDF "
                    "back end), remove, About box; %d students listed (offscreen)\n",
                    students);
        m_program = std::make_unique<bench::Program>(m_services);
    }

    void start()
    {
        m_start = Memory();
        printMemory("start (main window shown)", 0, 0, m_start);
        QTimer::singleShot(0, &m_program->main(), [this] { next(); });
    }

private:
    void next()
    {
        cycle(++m_done);
        if (m_done == WarmUpCycles) {
            m_warm = Memory();
            printMemory("after the warm-up", m_done, m_program->listed(), m_warm);
        } else if (m_done > WarmUpCycles && m_done % 1000 == 0) {
            printMemory("", m_done, m_program->listed(), Memory());
        }
        if (m_done < m_cycles) {
            QTimer::singleShot(0, &m_program->main(), [this] { next(); });
            return;
        }
        QTimer::singleShot(0, &m_program->main(), [this] { finish(); });
    }

    void cycle(int number)
    {
        bench::Program &program = *m_program;
        const auto row = [&] {
            return std::uniform_int_distribution<int>(0, program.listed() - 1)(m_random);
        };
        // Two adds and one removal every other cycle until the list is full, then one of each.
        add(program, QStringLiteral("Student %1").arg(number), number % 4);
        if (program.listed() < m_students)
            add(program, QStringLiteral("Student %1b").arg(number), (number + 1) % 4);
        displayAndPrint(program, row());
        if (program.listed() > m_students || number % 2 == 0)
            program.remove(row());
        about(program, number % 2 == 0);
    }

    void finish()
    {
        const Memory end;
        if (m_done % 1000 != 0)
            printMemory("end", m_done, m_program->listed(), end);
        const long grown = end.rss - m_warm.rss;
        std::printf("  VmRSS after %d cycles: %+ld KiB against the warm-up (%.0f bytes per "
                    "cycle), %+ld KiB against the start\n",
                    m_cycles, grown, double(grown) * 1024 / (m_cycles - WarmUpCycles),
                    end.rss - m_start.rss);
        QApplication::exit(0);
    }

    int m_cycles;
    int m_students;
    int m_done = 0;
    QTemporaryDir m_directory;
    testing::Services m_services;
    std::unique_ptr<bench::Program> m_program;
    std::mt19937 m_random{20240611};
    Memory m_start;
    Memory m_warm;
};

} // namespace

int main(int argc, char *argv[])
{
    bench::ProgramApplication app(argc, argv);
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 3000;
    const int students = argc > 2 ? std::atoi(argv[2]) : 150;
    if (cycles <= WarmUpCycles)
        bench::fail("cycles must be more than the warm-up");
    if (students < 1 || students > 1000)
        bench::fail("students must be 1..1000");
    Cycles run(cycles, students);
    run.start();
    return QApplication::exec();
}
