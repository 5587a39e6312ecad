#pragma once

// The program's windows driven as the user drives them, for the benchmarks that time its
// commands: the main window's button, then the modal student window's.

#include "BenchSupport.h"

#include "app/Forms.h"
#include "app/frmMain.h"
#include "records/CStudents.h"
#include "student_window/frmStudent.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

namespace bench {

[[noreturn]] inline void fail(const char *what)
{
    std::fprintf(stderr, "%s: %s\n",
                 qPrintable(QCoreApplication::applicationFilePath().section(u'/', -1)), what);
    std::exit(1);
}

// One command as the user gives it: the main window's button, then the student window's.
struct Timing
{
    double roundTrip = 0; // main-window click until its handler returns
    double roundTripCpu = 0;
    double open = 0;   // ... until the student window is up and activated
    double commit = 0; // the student window's button (commit or cancel)
};

struct Figures
{
    std::vector<double> roundTrip, roundTripCpu, open, commit;
    void add(const Timing &t)
    {
        roundTrip.push_back(t.roundTrip);
        roundTripCpu.push_back(t.roundTripCpu);
        open.push_back(t.open);
        commit.push_back(t.commit);
    }
};

// The program's windows in one Forms, with the main window shown as main() does.
class Program
{
public:
    explicit Program(testing::Services &services) : m_services(services)
    {
        m_forms.frmMain->Show(platform::ShowMode::Modeless);
    }

    frmMain &main() { return *m_forms.frmMain; }
    Forms &forms() { return m_forms; }
    int listed() { return main().lstStudent->ListCount(); }
    int stored() const
    {
        const frmStudent *window = m_forms.frmStudent.existing();
        return window && testing::students(*window) ? testing::students(*window)->Count() : 0;
    }

    Timing add(const QString &name)
    {
        return act(main().cmdAdd, [&name](frmStudent &window) {
            window.txtName->setText(name);
            window.txtUnits->setText(QStringLiteral("12"));
            window.optLevel[1].setValue(true);
            return window.cmdAction;
        });
    }

    Timing display(int row)
    {
        main().lstStudent->setListIndex(row);
        const QString expected = main().lstStudent->List(row);
        return act(main().cmdDisplay, [&expected](frmStudent &window) {
            if (window.txtName->Text() != expected)
                fail("display shows another student than the selected entry");
            return window.cmdCancel;
        });
    }

    Timing remove(int row)
    {
        main().lstStudent->setListIndex(row);
        return act(main().cmdRemove, [](frmStudent &window) { return window.cmdAction; });
    }

    // Clicks opener; once the modal student window is up, fill() prepares it and names the
    // button that ends the command, which is then clicked.
    Timing act(QPushButton *opener, const std::function<QPushButton *(frmStudent &)> &fill)
    {
        Timing timing;
        bool acted = false;
        const double startCpu = bench::threadCpuMilliseconds();
        const auto start = Clock::now();
        QTimer::singleShot(0, &main(), [&] {
            frmStudent *window = m_forms.frmStudent.existing();
            if (!window || !window->isVisible())
                fail("the student window did not open");
            timing.open = millisecondsBetween(start, Clock::now());
            QPushButton *button = fill(*window);
            const auto pressed = Clock::now();
            button->click();
            timing.commit = millisecondsBetween(pressed, Clock::now());
            if (window->isVisible()) {
                for (const auto &message : m_services.messages)
                    std::fprintf(stderr, "message: %s\n", qPrintable(message.prompt));
                fail("the student window stayed open: the command failed");
            }
            acted = true;
        });
        opener->click();
        timing.roundTrip = millisecondsBetween(start, Clock::now());
        timing.roundTripCpu = bench::threadCpuMilliseconds() - startCpu;
        if (!acted || !m_services.errors.empty() || !m_services.messages.empty())
            fail("a command failed or showed a message");
        return timing;
    }

private:
    testing::Services &m_services;
    Forms m_forms;
};

class Names
{
public:
    // "Xxxxxxxxx, Yyyyyyyyy": 20 characters, random so that entries land all over the list.
    QString next()
    {
        QString name;
        name.reserve(20);
        for (int part = 0; part < 2; ++part) {
            name.append(QChar(u'A' + letter(m_random)));
            for (int i = 0; i < 8; ++i)
                name.append(QChar(u'a' + letter(m_random)));
            if (part == 0)
                name.append(QStringLiteral(", "));
        }
        return name;
    }
    int row(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }

private:
    std::mt19937 m_random{20240611};
    std::uniform_int_distribution<int> letter{0, 25};
};

} // namespace bench
