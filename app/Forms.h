#pragma once

#include "platform/forms/FormInstance.h"

class frmAbout;
class frmMain;
class frmStudent;

// The program's window instances, each created on first use and recreated after Unload.
class Forms
{
public:
    Forms();
    ~Forms();
    Q_DISABLE_COPY_MOVE(Forms)

    // Destroyed in reverse order, so the student window, which refers to the main window's
    // list, goes before the main window.
    platform::FormInstance<::frmMain> frmMain;
    platform::FormInstance<::frmStudent> frmStudent;
    platform::FormInstance<::frmAbout> frmAbout;
};
