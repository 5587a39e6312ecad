#pragma once

#include <cstdint>

class CStudents;
class frmStudent;

namespace platform {
class ComboBox;
class Form;
class ListBox;
} // namespace platform

class QAccessibleInterface;
class QLineEdit;
class QString;

// What the windows keep to themselves, read through the friends they name.
namespace testing {

// The student window's records and the grade level last clicked.
class StudentWindowProbe
{
public:
    static const CStudents *students(const frmStudent &window);
    static std::int16_t selectedLevel(const frmStudent &window);
};
inline const CStudents *students(const frmStudent &window)
{
    return StudentWindowProbe::students(window);
}
inline std::int16_t selectedLevel(const frmStudent &window)
{
    return StudentWindowProbe::selectedLevel(window);
}

// Whether a window's modal show has entered its own event loop (and not merely been shown).
class FormProbe
{
public:
    static bool isShowingModally(const platform::Form &form);
};
inline bool isShowingModally(const platform::Form &form)
{
    return FormProbe::isShowingModally(form);
}

// The keys bound to an accessible object's actions, each once, in order, joined by ", ": what
// a screen reader takes for its access key.
QString boundKeys(QAccessibleInterface *object);

// The parts of a combo box, by the names the combo box gives them.
QLineEdit *editField(const platform::ComboBox &combo);
platform::ListBox *listPart(const platform::ComboBox &combo);

} // namespace testing
