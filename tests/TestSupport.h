#pragma once

// What every GUI test includes: the test-support library and the test program's main().

#include "support/Errors.h"
#include "support/Modal.h"
#include "support/Probes.h"
#include "support/RecordingPrinter.h"
#include "support/Services.h"

#include "platform/accessibility/Accessibility.h"
#include "platform/controls/ComboBox.h"
#include "platform/forms/defaultFont.h"
#include "platform/forms/Form.h"
#include "student_window/frmStudent.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

namespace testing {

template <typename T> T *child(QWidget *root, const QString &name)
{
    return root ? root->findChild<T *>(name) : nullptr;
}

// The texts of a list or combo box, top to bottom.
template <typename Control> QStringList entries(const Control &control)
{
    QStringList texts;
    for (int i = 0; i < control.ListCount(); ++i)
        texts << control.List(i);
    return texts;
}

} // namespace testing

// Like QTEST_MAIN, with the program's default font, so captions are measured as users see them,
// and its accessible interfaces.
#define SI_TEST_MAIN(TestClass)                                                                    \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QApplication app(argc, argv);                                                              \
        platform::installDefaultFont();                                                            \
        platform::installAccessibility();                                                          \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
