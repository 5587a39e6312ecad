#include "app/Forms.h"

#include "about/frmAbout.h"
#include "app/frmMain.h"
#include "student_window/frmStudent.h"

Forms::Forms()
    : frmMain([this] { return std::make_unique<::frmMain>(*this); }),
      frmStudent([this] { return std::make_unique<::frmStudent>(*frmMain->lstStudent); }),
      frmAbout([] { return std::make_unique<::frmAbout>(); })
{}

Forms::~Forms() = default;
