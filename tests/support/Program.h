#pragma once

#include "support/Services.h"

#include "app/Forms.h"

#include <QObject>

#include <memory>

class CStudent;
class frmAbout;
class frmMain;
class frmStudent;

namespace platform {
class ListBox;
}

namespace testing {

// The whole program under test, for the end-to-end GUI tests: recording services, fresh window
// instances and the main window shown; tearing it down closes whatever a failed check left open.
class Program
{
public:
    Program();
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    frmMain &main();
    platform::ListBox &list();
    frmStudent *student() const;
    frmAbout *about() const;
    std::shared_ptr<CStudent> record(int code) const;

    // Declared first: the recorders outlive the windows.
    Services services;
    std::unique_ptr<Forms> forms = std::make_unique<Forms>();
};

// The base of an end-to-end test class: each test function gets a fresh program, its main
// window on screen, and ends with no window left open.
class ProgramTest : public QObject
{
    Q_OBJECT

protected Q_SLOTS:
    void init();
    void cleanup();

protected:
    frmMain &main() { return m_program->main(); }
    platform::ListBox &list() { return m_program->list(); }
    frmStudent *student() { return m_program->student(); }
    frmAbout *about() { return m_program->about(); }
    std::shared_ptr<CStudent> record(int code) { return m_program->record(code); }

    std::unique_ptr<Program> m_program;
};

} // namespace testing
