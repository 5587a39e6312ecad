// A long list for bench/orca-list-wait.py to time a screen reader on: the program's main window,
// or Qt's own sorted list view after a button, filled with random names before it is shown.
//   bench_orca_list program|qt [students, default 32767]

#include "BenchSupport.h"
#include "ProgramApplication.h"
#include "ProgramDriver.h"

#include "app/Forms.h"
#include "app/frmMain.h"
#include "TestSupport.h"

#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char *argv[])
{
    bench::ProgramApplication app(argc, argv);
    const bool qtList = argc > 1 && std::strcmp(argv[1], "qt") == 0;
    if (argc < 2 || (!qtList && std::strcmp(argv[1], "program") != 0))
        bench::fail("usage: bench_orca_list program|qt [students]");
    const int students = argc > 2 ? std::atoi(argv[2]) : 32767;
    if (students < 1 || students > 32767)
        bench::fail("students must be 1..32767");
    bench::Names names;
    QStringList all;
    for (int i = 0; i < students; ++i)
        all << names.next();

    if (!qtList) {
        testing::Services services;
        Forms forms;
        // Straight into the list, before any window shows: the screen reader meets it full.
        for (const QString &name : std::as_const(all))
            forms.frmMain->lstStudent->AddItem(name);
        forms.frmMain->Show(platform::ShowMode::Modeless);
        return QApplication::exec();
    }
    QWidget window;
    window.setWindowTitle(QStringLiteral("Qt list"));
    auto *layout = new QVBoxLayout(&window);
    auto *before = new QPushButton(QStringLiteral("Before"), &window);
    auto *list = new QListWidget(&window);
    list->setAccessibleName(QStringLiteral("Students"));
    list->setSortingEnabled(true);
    list->addItems(all);
    layout->addWidget(before);
    layout->addWidget(list);
    window.resize(400, 300);
    window.show();
    before->setFocus();
    std::printf("%d students\n", students);
    return QApplication::exec();
}
