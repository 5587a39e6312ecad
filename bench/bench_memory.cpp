// The program's memory over a steady cycle: add, display, remove, both reports and the About
// box, through the real handlers and modal windows (offscreen), at a steady list size. Prints
// RSS at the start, after a warm-up and every so many cycles, so that a leak in the program
// shows as growth per cycle. Reports go through the PDF back end to a temporary file.
//   bench_memory [cycles, default 3000] [students kept listed, default 150]

#include "BenchSupport.h"
#include "ProgramApplication.h"

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
#include <functional>
#include <memory>
#include <random>

namespace {

constexpr int WarmUpCycles = 200;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "bench_memory: %s\n", what);
    std::exit(1);
}

class Program
{
public:
    explicit Program(testing::Services &services) : m_services(services)
    {
        m_forms.frmMain->Show(platform::ShowMode::Modeless);
    }

    frmMain &main() { return *m_forms.frmMain; }
    int listed() { return main().lstStudent->ListCount(); }

    void add(const QString &name, int level)
    {
        inStudentWindow(main().cmdAdd, [&](frmStudent &window) {
            window.txtName->setText(name);
            window.txtUnits->setText(QString::number(level * 30 + 4));
            window.optLevel[level].click();
            window.lstMajor->setListIndex(level);
            window.cboSchool->setListIndex(level);
            window.chkDeans->setValue(level % 2);
            window.cmdAction->click();
        });
    }

    // Displays an entry and prints both reports from the window, then cancels.
    void displayAndPrint(int row)
    {
        main().lstStudent->setListIndex(row);
        inStudentWindow(main().cmdDisplay, [](frmStudent &window) {
            window.mnuPrintStudent->trigger();
            window.mnuPrintSchools->trigger();
            window.cmdCancel->click();
        });
    }

    void remove(int row)
    {
        main().lstStudent->setListIndex(row);
        inStudentWindow(main().cmdRemove, [](frmStudent &window) { window.cmdAction->click(); });
    }

    // The close box unloads the box, OK only hides it: both ways in turn.
    void about(bool closeBox)
    {
        bool acted = false;
        QTimer::singleShot(0, &main(), [&] {
            frmAbout *box = m_forms.frmAbout.existing();
            if (!box || !box->isVisible())
                fail("the About box did not open");
            if (closeBox)
                box->close();
            else
                box->cmdOK->click();
            acted = true;
        });
        main().mnuAbout->trigger();
        check(acted);
    }

private:
    void inStudentWindow(QPushButton *opener, const std::function<void(frmStudent &)> &inside)
    {
        bool acted = false;
        QTimer::singleShot(0, &main(), [&] {
            frmStudent *window = m_forms.frmStudent.existing();
            if (!window || !window->isVisible())
                fail("the student window did not open");
            inside(*window);
            if (window->isVisible())
                fail("the student window stayed open: the command failed");
            acted = true;
        });
        opener->click();
        check(acted);
    }

    void check(bool acted) const
    {
        if (!acted || !m_services.errors.empty() || !m_services.messages.empty())
            fail("a command failed or showed a message");
    }

    testing::Services &m_services;
    Forms m_forms;
};

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
        m_program = std::make_unique<Program>(m_services);
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
        Program &program = *m_program;
        const auto row = [&] {
            return std::uniform_int_distribution<int>(0, program.listed() - 1)(m_random);
        };
        // Two adds and one removal every other cycle until the list is full, then one of each.
        program.add(QStringLiteral("Student %1").arg(number), number % 4);
        if (program.listed() < m_students)
            program.add(QStringLiteral("Student %1b").arg(number), (number + 1) % 4);
        program.displayAndPrint(row());
        if (program.listed() > m_students || number % 2 == 0)
            program.remove(row());
        program.about(number % 2 == 0);
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
    std::unique_ptr<Program> m_program;
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
        fail("cycles must be more than the warm-up");
    if (students < 1 || students > 1000)
        fail("students must be 1..1000");
    Cycles run(cycles, students);
    run.start();
    return QApplication::exec();
}
