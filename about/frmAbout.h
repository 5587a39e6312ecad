#pragma once

#include "platform/controls/CommandButton.h"
#include "platform/controls/Image.h"
#include "platform/controls/Label.h"
#include "platform/forms/Form.h"

// The About box: the program's name, version, a picture of books, copyright and author.
class frmAbout : public platform::Form
{
    Q_OBJECT

public:
    frmAbout();

    platform::Label *Label1;
    platform::Image *imgBooks;
    platform::Label *lblVersion;
    platform::Label *lblDate;
    platform::Label *lblAbout;
    platform::CommandButton *cmdOK;

private:
    void cmdOK_Click();
};
