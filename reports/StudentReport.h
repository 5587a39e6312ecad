#pragma once

#include "platform/controls/CheckBox.h"
#include "platform/controls/ComboBox.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/OptionArray.h"
#include "platform/controls/TextBox.h"

#include <QString>

// The two printed reports of the student window; they read its controls, not the records.
namespace reports {

// The controls the student report reads.
struct StudentFields
{
    platform::TextBox &txtName;
    platform::TextBox &txtUnits;
    platform::ListBox &lstMajor;
    platform::ComboBox &cboSchool;
    const platform::OptionArray &optLevel;
    platform::CheckBox &chkDeans;
};

// The author named at the head of the school list.
QString authorName();

// True when one of the four grade-level options is on; otherwise shows the entry error for
// it and leaves the focus where it is. Print Student and Add Student both ask it.
bool GradeLevelChosen(const platform::OptionArray &optLevel);

// Checks the entries, then prints the student's details; the Print Student menu item runs it.
void PrintStudent(const StudentFields &fields);

// Prints every school of the combo box's list; the Print Schools menu item runs it.
void PrintSchools(platform::ComboBox &cboSchool);

} // namespace reports
