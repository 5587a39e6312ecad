// What a screen reader finds in the three windows: window names, a name for every control
// that takes the focus, and the entries of the lists, read through the accessibility tree.

#include "ProgramFixture.h"

#include "about/frmAbout.h"
#include "app/Forms.h"
#include "app/frmMain.h"
#include "student_window/frmStudent.h"

#include <QAccessible>
#include <QAction>
#include <QMenuBar>
#include <QtTest>

using namespace platform;
using namespace Qt::StringLiterals;

namespace {

struct Node
{
    QString name;
    QAccessible::Role role = QAccessible::NoRole;
    QString parentName;
    QAccessible::Role parentRole = QAccessible::NoRole;
    QStringList entries; // children's names, for lists
    QList<int> selected; // positions of selected children, for lists
};

// Everything reachable from the window's interface, by the object behind each node.
using Tree = QHash<const QObject *, Node>;

void walk(QAccessibleInterface *node, QAccessibleInterface *parent, Tree &tree, int depth)
{
    if (!node || !node->isValid() || depth > 32)
        return;
    Node entry;
    entry.name = node->text(QAccessible::Name);
    entry.role = node->role();
    if (parent) {
        entry.parentName = parent->text(QAccessible::Name);
        entry.parentRole = parent->role();
    }
    if (entry.role == QAccessible::List) {
        for (int i = 0; i < node->childCount(); ++i) {
            QAccessibleInterface *child = node->child(i);
            entry.entries << (child ? child->text(QAccessible::Name) : QString());
            if (child && child->state().selected)
                entry.selected << i;
        }
    }
    if (const QObject *object = node->object())
        tree.insert(object, entry);
    for (int i = 0; i < node->childCount(); ++i)
        walk(node->child(i), node, tree, depth + 1);
}

Tree treeOf(QWidget *window)
{
    Tree tree;
    walk(QAccessible::queryAccessibleInterface(window), nullptr, tree, 0);
    return tree;
}

bool takesFocus(QWidget *widget, QWidget *window)
{
    return (widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(window);
}

// Focusable controls that a screen reader could not name; empty when all are named.
QStringList unnamedControls(QWidget *window, const Tree &tree)
{
    QStringList problems;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!takesFocus(widget, window))
            continue;
        const QString who = widget->objectName().isEmpty()
                                ? QString::fromLatin1(widget->metaObject()->className())
                                : widget->objectName();
        const auto found = tree.constFind(widget);
        if (found == tree.cend())
            problems << who + u" is not in the tree"_s;
        else if (found->name.trimmed().isEmpty())
            problems << who + u" has no name"_s;
        else if (found->name.contains(u'&'))
            problems << who + u" is named \""_s + found->name + u"\""_s;
    }
    return problems;
}

} // namespace

Q_DECLARE_METATYPE(QAccessible::Role)

class TestAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void windowsAreNamedByCaption_data();
    void windowsAreNamedByCaption();
    void everyFocusableControlIsNamed_data();
    void everyFocusableControlIsNamed();
    void controlsHaveTheirNames_data();
    void controlsHaveTheirNames();
    void menuItemsAreNamed();
    void listsExposeTheirEntries_data();
    void listsExposeTheirEntries();

private:
    frmMain &main() { return m_program->main(); }
    // Runs inside with the window shown: the main window, the student window in add mode
    // ("frmStudent"), in display or remove mode for a student added first ("frmStudent D",
    // "frmStudent R") or the About box.
    void inWindow(const QString &window, const std::function<void(Form &)> &inside);

    std::unique_ptr<testing::Program> m_program;
};

void TestAccessibility::init()
{
    m_program = std::make_unique<testing::Program>();
    QVERIFY(QTest::qWaitForWindowExposed(&main(), testing::WaitLimitMs));
}

void TestAccessibility::cleanup()
{
    m_program.reset();
    QCOMPARE(testing::visibleTopLevelCount(), 0);
}

void TestAccessibility::inWindow(const QString &window, const std::function<void(Form &)> &inside)
{
    if (window == u"frmMain") {
        inside(main());
        return;
    }
    bool ran = false;
    const bool student = window.startsWith(u"frmStudent");
    const auto find = [this, student]() -> Form * {
        if (student)
            return m_program->forms->frmStudent.existing();
        return m_program->forms->frmAbout.existing();
    };
    if (window == u"frmStudent D" || window == u"frmStudent R") {
        testing::whenActive(find, [this] {
            frmStudent &w = *m_program->student();
            w.txtName->setText(u"Ann"_s);
            w.optLevel[1].setValue(true);
            w.cmdAction->click();
        });
        QTest::mouseClick(main().cmdAdd, Qt::LeftButton);
        QCOMPARE(main().lstStudent->ListCount(), 1);
        main().lstStudent->setListIndex(0);
    }
    testing::whenActive(find, [&] {
        ran = true;
        Form *form = find();
        inside(*form);
        form->Hide();
    });
    if (window == u"frmStudent D")
        QTest::mouseClick(main().cmdDisplay, Qt::LeftButton);
    else if (window == u"frmStudent R")
        QTest::mouseClick(main().cmdRemove, Qt::LeftButton);
    else if (student)
        QTest::mouseClick(main().cmdAdd, Qt::LeftButton);
    else
        main().mnuAbout->trigger();
    QVERIFY(ran);
}

void TestAccessibility::windowsAreNamedByCaption_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("description"); // what the window is for, where it has modes
    QTest::newRow("main window") << u"frmMain"_s << u"Student Information"_s << QString();
    QTest::newRow("student window")
        << u"frmStudent"_s << u"Student Information"_s << u"Add a student"_s;
    QTest::newRow("student window, display")
        << u"frmStudent D"_s << u"Student Information"_s << u"Display a student"_s;
    QTest::newRow("student window, remove")
        << u"frmStudent R"_s << u"Student Information"_s << u"Remove a student"_s;
    QTest::newRow("about box") << u"frmAbout"_s << u"About Student Information"_s << QString();
}

void TestAccessibility::windowsAreNamedByCaption()
{
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QFETCH(QString, description);
    QString title;
    QString name;
    QString said;
    QAccessible::Role role = QAccessible::NoRole;
    inWindow(window, [&](Form &form) {
        title = form.windowTitle();
        QAccessibleInterface *node = QAccessible::queryAccessibleInterface(&form);
        name = node ? node->text(QAccessible::Name) : QString();
        said = node ? node->text(QAccessible::Description) : QString();
        role = node ? node->role() : QAccessible::NoRole;
    });
    QCOMPARE(title, caption);
    QCOMPARE(name, caption);
    QCOMPARE(said, description);
    QCOMPARE(role, QAccessible::Window);
}

void TestAccessibility::everyFocusableControlIsNamed_data()
{
    windowsAreNamedByCaption_data();
}

void TestAccessibility::everyFocusableControlIsNamed()
{
    QFETCH(QString, window);
    QStringList problems;
    int focusable = 0;
    inWindow(window, [&](Form &form) {
        problems = unnamedControls(&form, treeOf(&form));
        const QList<QWidget *> all = form.findChildren<QWidget *>();
        focusable = int(std::count_if(all.cbegin(), all.cend(),
                                      [&form](QWidget *w) { return takesFocus(w, &form); }));
    });
    QVERIFY(focusable > 0);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u"; "_s)));
}

void TestAccessibility::controlsHaveTheirNames_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("group"); // the named group the control sits in, if any

    const auto row = [](const char *window, const char *control, const char *name,
                        QAccessible::Role role, const char *group = "") {
        QTest::addRow("%s %s", window, control)
            << QString::fromLatin1(window) << QString::fromLatin1(control)
            << QString::fromLatin1(name) << role << QString::fromLatin1(group);
    };
    row("frmMain", "cmdAdd", "Add a New Student", QAccessible::Button);
    row("frmMain", "cmdRemove", "Remove a Student", QAccessible::Button);
    row("frmMain", "cmdDisplay", "Display a student", QAccessible::Button);
    row("frmMain", "cmdExit", "Exit", QAccessible::Button);
    row("frmMain", "lstStudent", "Students", QAccessible::List);
    row("frmStudent", "txtName", "Name", QAccessible::EditableText);
    row("frmStudent", "fraGrade", "Grade Level", QAccessible::Grouping);
    row("frmStudent", "optLevel_0", "Freshman", QAccessible::RadioButton, "Grade Level");
    row("frmStudent", "optLevel_1", "Sophomore", QAccessible::RadioButton, "Grade Level");
    row("frmStudent", "optLevel_2", "Junior", QAccessible::RadioButton, "Grade Level");
    row("frmStudent", "optLevel_3", "Senior", QAccessible::RadioButton, "Grade Level");
    row("frmStudent", "txtUnits", "Units Completed", QAccessible::EditableText);
    row("frmStudent", "lstMajor", "Major", QAccessible::List);
    row("frmStudent", "chkDeans", "Deans List", QAccessible::CheckBox);
    row("frmStudent", "cboSchool_edit", "School", QAccessible::EditableText);
    row("frmStudent", "cboSchool_list", "School", QAccessible::List);
    row("frmStudent", "cmdAction", "Add Student", QAccessible::Button);
    row("frmStudent", "cmdCancel", "Cancel", QAccessible::Button);
    row("frmAbout", "cmdOK", "OK", QAccessible::Button);
    row("frmAbout", "imgBooks", "Books", QAccessible::Graphic);
}

void TestAccessibility::controlsHaveTheirNames()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, group);
    bool found = false;
    Node node;
    inWindow(window, [&](Form &form) {
        const Tree tree = treeOf(&form);
        const QWidget *widget = form.findChild<QWidget *>(control);
        found = widget && tree.contains(widget);
        if (found)
            node = tree.value(widget);
    });
    QVERIFY2(found, "not reachable from the window");
    QCOMPARE(node.name, name);
    QCOMPARE(node.role, role);
    if (!group.isEmpty()) {
        QCOMPARE(node.parentRole, QAccessible::Grouping);
        QCOMPARE(node.parentName, group);
    }
}

void TestAccessibility::menuItemsAreNamed()
{
    const auto menuNames = [](Form &form) {
        const Tree tree = treeOf(&form);
        QStringList names;
        for (QAction *title : form.menuBar()->actions()) {
            names << tree.value(title).name + u":"_s;
            for (QAction *item : title->menu()->actions()) {
                if (!item->isSeparator())
                    names << tree.value(item).name;
            }
        }
        return names;
    };
    QStringList mainMenus;
    QStringList studentMenus;
    inWindow(u"frmMain"_s, [&](Form &form) { mainMenus = menuNames(form); });
    inWindow(u"frmStudent"_s, [&](Form &form) { studentMenus = menuNames(form); });
    QCOMPARE(mainMenus, (QStringList{u"File:"_s, u"Exit"_s, u"Help:"_s, u"About"_s}));
    QCOMPARE(studentMenus, (QStringList{u"Print:"_s, u"Print Schools"_s, u"Print Student"_s}));
}

void TestAccessibility::listsExposeTheirEntries_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<int>("select");      // set from code first
    QTest::addColumn<QString>("gesture"); // then a screen reader's request or a key
    QTest::addColumn<int>("target");      // the row it aims at
    QTest::addColumn<bool>("accepted");   // what the screen reader is answered
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("selected"); // afterwards
    const QStringList majors{u"Accounting"_s, u"Business"_s, u"Computer Information Systems"_s,
                             u"Marketing"_s};
    const QStringList students{u"Zoë"_s, u"adam"_s, u"Émile"_s, u"Bea"_s};
    // Shown in the list's sorted order, not the order added.
    const QStringList sorted{u"adam"_s, u"Bea"_s, u"Émile"_s, u"Zoë"_s};
    const auto row = [&](const char *name, int select, const QString &gesture, int target,
                         bool accepted, int selected) {
        QTest::newRow(name) << u"frmMain"_s << u"lstStudent"_s << students << select << gesture
                            << target << accepted << sorted << selected;
    };
    QTest::newRow("students, empty") << u"frmMain"_s << u"lstStudent"_s << QStringList() << -1
                                     << QString() << -1 << true << QStringList() << -1;
    row("students, one selected", 2, QString(), -1, true, 2);
    QTest::newRow("majors, none selected") << u"frmStudent"_s << u"lstMajor"_s << QStringList()
                                           << -1 << QString() << -1 << true << majors << -1;
    QTest::newRow("majors, last selected") << u"frmStudent"_s << u"lstMajor"_s << QStringList() << 3
                                           << QString() << -1 << true << majors << 3;
    QTest::newRow("schools, one typed in")
        << u"frmStudent"_s << u"cboSchool_list"_s << QStringList{u"Night School"_s} << 1
        << QString() << -1 << true
        << QStringList{u"Franklin"_s, u"Highland"_s, u"Midtown"_s, u"Night School"_s,
                       u"West Highland"_s}
        << 1;

    row("students, a reader selects a row", -1, u"table select"_s, 2, true, 2);
    row("students, a reader selects past the end: refused", 1, u"table select"_s, 4, false, 1);
    row("students, a reader selects a negative row: refused", 1, u"table select"_s, -1, false, 1);
    row("students, a reader unselects the selected row", 1, u"table unselect"_s, 1, true, -1);
    row("students, a reader unselects another row: refused", 1, u"table unselect"_s, 2, false, 1);
    // Down moves on from the current entry, which a reader's selection moves too.
    row("students, Down after a reader's select", 0, u"table select, Down"_s, 2, true, 3);
    row("students, Ctrl+Space on the selected entry clears it", 2, u"Ctrl+Space"_s, 2, true, -1);
    // A new search starts after the current entry, so a letter moves on to the next match.
    QTest::newRow("students, a typed letter skips the current entry")
        << u"frmMain"_s << u"lstStudent"_s << QStringList{u"Bea"_s, u"adam"_s, u"Abe"_s} << 0
        << u"type a"_s << -1 << true << QStringList{u"Abe"_s, u"adam"_s, u"Bea"_s} << 1;
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    row("students, selection interface selects", -1, u"select"_s, 3, true, 3);
    row("students, selection interface selects past the end: refused", 1, u"select"_s, 4, false, 1);
    row("students, selection interface unselects the selected", 2, u"unselect"_s, 2, true, -1);
    row("students, selection interface unselects another: refused", 2, u"unselect"_s, 1, false, 2);
    row("students, selection interface clears", 2, u"clear"_s, -1, true, -1);
    row("students, selection interface cannot select all of several", 1, u"select all"_s, -1, false,
        1);
    row("students, Down after a selection interface select", 0, u"select, Down"_s, 1, true, 2);
    QTest::newRow("students, selection interface selects all of one")
        << u"frmMain"_s << u"lstStudent"_s << QStringList{u"Only"_s} << -1 << u"select all"_s << -1
        << true << QStringList{u"Only"_s} << 0;
    QTest::newRow("majors, selection interface selects")
        << u"frmStudent"_s << u"lstMajor"_s << QStringList() << -1 << u"select"_s << 1 << true
        << majors << 1;
#endif
}

void TestAccessibility::listsExposeTheirEntries()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QStringList, added);
    QFETCH(int, select);
    QFETCH(QString, gesture);
    QFETCH(int, target);
    QFETCH(bool, accepted);
    QFETCH(QStringList, entries);
    QFETCH(int, selected);
    Node node;
    int listed = -1;
    int listIndex = -2;
    bool answer = true;
    QStringList readerSelection;
    inWindow(window, [&](Form &form) {
        auto *list = form.findChild<ListBox *>(control);
        if (!list)
            return;
        for (const QString &text : added)
            list->AddItem(text);
        list->setListIndex(select);
        listed = list->ListCount();
        QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(list);
        QAccessibleTableInterface *table = reader->tableInterface();
        if (gesture.startsWith(u"table select"))
            answer = table->selectRow(target);
        else if (gesture == u"table unselect")
            answer = table->unselectRow(target);
        else if (gesture == u"Ctrl+Space")
            QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
        else if (gesture.startsWith(u"type "))
            QTest::keyClicks(list, gesture.mid(5));
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
        QAccessibleSelectionInterface *selection = reader->selectionInterface();
        if (!selection)
            return;
        if (gesture.startsWith(u"select,") || gesture == u"select")
            answer = selection->select(reader->child(target));
        else if (gesture == u"unselect")
            answer = selection->unselect(reader->child(target));
        else if (gesture == u"clear")
            answer = selection->clear();
        else if (gesture == u"select all")
            answer = selection->selectAll();
        for (QAccessibleInterface *item : selection->selectedItems())
            readerSelection << item->text(QAccessible::Name);
        if (QAccessibleInterface *first = selection->selectedItem(0)) {
            if (!selection->isSelected(first))
                readerSelection << u"(first selected item not selected)"_s;
        }
#endif
        if (gesture.endsWith(u", Down"))
            QTest::keyClick(list, Qt::Key_Down);
        listIndex = list->ListIndex();
        // Read once the entries are in: offscreen, with no screen reader, Qt does not tell
        // an accessible list that was already read about later changes.
        node = treeOf(&form).value(list);
    });
    QCOMPARE(listed, entries.size());
    QCOMPARE(answer, accepted);
    QCOMPARE(listIndex, selected);
    QCOMPARE(node.role, QAccessible::List);
    QCOMPARE(node.entries, entries);
    QCOMPARE(node.selected, selected < 0 ? QList<int>() : QList<int>{selected});
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    // Read back before the Down of those rows.
    if (!gesture.endsWith(u", Down"))
        QCOMPARE(readerSelection,
                 selected < 0 ? QStringList() : QStringList{entries.value(selected)});
#endif
}

SI_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
