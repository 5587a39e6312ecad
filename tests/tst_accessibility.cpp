// What a screen reader finds in the three windows: window names, a name for every control
// that takes the focus, and the entries of the lists, read through the accessibility tree.

#include "ProgramFixture.h"
#include "support/Heard.h"

#include "about/frmAbout.h"
#include "app/Forms.h"
#include "app/frmMain.h"
#include "student_window/frmStudent.h"

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QtTest>

#include <algorithm>
#include <random>

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

// A control or a menu item, as a screen reader reaches it.
QAccessibleInterface *accessibleOf(QWidget *window, const QString &name)
{
    if (auto *widget = window->findChild<QWidget *>(name))
        return QAccessible::queryAccessibleInterface(widget);
    if (auto *action = window->findChild<QAction *>(name))
        return QAccessible::queryAccessibleInterface(action);
    return nullptr;
}

QMenu *menuHolding(const QAction *item)
{
    for (QObject *object : item->associatedObjects()) {
        if (auto *menu = qobject_cast<QMenu *>(object))
            return menu;
    }
    return nullptr;
}

// Opens the menu as a screen reader does: the show-menu action of its title in the menu bar.
bool openMenu(Form &form, QMenu *menu)
{
    QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(form.menuBar());
    for (int i = 0; bar && i < bar->childCount(); ++i) {
        QAccessibleInterface *title = bar->child(i);
        if (title && title->object() == menu->menuAction() && title->actionInterface())
            title->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    }
    return QTest::qWaitFor([menu] { return menu->isVisible(); }, testing::WaitLimitMs);
}

} // namespace

Q_DECLARE_METATYPE(QAccessible::Role)

class TestAccessibility : public testing::ProgramTest
{
    Q_OBJECT

private Q_SLOTS:
    void windowsAreNamedByCaption_data();
    void windowsAreNamedByCaption();
    void everyFocusableControlIsNamed_data();
    void everyFocusableControlIsNamed();
    void controlsHaveTheirNames_data();
    void controlsHaveTheirNames();
    void menuItemsAreNamed();
    void listsExposeTheirEntries_data();
    void listsExposeTheirEntries();
    void entriesFollowTheirRows_data();
    void entriesFollowTheirRows();
    void pressAnswersBeforeTheHandlerRuns_data();
    void pressAnswersBeforeTheHandlerRuns();
    void nothingActsBehindAModalWindow_data();
    void nothingActsBehindAModalWindow();

private:
    // Runs inside with the window shown: the main window, the student window in add mode
    // ("frmStudent"), in display or remove mode for a student added first ("frmStudent D",
    // "frmStudent R") or the About box.
    void inWindow(const QString &window, const std::function<void(Form &)> &inside);
    // What the program has done that a user could see: messages, printed documents, an end,
    // and what the windows' controls hold.
    QString observed();
};

void TestAccessibility::inWindow(const QString &window, const std::function<void(Form &)> &inside)
{
    if (window == u"frmMain") {
        inside(main());
        return;
    }
    const bool student = window.startsWith(u"frmStudent");
    const auto find = [this, student]() -> QWidget * {
        if (student)
            return m_program->forms->frmStudent.existing();
        return m_program->forms->frmAbout.existing();
    };
    if (window == u"frmStudent D" || window == u"frmStudent R") {
        // A student to display or remove.
        testing::whileShown(
            find, [this] { QTest::mouseClick(main().cmdAdd, Qt::LeftButton); },
            [this](QWidget &) {
                frmStudent &w = *m_program->student();
                w.txtName->setText(u"Ann"_s);
                w.optLevel[1].setValue(true);
                w.cmdAction->click();
            });
        QCOMPARE(main().lstStudent->ListCount(), 1);
        main().lstStudent->setListIndex(0);
    }
    const auto open = [this, window, student] {
        if (window == u"frmStudent D")
            QTest::mouseClick(main().cmdDisplay, Qt::LeftButton);
        else if (window == u"frmStudent R")
            QTest::mouseClick(main().cmdRemove, Qt::LeftButton);
        else if (student)
            QTest::mouseClick(main().cmdAdd, Qt::LeftButton);
        else
            main().mnuAbout->trigger();
    };
    const bool shown =
        testing::whileShown(find, open, [&](QWidget &form) { inside(static_cast<Form &>(form)); });
    QVERIFY2(shown || testing::failed(), "the window never came up");
}

void TestAccessibility::windowsAreNamedByCaption_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    // What the window is for where it has modes; what it shows where it is a dialog without.
    QTest::addColumn<QString>("description");
    // A window shown modally is a dialog, whose description a screen reader reads on opening.
    QTest::addColumn<QAccessible::Role>("role");
    QTest::newRow("main window") << u"frmMain"_s << u"Student Information"_s << QString()
                                 << QAccessible::Window;
    QTest::newRow("student window")
        << u"frmStudent"_s << u"Student Information"_s << u"Add a student"_s << QAccessible::Dialog;
    QTest::newRow("student window, display") << u"frmStudent D"_s << u"Student Information"_s
                                             << u"Display a student"_s << QAccessible::Dialog;
    QTest::newRow("student window, remove") << u"frmStudent R"_s << u"Student Information"_s
                                            << u"Remove a student"_s << QAccessible::Dialog;
    QTest::newRow("about box") << u"frmAbout"_s << u"About Student Information"_s
                               << u"Version 1.0. Copyright \u00a9 2026. Written by Margaret Ellis"_s
                               << QAccessible::Dialog;
}

void TestAccessibility::windowsAreNamedByCaption()
{
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QFETCH(QString, description);
    QFETCH(QAccessible::Role, role);
    QString title;
    QString name;
    QString said;
    QAccessible::Role shownAs = QAccessible::NoRole;
    inWindow(window, [&](Form &form) {
        title = form.windowTitle();
        QAccessibleInterface *node = QAccessible::queryAccessibleInterface(&form);
        name = node ? node->text(QAccessible::Name) : QString();
        said = node ? node->text(QAccessible::Description) : QString();
        shownAs = node ? node->role() : QAccessible::NoRole;
    });
    QCOMPARE(title, caption);
    QCOMPARE(name, caption);
    QCOMPARE(said, description);
    QCOMPARE(shownAs, role);
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
    QTest::addColumn<QString>("group");    // the named group the control sits in, if any
    QTest::addColumn<QString>("shortcut"); // the key a screen reader reads out, if checked
    // The keys bound to the control's actions, which screen readers read as its access key;
    // "-": not checked.
    QTest::addColumn<QString>("keys");
    // What a label says it labels (the objects' names); "-": not checked.
    QTest::addColumn<QString>("labels");

    const auto row = [](const char *window, const char *control, const char *name,
                        QAccessible::Role role, const char *group = "", const char *shortcut = "",
                        const char *keys = "-", const char *labels = "-") {
        QTest::addRow("%s %s", window, control)
            << QString::fromLatin1(window) << QString::fromLatin1(control)
            << QString::fromLatin1(name) << role << QString::fromLatin1(group)
            << QString::fromLatin1(shortcut) << QString::fromLatin1(keys)
            << QString::fromLatin1(labels);
    };
    // The default button is pressed by Enter, the others by their access keys. Enter is no
    // access key: a default button without one tells of no key at all ("none").
    row("frmMain", "cmdAdd", "Add a New Student", QAccessible::Button, "", "Enter", "Alt+A");
    row("frmMain", "cmdRemove", "Remove a Student", QAccessible::Button, "", "Alt+R", "Alt+R");
    row("frmMain", "cmdDisplay", "Display a student", QAccessible::Button);
    row("frmMain", "cmdExit", "Exit", QAccessible::Button);
    row("frmMain", "lstStudent", "Students", QAccessible::List);
    row("frmStudent", "txtName", "Name", QAccessible::EditableText);
    row("frmStudent", "fraGrade", "Grade Level", QAccessible::Grouping);
    row("frmStudent", "optLevel_0", "Freshman", QAccessible::RadioButton, "Grade Level");
    row("frmStudent", "optLevel_1", "Sophomore", QAccessible::RadioButton, "Grade Level");
    row("frmStudent", "optLevel_2", "Junior", QAccessible::RadioButton, "Grade Level", "", "Alt+J");
    row("frmStudent", "optLevel_3", "Senior", QAccessible::RadioButton, "Grade Level");
    row("frmStudent", "txtUnits", "Units Completed", QAccessible::EditableText);
    row("frmStudent", "lstMajor", "Major", QAccessible::List);
    row("frmStudent", "chkDeans", "Deans List", QAccessible::CheckBox);
    row("frmStudent", "cboSchool_edit", "School", QAccessible::EditableText);
    row("frmStudent", "cboSchool_list", "School", QAccessible::List);
    row("frmStudent", "cmdAction", "Add Student", QAccessible::Button, "", "none", "");
    row("frmStudent", "cmdCancel", "Cancel", QAccessible::Button, "", "", "Alt+C");
    row("frmAbout", "cmdOK", "OK", QAccessible::Button, "", "Alt+K", "Alt+K");
    row("frmAbout", "imgBooks", "Books", QAccessible::Graphic);
    // Labels read as shown, without the '&' of their access key, and tied to their fields; the
    // About box's text to its box, which it describes.
    row("frmStudent", "lblName", "Name", QAccessible::StaticText, "", "", "-", "txtName");
    row("frmStudent", "lblUnits", "Units Completed", QAccessible::StaticText, "", "", "-",
        "txtUnits");
    row("frmAbout", "lblAbout", "Written by Margaret Ellis", QAccessible::StaticText, "", "", "-",
        "frmAbout");
}

void TestAccessibility::controlsHaveTheirNames()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, group);
    QFETCH(QString, shortcut);
    QFETCH(QString, keys);
    QFETCH(QString, labels);
    bool found = false;
    Node node;
    QString accelerator;
    QString bound;
    QStringList labelled;
    inWindow(window, [&](Form &form) {
        const Tree tree = treeOf(&form);
        QWidget *widget = form.findChild<QWidget *>(control);
        found = widget && tree.contains(widget);
        if (found)
            node = tree.value(widget);
        if (widget) {
            QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(widget);
            accelerator = reader->text(QAccessible::Accelerator);
            bound = testing::boundKeys(reader);
            for (const auto &[other, relation] : reader->relations(QAccessible::Labelled))
                labelled << (other->object() ? other->object()->objectName() : u"?"_s);
            // Asked for another kind of relation, none of these.
            for (const auto &[other, relation] : reader->relations(QAccessible::Controller)) {
                if (relation != QAccessible::Controller)
                    labelled << u"(answered for another kind)"_s;
            }
        }
    });
    QVERIFY2(found, "not reachable from the window");
    QCOMPARE(node.name, name);
    QCOMPARE(node.role, role);
    if (shortcut == u"none")
        QCOMPARE(accelerator, QString());
    else if (!shortcut.isEmpty())
        QCOMPARE(accelerator, shortcut);
    if (keys != u"-")
        QCOMPARE(bound, keys);
    if (labels != u"-")
        QCOMPARE(labelled.join(u' '), labels);
    if (!group.isEmpty()) {
        QCOMPARE(node.parentRole, QAccessible::Grouping);
        QCOMPARE(node.parentName, group);
    }
}

void TestAccessibility::menuItemsAreNamed()
{
    // Items of a closed menu that claim to be on the screen, where a screen reader would
    // offer them.
    QStringList shownWhileClosed;
    const auto menuNames = [&shownWhileClosed](Form &form) {
        const Tree tree = treeOf(&form);
        QStringList names;
        for (QAction *title : form.menuBar()->actions()) {
            names << tree.value(title).name + u":"_s;
            // Open, the menu says its title.
            const QString open =
                QAccessible::queryAccessibleInterface(title->menu())->text(QAccessible::Name);
            if (open != tree.value(title).name)
                names << u"(open: \"%1\")"_s.arg(open);
            for (QAction *item : title->menu()->actions()) {
                if (item->isSeparator())
                    continue;
                names << tree.value(item).name;
                QAccessibleInterface *node = QAccessible::queryAccessibleInterface(item);
                if (!node || !node->state().invisible)
                    shownWhileClosed << tree.value(item).name;
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
    QCOMPARE(shownWhileClosed, QStringList());
    // An item taken out of its menu is no longer there for a screen reader, and says so.
    bool stillThere = true;
    inWindow(u"frmMain"_s, [&stillThere](Form &form) {
        auto *item = form.findChild<QAction *>(u"mnuFileExit"_s);
        QMenu *menu = menuHolding(item);
        QAccessibleInterface *node = QAccessible::queryAccessibleInterface(item);
        menu->removeAction(item);
        stillThere = node->isValid() || node->state().focused;
        menu->addAction(item);
    });
    QVERIFY(!stillThere);
    // An action an item does not offer does nothing: no menu opens, no command runs.
    bool opened = true;
    QList<int> indexes; // of the File menu in its title, in Exit, and of nothing in Exit
    inWindow(u"frmMain"_s, [&opened, &indexes](Form &form) {
        QAction *title = form.menuBar()->actions().constFirst();
        QAccessibleInterface *titleNode = QAccessible::queryAccessibleInterface(title);
        QAccessibleInterface *exitNode =
            QAccessible::queryAccessibleInterface(form.findChild<QAction *>(u"mnuFileExit"_s));
        titleNode->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        opened = title->menu()->isVisible();
        exitNode->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
        QAccessibleInterface *menuNode = QAccessible::queryAccessibleInterface(title->menu());
        indexes << titleNode->indexOfChild(menuNode) << exitNode->indexOfChild(menuNode)
                << exitNode->indexOfChild(nullptr);
    });
    QVERIFY(!opened);
    QCOMPARE(indexes, QList<int>({0, -1, -1}));
    QCOMPARE(m_program->services.ends, 0);

    // A point in an open menu is found in it, through the title that holds it (a screen
    // reader's review by pointer).
    QString found;
    QRect exitTold;
    QRect exitDrawn;
    bool closedByReader = false;
    inWindow(u"frmMain"_s, [&](Form &form) {
        QAction *title = form.menuBar()->actions().constFirst();
        QMenu *menu = title->menu();
        menu->popup(form.mapToGlobal(QPoint(0, 0)));
        const auto foundAtItsCentre = [&] {
            const QPoint centre = menu->geometry().center();
            QAccessibleInterface *at =
                QAccessible::queryAccessibleInterface(title)->childAt(centre.x(), centre.y());
            found = at && at->object() ? at->object()->objectName() : QString();
            return found == u"mnuFile"_s;
        };
        // What was found instead is compared below, once the menu is closed.
        [[maybe_unused]] const bool inTime =
            QTest::qWaitFor(foundAtItsCentre, testing::WaitLimitMs);
        // An item lies where the menu draws it.
        auto *exit = form.findChild<QAction *>(u"mnuFileExit"_s);
        const QRect drawn = menu->actionGeometry(exit);
        exitTold = QAccessible::queryAccessibleInterface(exit)->rect();
        exitDrawn = QRect(menu->mapToGlobal(drawn.topLeft()), drawn.size());
        // The title's show-menu action closes the menu it opened.
        QAccessible::queryAccessibleInterface(title)->actionInterface()->doAction(
            QAccessibleActionInterface::showMenuAction());
        closedByReader = !menu->isVisible();
        menu->hide();
    });
    QCOMPARE(found, u"mnuFile"_s);
    QCOMPARE(exitTold, exitDrawn);
    QVERIFY(closedByReader);
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
    // The entry a focus event names last, when the list has the focus.
    QTest::addColumn<QString>("named");
    const QStringList majors{u"Accounting"_s, u"Business"_s, u"Computer Information Systems"_s,
                             u"Marketing"_s};
    const QStringList students{u"Zoë"_s, u"adam"_s, u"Émile"_s, u"Bea"_s};
    // Shown in the list's sorted order, not the order added.
    const QStringList sorted{u"adam"_s, u"Bea"_s, u"Émile"_s, u"Zoë"_s};
    const auto row = [&](const char *name, int select, const QString &gesture, int target,
                         bool accepted, int selected, const QString &named = QString()) {
        QTest::newRow(name) << u"frmMain"_s << u"lstStudent"_s << students << select << gesture
                            << target << accepted << sorted << selected << named;
    };
    QTest::newRow("students, empty") << u"frmMain"_s << u"lstStudent"_s << QStringList() << -1
                                     << QString() << -1 << true << QStringList() << -1 << QString();
    row("students, one selected", 2, QString(), -1, true, 2);
    QTest::newRow("students, the only one selected")
        << u"frmMain"_s << u"lstStudent"_s << QStringList{u"Zoë"_s} << 0 << QString() << -1 << true
        << QStringList{u"Zoë"_s} << 0 << QString();
    QTest::newRow("majors, none selected")
        << u"frmStudent"_s << u"lstMajor"_s << QStringList() << -1 << QString() << -1 << true
        << majors << -1 << QString();
    QTest::newRow("majors, last selected") << u"frmStudent"_s << u"lstMajor"_s << QStringList() << 3
                                           << QString() << -1 << true << majors << 3 << QString();
    QTest::newRow("schools, one typed in")
        << u"frmStudent"_s << u"cboSchool_list"_s << QStringList{u"Night School"_s} << 1
        << QString() << -1 << true
        << QStringList{u"Franklin"_s, u"Highland"_s, u"Midtown"_s, u"Night School"_s,
                       u"West Highland"_s}
        << 1 << QString();

    row("students, a reader selects a row", -1, u"table select"_s, 2, true, 2);
    row("students, a reader selects past the end: refused", 1, u"table select"_s, 4, false, 1);
    row("students, a reader selects a negative row: refused", 1, u"table select"_s, -1, false, 1);
    row("students, a reader unselects the selected row", 1, u"table unselect"_s, 1, true, -1);
    row("students, a reader unselects another row: refused", 1, u"table unselect"_s, 2, false, 1);
    QStringList many;
    for (int i = 1; i <= 30; ++i)
        many << u"Student %1"_s.arg(i, 2, 10, QLatin1Char('0'));
    QTest::newRow("students, a reader selects a row below the visible ones")
        << u"frmMain"_s << u"lstStudent"_s << many << -1 << u"table select"_s << 29 << true << many
        << 29 << QString();
    // An entry read before a remove counts anew: "1 of 3", not "1 of 4".
    QTest::newRow("students, one read, another removed")
        << u"frmMain"_s << u"lstStudent"_s << students << 0 << u"remove"_s << 1 << true
        << QStringList{u"adam"_s, u"Émile"_s, u"Zoë"_s} << 0 << QString();
    // Down moves on from the current entry, which a reader's selection moves too.
    row("students, Down after a reader's select", 0, u"table select, Down"_s, 2, true, 3);
    row("students, Ctrl+Space on the selected entry clears it", 2, u"Ctrl+Space"_s, 2, true, -1);
    // A new search starts after the current entry, so a letter moves on to the next match.
    QTest::newRow("students, a typed letter skips the current entry")
        << u"frmMain"_s << u"lstStudent"_s << QStringList{u"Bea"_s, u"adam"_s, u"Abe"_s} << 0
        << u"type a"_s << -1 << true << QStringList{u"Abe"_s, u"adam"_s, u"Bea"_s} << 1
        << QString();
    // Taking the focus, a list names its current entry; a letter that finds the entry where the
    // keyboard stands names it again, now selected.
    row("students, Tab names the first entry", -1, u"focus"_s, -1, true, -1, u"adam"_s);
    row("students, a letter selects the entry it stands on", -1, u"focus, type a"_s, -1, true, 0,
        u"adam"_s);
    row("students, Down at the end selects the entry it stands on", 3, u"focus, Ctrl+Space, Down"_s,
        -1, true, 3, u"Zoë"_s);
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
        << true << QStringList{u"Only"_s} << 0 << QString();
    QTest::newRow("majors, selection interface selects")
        << u"frmStudent"_s << u"lstMajor"_s << QStringList() << -1 << u"select"_s << 1 << true
        << majors << 1 << QString();
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
    QFETCH(QString, named);
    Node node;
    QString lastNamed;
    int listed = -1;
    int listIndex = -2;
    bool answer = true;
    bool selectedInSight = false;
    QStringList readerSelection;
    // Cell and row counts, selected rows, selected cells' names, column and selected column counts.
    QStringList tableSelection;
    QStringList places; // "position/size" of each entry, then "list/size"
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
        if (gesture.startsWith(u"focus")) {
            list->setFocus(Qt::TabFocusReason);
            QTRY_VERIFY_WITH_TIMEOUT(list->hasFocus(), testing::WaitLimitMs);
        }
        if (gesture.contains(u"Ctrl+Space"))
            QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
        if (gesture.startsWith(u"table select"))
            answer = table->selectRow(target);
        else if (gesture == u"table unselect")
            answer = table->unselectRow(target);
        else if (gesture == u"remove") {
            for (int i = 0; i < reader->childCount(); ++i)
                reader->child(i)->text(QAccessible::Name);
            list->RemoveItem(target);
            listed = list->ListCount();
        } else if (gesture.contains(u"type "))
            QTest::keyClicks(list, gesture.mid(gesture.indexOf(u"type ") + 5));
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
        tableSelection << QString::number(table->selectedCellCount())
                       << QString::number(table->selectedRowCount());
        for (const int row : table->selectedRows())
            tableSelection << QString::number(row);
        for (QAccessibleInterface *cell : table->selectedCells()) {
            QAccessibleTableCellInterface *place = cell->tableCellInterface();
            tableSelection << cell->text(QAccessible::Name)
                           << (place ? u"%1,%2 %3x%4"_s.arg(place->rowIndex())
                                           .arg(place->columnIndex())
                                           .arg(place->rowExtent())
                                           .arg(place->columnExtent())
                                     : u"no cell"_s);
        }
        tableSelection << QString::number(table->columnCount())
                       << QString::number(table->selectedColumnCount())
                       << QString::number(table->selectedColumns().value(0, -1))
                       << QString::number(table->rowCount())
                       << (table->selectColumn(0) || table->unselectColumn(0) ? u"taken"_s
                                                                              : u"refused"_s);
        // A cell is found by its row in the one column there is, and by a screen reader's
        // pointer on it; off the list there is none.
        if (listIndex >= 0) {
            QVERIFY(table->cellAt(listIndex, 0) == reader->child(listIndex));
            QVERIFY(!table->cellAt(listIndex, 1));
            const QPoint centre = reader->child(listIndex)->rect().center();
            QVERIFY(reader->childAt(centre.x(), centre.y()) == reader->child(listIndex));
            const QPoint off = list->viewport()->mapToGlobal(QPoint(-1, 0));
            QVERIFY(!reader->childAt(off.x(), off.y()));
        }
        if (QAccessibleInterface *entry = reader->child(listIndex))
            selectedInSight = !entry->state().offscreen;
        // The entry a screen reader is told has the focus. (Offscreen no accessibility events
        // flow; the Orca test hears them.)
        if (QAccessibleInterface *entry = reader->focusChild())
            lastNamed = entry->text(QAccessible::Name);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        const auto place = [](QAccessibleInterface *item) {
            QAccessibleAttributesInterface *attributes =
                item ? item->attributesInterface() : nullptr;
            // A screen reader asks for the keys first, then for each one's value.
            if (!attributes ||
                !attributes->attributeKeys().contains(QAccessible::Attribute::Custom))
                return u"none"_s;
            const auto set = attributes->attributeValue(QAccessible::Attribute::Custom)
                                 .value<QHash<QString, QString>>();
            return set.value(u"posinset"_s, u"list"_s) + u'/' + set.value(u"setsize"_s);
        };
        for (int i = 0; i < reader->childCount(); ++i)
            places << place(reader->child(i));
        places << place(reader);
#endif
        // Read once the entries are in: offscreen, with no screen reader, Qt does not tell
        // an accessible list that was already read about later changes.
        node = treeOf(&form).value(list);
    });
    QCOMPARE(listed, entries.size());
    QCOMPARE(answer, accepted);
    QCOMPARE(listIndex, selected);
    QVERIFY2(selected < 0 || selectedInSight, "the selected entry is out of sight");
    if (!named.isEmpty())
        QCOMPARE(lastNamed, named);
    QCOMPARE(node.role, QAccessible::List);
    QCOMPARE(node.entries, entries);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    // Each entry gives its place and the count itself, as the list is now.
    QStringList expectedPlaces;
    for (int i = 1; i <= entries.size(); ++i)
        expectedPlaces << u"%1/%2"_s.arg(i).arg(entries.size());
    expectedPlaces << u"list/%1"_s.arg(entries.size());
    QCOMPARE(places, expectedPlaces);
#endif
    QCOMPARE(node.selected, selected < 0 ? QList<int>() : QList<int>{selected});
    QStringList tableSelected{u"0"_s, u"0"_s};
    if (selected >= 0)
        tableSelected = {u"1"_s, u"1"_s, QString::number(selected), entries.value(selected),
                         u"%1,0 1x1"_s.arg(selected)};
    // One column, selected as a whole only when its one entry is, and not selectable itself.
    const bool columnSelected = entries.size() == 1 && selected == 0;
    tableSelected << u"1"_s << (columnSelected ? u"1"_s : u"0"_s)
                  << (columnSelected ? u"0"_s : u"-1"_s) << QString::number(entries.size())
                  << u"refused"_s;
    QCOMPARE(tableSelection, tableSelected);
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    // Read back before the Down of those rows.
    if (!gesture.endsWith(u", Down"))
        QCOMPARE(readerSelection,
                 selected < 0 ? QStringList() : QStringList{entries.value(selected)});
#endif
}

void TestAccessibility::entriesFollowTheirRows_data()
{
    QTest::addColumn<int>("start"); // students listed, every entry read
    QTest::addColumn<int>("adds");  // then adds and removes at random rows, in a random order
    QTest::addColumn<int>("removes");
    QTest::newRow("an add and a remove") << 3 << 1 << 1;
    QTest::newRow("a long session") << 300 << 700 << 700;
    QTest::newRow("removes only") << 200 << 0 << 190;
}

// With a screen reader listening, an entry it was handed stays the same entry while others are
// added and removed around it; one removed answers as gone, and is let go a while later.
void TestAccessibility::entriesFollowTheirRows()
{
    QFETCH(int, start);
    QFETCH(int, adds);
    QFETCH(int, removes);
    inWindow(u"frmMain"_s, [&](Form &form) {
        auto *list = form.findChild<ListBox *>(u"lstStudent"_s);
        QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(list);
        QStringList model; // the names in the list's order
        QHash<QString, QAccessible::Id> handedOut;
        QList<std::pair<QString, QAccessible::Id>> removed; // oldest first
        std::mt19937 random(20261210);
        const auto any = [&random](int last) {
            return std::uniform_int_distribution<int>(0, last)(random);
        };
        // A new entry is read as a screen reader reads one it hears of.
        testing::Heard heard;
        const auto change = [&](const QString &added, int row) {
            const bool add = !added.isEmpty();
            if (add) {
                model.insert(row, added);
                list->AddItem(added);
            } else {
                const QString gone = model.takeAt(row);
                removed.emplace_back(gone, handedOut.value(gone));
                list->RemoveItem(row);
            }
            if (add)
                handedOut.insert(added, QAccessible::uniqueId(reader->child(row)));
        };
        for (int i = 0; i < start; ++i)
            change(u"Student %1"_s.arg(i * 2, 5, 10, QLatin1Char('0')), i);
        for (int left = adds + removes; left > 0; --left) {
            const QString name =
                u"Student %1"_s.arg(any(start * 4) * 2 + 1, 5, 10, QLatin1Char('0'));
            if (any(left - 1) < adds && !model.contains(name)) {
                --adds;
                change(name,
                       int(std::lower_bound(model.cbegin(), model.cend(), name) - model.cbegin()));
            } else if (removes > 0) {
                --removes;
                change(QString(), any(int(model.size()) - 1));
            }
        }
        QStringList expected, found;
        for (int row = 0; row < model.size(); ++row) {
            expected << u"%1 at %2"_s.arg(model.at(row)).arg(row);
            QAccessibleInterface *entry =
                QAccessible::accessibleInterface(handedOut.value(model.at(row)));
            found << (entry && reader->child(row) == entry && !entry->state().invalid
                          ? u"%1 at %2"_s.arg(entry->text(QAccessible::Name))
                                .arg(reader->indexOfChild(entry))
                          : model.at(row) + u" lost"_s);
        }
        QCOMPARE(found, expected);
        // The 64 removed last answer as gone; any removed before them is let go.
        QStringList expectedGone, foundGone;
        for (qsizetype i = 0; i < removed.size(); ++i) {
            const auto &[name, id] = removed.at(i);
            expectedGone << name + (i + 64 >= removed.size() ? u" gone"_s : u" let go"_s);
            QAccessibleInterface *entry = QAccessible::accessibleInterface(id);
            foundGone << name + (!entry ? u" let go"_s
                                 : entry->state().invalid && reader->indexOfChild(entry) == -1 &&
                                         entry->text(QAccessible::Name) == name
                                     ? u" gone"_s
                                     : u" still listed"_s);
        }
        QCOMPARE(foundGone, expectedGone);
    });
}

QString TestAccessibility::observed()
{
    const testing::Services &services = m_program->services;
    QStringList seen{QString::number(services.messages.size()), QString::number(services.ends),
                     QString::number(services.printer ? services.printer->documents().size() : 0)};
    if (!main().isUnloaded()) {
        seen << QString::number(m_program->list().ListIndex());
        seen << (main().focusWidget() ? main().focusWidget()->objectName() : QString());
    }
    if (frmStudent *student = m_program->student()) {
        seen << student->txtName->Text() << QString::number(student->chkDeans->Value())
             << QString::number(student->lstMajor->ListIndex()) << student->cboSchool->Text()
             << QString::number(student->cboSchool->ListIndex());
        for (int i = 0; i < 4; ++i)
            seen << QString::number(student->optLevel[i].Value());
    }
    return seen.join(u'|');
}

void TestAccessibility::pressAnswersBeforeTheHandlerRuns_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("opens"); // the modal window the handler opens, if any
    QTest::newRow("main window button") << u"frmMain"_s << u"cmdDisplay"_s << QString();
    QTest::newRow("main window button opening a window")
        << u"frmMain"_s << u"cmdAdd"_s << u"frmStudent"_s;
    QTest::newRow("menu item opening a window") << u"frmMain"_s << u"mnuAbout"_s << u"frmAbout"_s;
    QTest::newRow("student window button") << u"frmStudent"_s << u"cmdAction"_s << QString();
    QTest::newRow("menu item") << u"frmStudent"_s << u"mnuPrintSchools"_s << QString();
    QTest::newRow("menu item opening a message")
        << u"frmStudent"_s << u"mnuPrintStudent"_s << u"msgBox"_s;
}

// A screen reader waits for its press to be answered: a window that the handler opens must
// not hold the answer back. The handler still runs, right after.
void TestAccessibility::pressAnswersBeforeTheHandlerRuns()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, opens);
    if (opens == u"msgBox")
        platform::setMessageBox(std::make_unique<ScreenMessageBox>());
    bool found = false;
    bool menuOpened = true;
    bool answeredFirst = false;
    bool menuClosed = false;
    bool ran = false;
    QString opened;
    inWindow(window, [&](Form &form) {
        QAccessibleInterface *node = accessibleOf(&form, control);
        found = node && node->actionInterface();
        if (!found)
            return;
        auto *item = qobject_cast<QAction *>(node->object());
        QMenu *menu = item ? menuHolding(item) : nullptr;
        if (menu)
            menuOpened = openMenu(form, menu);
        if (!opens.isEmpty()) {
            testing::whenActive(
                [opens]() -> QWidget * {
                    QWidget *modal = QApplication::activeModalWidget();
                    return modal && modal->objectName() == opens ? modal : nullptr;
                },
                [&opened] {
                    QWidget *modal = QApplication::activeModalWidget();
                    opened = modal->objectName();
                    modal->hide();
                });
        }
        const QString before = observed();
        node->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        answeredFirst = observed() == before && opened.isEmpty();
        menuClosed = !menu || (!menu->isVisible() && !form.menuBar()->activeAction());
        ran = QTest::qWaitFor(
            [&] { return opens.isEmpty() ? observed() != before : opened == opens; },
            testing::WaitLimitMs);
    });
    QVERIFY2(found, "no press action");
    QVERIFY2(menuOpened, "the menu did not open");
    QVERIFY2(answeredFirst, "the handler ran before the press returned");
    QVERIFY2(menuClosed, "the menu stayed open");
    QVERIFY2(ran, "the handler did not run");
}

void TestAccessibility::nothingActsBehindAModalWindow_data()
{
    QTest::addColumn<QString>("blocker"); // the modal window
    QTest::addColumn<QString>("road");    // what the screen reader does
    QTest::addColumn<QString>("control"); // in the window behind the modal one
    const auto row = [](const char *name, const char *blocker, const char *road,
                        const char *control) {
        QTest::newRow(name) << QString::fromLatin1(blocker) << QString::fromLatin1(road)
                            << QString::fromLatin1(control);
    };
    row("student window: main button", "frmStudent", "press", "cmdExit");
    row("student window: main list select", "frmStudent", "select", "lstStudent");
    row("student window: main list unselect", "frmStudent", "unselect", "lstStudent");
    row("student window: main menu item", "frmStudent", "press", "mnuFileExit");
    row("student window: main button focus", "frmStudent", "focus", "cmdDisplay");
    row("student window: main list focus", "frmStudent", "focus", "lstStudent");
    row("student window: main menu title", "frmStudent", "show menu", "mnuFile");
    // Both presses are posted in one turn: Exit runs once Add has opened the student window.
    row("student window opened by an earlier press: main button", "cmdAdd", "press", "cmdExit");
    row("student window opened by an earlier press: main menu item", "cmdAdd", "press",
        "mnuFileExit");
    row("about box: main button", "frmAbout", "press", "cmdDisplay");
    row("about box: main list select", "frmAbout", "select", "lstStudent");
    row("message box: name inserted", "msgBox", "insert", "txtName");
    row("message box: name set", "msgBox", "set", "txtName");
    row("message box: school inserted", "msgBox", "insert", "cboSchool_edit");
    row("message box: grade level", "msgBox", "toggle", "optLevel_2");
    row("message box: dean's list", "msgBox", "toggle", "chkDeans");
    row("message box: major", "msgBox", "select", "lstMajor");
    row("message box: school list", "msgBox", "select", "cboSchool_list");
    row("message box: add button", "msgBox", "press", "cmdAction");
    row("message box: print menu item", "msgBox", "press", "mnuPrintSchools");
}

// A modal window keeps assistive technology off the windows behind it, as it keeps clicks
// and keys off; once it is gone, the same road works.
void TestAccessibility::nothingActsBehindAModalWindow()
{
    QFETCH(QString, blocker);
    QFETCH(QString, road);
    QFETCH(QString, control);
    // What the program has done, and any menu that has opened.
    const auto seen = [this] {
        const QWidget *popup = QApplication::activePopupWidget();
        return observed() + (popup ? popup->objectName() : QString());
    };
    m_program->list().AddItem(u"Ann"_s);
    m_program->list().AddItem(u"Bob"_s);
    m_program->list().setListIndex(road == u"unselect" ? 0 : -1);
    bool selectionTaken = false; // what a screen reader is answered
    const auto take = [&](QWidget *window) {
        QAccessibleInterface *node = accessibleOf(window, control);
        if (road == u"show menu") {
            // The title, not the menu of the same name.
            auto *title = window->findChild<QAction *>(control);
            node = title ? QAccessible::queryAccessibleInterface(title) : nullptr;
            if (!node || !node->actionInterface())
                return false;
            node->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
            return true;
        }
        if (!node)
            return false;
        if (road == u"press" || road == u"toggle" || road == u"focus") {
            const QString action = road == u"press" ? QAccessibleActionInterface::pressAction()
                                   : road == u"toggle"
                                       ? QAccessibleActionInterface::toggleAction()
                                       : QAccessibleActionInterface::setFocusAction();
            if (!node->actionInterface())
                return false;
            node->actionInterface()->doAction(action);
        } else if (road == u"select" || road == u"unselect") {
            QAccessibleTableInterface *table = node->tableInterface();
            if (!table)
                return false;
            selectionTaken = road == u"select" ? table->selectRow(1) : table->unselectRow(0);
        } else if (road == u"insert") {
            if (!node->editableTextInterface())
                return false;
            node->editableTextInterface()->insertText(0, u"Highland"_s);
        } else {
            node->setText(QAccessible::Value, u"Highland"_s);
        }
        return true;
    };
    bool reached = false;
    bool unchanged = false;
    const auto whileBlocked = [&](QWidget *window) {
        const QString before = seen();
        reached = take(window);
        // A posted press would run here.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        // Refused, and told so.
        unchanged = seen() == before && !selectionTaken;
    };
    QWidget *behind = &main();
    if (blocker == u"msgBox") {
        inWindow(u"frmStudent"_s, [&](Form &form) {
            behind = &form;
            platform::setMessageBox(std::make_unique<ScreenMessageBox>());
            testing::whenActive(
                [] { return QApplication::activeModalWidget(); },
                [&] {
                    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                    if (!box)
                        return;
                    // Any further message is recorded, not shown.
                    platform::setMessageBox(std::make_unique<testing::RecordingMessageBox>(
                        m_program->services.messages));
                    whileBlocked(&form);
                    box->button(QMessageBox::Ok)->click();
                });
            // An empty name: Print Student says so in a message box.
            m_program->student()->mnuPrintStudent->trigger();
            QVERIFY(reached);
            QVERIFY2(unchanged, "changed while the message box was up");
            const QString before = seen();
            take(&form);
            QVERIFY2(QTest::qWaitFor([&] { return seen() != before; }, testing::WaitLimitMs),
                     "nothing changed once the message box was gone");
        });
        QVERIFY2(reached, "the message box did not come up");
        return;
    }
    if (blocker == u"cmdAdd") {
        inWindow(u"frmStudent"_s, [](Form &) {});
        const QString before = seen();
        bool closed = false;
        // This window only: a run that fails must not reach into the next one.
        const QPointer<QWidget> student = m_program->student();
        testing::whenActive([student]() -> QWidget * { return student; },
                            [&] {
                                QCoreApplication::sendPostedEvents();
                                QCoreApplication::processEvents();
                                unchanged = seen() == before;
                                m_program->student()->Hide();
                                closed = true;
                            });
        QAccessibleInterface *add = accessibleOf(&main(), blocker);
        QVERIFY(add && add->actionInterface());
        add->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        reached = take(&main());
        QTRY_VERIFY_WITH_TIMEOUT(closed || m_program->services.ends > 0, testing::WaitLimitMs);
    } else {
        inWindow(blocker, [&](Form &) { whileBlocked(behind); });
    }
    QVERIFY2(reached, qPrintable(control + u" cannot be reached that way"_s));
    QVERIFY2(unchanged, "changed while the modal window was up");
    const QString before = seen();
    take(behind);
    QTRY_VERIFY2_WITH_TIMEOUT(seen() != before, "nothing changed once the window was gone",
                              testing::WaitLimitMs);
}

SI_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
