#pragma once

// The application the benchmarks that drive the program's windows run in.

#include "application.h"
#include "platform/accessibility/Accessibility.h"
#include "platform/forms/defaultFont.h"

#include <QApplication>

namespace bench {

// Set up as the program sets itself up (its name, its default font), offscreen unless the
// environment names a platform; hiding every window does not end it.
class ProgramApplication : public QApplication
{
public:
    ProgramApplication(int &argc, char **argv) : QApplication(offscreenByDefault(argc), argv)
    {
        setApplicationName(application::title());
        setQuitOnLastWindowClosed(false);
        platform::installDefaultFont();
        platform::installAccessibility();
    }

private:
    // Runs before QApplication picks its platform.
    static int &offscreenByDefault(int &argc)
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return argc;
    }
};

} // namespace bench
