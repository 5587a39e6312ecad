#pragma once

#include "support/Services.h"

#include "app/Forms.h"

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

} // namespace testing
