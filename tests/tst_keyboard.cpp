// The program used with the keyboard alone. Keys go to the window that has the keyboard focus
// through the platform's input path, so shortcuts, access keys and popup menus act as they
// would for a user; nothing is clicked and no control is set from the test.

#include "ProgramFixture.h"

#include "about/frmAbout.h"
#include "app/Forms.h"
#include "app/frmMain.h"
#include "records/CStudents.h"
#include "student_window/frmStudent.h"

#include <QFile>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QtTest>
#include <QWindow>

using namespace platform;
using namespace Qt::StringLiterals;

namespace {

QString describe(QWidget *widget)
{
    return widget ? widget->objectName() : u"(none)"_s;
}

// The texts of one printed document, in order.
QStringList printedTexts(const QList<PrintStatement> &document)
{
    QStringList texts;
    for (const PrintStatement &statement : document) {
        for (const PrintItem &item : statement) {
            if (item.kind == PrintItem::Kind::Text)
                texts << item.text;
        }
    }
    return texts;
}

} // namespace

class TestKeyboard : public testing::ProgramTest
{
    Q_OBJECT

private Q_SLOTS:
    // A user starts typing once the main window is active.
    void init();

    void wholeSessionByKeyboard();
    void studentWindowAccessKeys_data();
    void studentWindowAccessKeys();
    void enterPressesTheDefaultButton_data();
    void enterPressesTheDefaultButton();
    void accessKeysAreUnique_data();
    void accessKeysAreUnique();
    void exitFromTheFileMenu();
    void focusReturnsToTheOpener_data();
    void focusReturnsToTheOpener();
    void altWithoutAnAccessKeyDoesNothing_data();
    void altWithoutAnAccessKeyDoesNothing();
    void replayedAltAfterAnAccessKeyKeepsTheFocus();

private:
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void type(const QString &text);
    QString focusName() const { return describe(QApplication::focusWidget()); }
    // Buttons answer their access keys after a short press animation.
    void waitFor(const QString &what, const std::function<bool()> &done);
    void problem(const QString &what);
    // Presses the keys that open a modal window, runs inside while it is shown, and waits
    // until it is gone. Access keys press buttons after a short animation, hence the wait.
    void whileShown(const std::function<Form *()> &find, const std::function<void()> &openKeys,
                    const std::function<void(Form &)> &inside);
    void whileStudentShown(const std::function<void()> &openKeys,
                           const std::function<void(frmStudent &)> &inside);

    // What went wrong inside a modal window, where a failed check cannot end the test (keys
    // with no window to go to, waits that never ended); checked again once it is gone.
    QStringList m_problems;
};

void TestKeyboard::init()
{
    m_problems.clear();
    m_program = std::make_unique<testing::Program>();
    QVERIFY(QTest::qWaitForWindowActive(&main(), testing::WaitLimitMs));
}

void TestKeyboard::press(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QWindow *window = QGuiApplication::focusWindow();
    if (!window) {
        problem(u"no window has the keyboard focus for %1"_s.arg(
            QKeySequence(modifiers | key).toString()));
        return;
    }
    QTest::keyClick(window, key, modifiers);
}

void TestKeyboard::type(const QString &text)
{
    for (const QChar c : text) {
        QWindow *window = QGuiApplication::focusWindow();
        if (!window) {
            problem(u"no window has the keyboard focus to type %1"_s.arg(text));
            return;
        }
        const char16_t upper = c.toUpper().unicode();
        const auto key = upper < 0x80 ? Qt::Key(upper) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, window, key, QString(c), Qt::NoModifier);
    }
}

void TestKeyboard::waitFor(const QString &what, const std::function<bool()> &done)
{
    // After a failure the wait gives up at once; that says nothing about what.
    if (!testing::waitFor(done) && !testing::failed())
        problem(u"never: "_s + what);
}

void TestKeyboard::problem(const QString &what)
{
    // The first one fails the test at once, so every later wait gives up instead of waiting.
    if (m_problems.isEmpty() && !testing::failed())
        QTest::qFail(qPrintable(what), __FILE__, __LINE__);
    m_problems << what;
}

void TestKeyboard::whileShown(const std::function<Form *()> &find,
                              const std::function<void()> &openKeys,
                              const std::function<void(Form &)> &inside)
{
    const bool openedAndClosed =
        testing::whileShown([find] { return find(); }, openKeys,
                            [&](QWidget &window) {
                                // A user starts typing once the window has come up active.
                                waitFor(u"the window active"_s, [&] {
                                    return QGuiApplication::focusWindow() == window.windowHandle();
                                });
                                inside(static_cast<Form &>(window));
                            },
                            testing::settleActivation, testing::Opening::Keys);
    QVERIFY2(openedAndClosed || testing::failed(), "the window did not open, or stayed open");
    // Keys after this go to whichever window takes the focus back; there must be one.
    waitFor(u"a window active again"_s, [] {
        const QWindow *window = QGuiApplication::focusWindow();
        return window && window->isVisible();
    });
}

void TestKeyboard::whileStudentShown(const std::function<void()> &openKeys,
                                     const std::function<void(frmStudent &)> &inside)
{
    whileShown([this] { return student(); }, openKeys,
               [&](Form &form) { inside(static_cast<frmStudent &>(form)); });
}

void TestKeyboard::wholeSessionByKeyboard()
{
    QCOMPARE(focusName(), u"cmdAdd"_s);

    // First student: Enter presses the focused Add button; Tab and arrows walk the fields.
    QStringList trail;
    whileStudentShown([this] { press(Qt::Key_Return); },
                      [&](frmStudent &) {
                          trail << focusName();
                          type(u"Ann Lee"_s);
                          press(Qt::Key_Tab);
                          trail << focusName();
                          press(Qt::Key_Down);
                          press(Qt::Key_Down);
                          trail << focusName();
                          press(Qt::Key_U, Qt::AltModifier);
                          trail << focusName();
                          type(u"30"_s);
                          press(Qt::Key_Tab);
                          trail << focusName();
                          press(Qt::Key_Down);
                          press(Qt::Key_Tab);
                          trail << focusName();
                          press(Qt::Key_Space);
                          press(Qt::Key_Tab);
                          trail << focusName();
                          press(Qt::Key_Down);
                          press(Qt::Key_Return);
                      });
    QVERIFY2(m_problems.isEmpty(), qPrintable(m_problems.join(u"; "_s)));
    QCOMPARE(trail, (QStringList{u"txtName"_s, u"optLevel_0"_s, u"optLevel_2"_s, u"txtUnits"_s,
                                 u"lstMajor"_s, u"chkDeans"_s, u"cboSchool_edit"_s}));
    const auto ann = record(1);
    QCOMPARE(ann->StudentName(), u"Ann Lee"_s);
    QCOMPARE(int(ann->UnitsCompleted()), 30);
    QCOMPARE(int(ann->GradeLevel()), 2);
    // Tabbing into the list marks its first entry without choosing it; Down chooses the next.
    QCOMPARE(ann->Major(), u"Business"_s);
    QCOMPARE(ann->DeansList(), u"1"_s);
    QCOMPARE(ann->School(), u"Franklin"_s);

    // Second student: Alt+A from the main window, access keys for the grade and the units.
    QCOMPARE(QApplication::activeWindow(), &main());
    whileStudentShown([this] { press(Qt::Key_A, Qt::AltModifier); },
                      [&](frmStudent &w) {
                          type(u"Bob Ray"_s);
                          press(Qt::Key_S, Qt::AltModifier);
                          waitFor(u"Senior chosen"_s, [&w] { return w.optLevel[3].Value(); });
                          press(Qt::Key_U, Qt::AltModifier);
                          type(u"12.5"_s);
                          press(Qt::Key_Tab);
                          press(Qt::Key_Space); // chooses the marked first entry
                          press(Qt::Key_D, Qt::AltModifier);
                          waitFor(u"Deans List checked"_s,
                                  [&w] { return w.chkDeans->Value() == 1; });
                          press(Qt::Key_Tab);
                          type(u"Night School"_s);
                          press(Qt::Key_Return);
                      });
    QVERIFY2(m_problems.isEmpty(), qPrintable(m_problems.join(u"; "_s)));
    const auto bob = record(2);
    QCOMPARE(bob->StudentName(), u"Bob Ray"_s);
    QCOMPARE(int(bob->UnitsCompleted()), 12);
    QCOMPARE(int(bob->GradeLevel()), 3);
    QCOMPARE(bob->Major(), u"Accounting"_s);
    QCOMPARE(bob->DeansList(), u"1"_s);
    QCOMPARE(bob->School(), u"Night School"_s);
    QCOMPARE(list().ListCount(), 2);
    QCOMPARE(list().List(0), u"Ann Lee"_s);
    QCOMPARE(list().List(1), u"Bob Ray"_s);

    // Display the second entry, print it and the school list from the Print menu, cancel.
    QCOMPARE(focusName(), u"cmdAdd"_s); // back where it was before the window opened
    for (int i = 0; i < 4; ++i)
        press(Qt::Key_Tab);
    QCOMPARE(focusName(), u"lstStudent"_s);
    press(Qt::Key_Down);
    QCOMPARE(list().ListIndex(), 1);
    QString shownName;
    QString shownUnits;
    QString shownMajor;
    QString shownSchool;
    int shownLevel = -1;
    int shownDeans = -1;
    QStringList menus;
    whileStudentShown([this] { press(Qt::Key_D, Qt::AltModifier); },
                      [&](frmStudent &w) {
                          shownName = w.txtName->Text();
                          shownUnits = w.txtUnits->Text();
                          shownMajor = w.lstMajor->Text();
                          shownSchool = w.cboSchool->Text();
                          for (int i = 0; i < 4; ++i)
                              shownLevel = w.optLevel[i].Value() ? i : shownLevel;
                          shownDeans = w.chkDeans->Value();
                          for (const QChar item : {u't', u'c'}) {
                              press(Qt::Key_P, Qt::AltModifier);
                              QMenu *menu =
                                  qobject_cast<QMenu *>(QApplication::activePopupWidget());
                              menus << (menu ? menu->objectName() : u"(no menu)"_s);
                              press(Qt::Key(item.toUpper().unicode()));
                          }
                          press(Qt::Key_C, Qt::AltModifier);
                          waitFor(u"Cancel pressed"_s, [&w] { return !w.isVisible(); });
                      });
    QVERIFY2(m_problems.isEmpty(), qPrintable(m_problems.join(u"; "_s)));
    QCOMPARE(shownName, u"Bob Ray"_s);
    QCOMPARE(shownUnits, u"12"_s);
    QCOMPARE(shownMajor, u"Accounting"_s);
    QCOMPARE(shownSchool, u"Night School"_s);
    QCOMPARE(shownLevel, 3);
    QCOMPARE(shownDeans, 1);
    QCOMPARE(menus, (QStringList{u"mnuPrint"_s, u"mnuPrint"_s}));
    const auto &documents = m_program->services.printer->documents();
    QCOMPARE(documents.size(), 2);
    const QStringList report = printedTexts(documents[0]);
    for (const QString &field :
         {u"Bob Ray"_s, u"12"_s, u"Accounting"_s, u"Night School"_s, u"Senior"_s, u"Yes"_s})
        QVERIFY2(report.contains(field), qPrintable(field));
    // Printing the student added the typed school to the list that Print Schools prints.
    const QStringList schools = printedTexts(documents[1]);
    for (const QString &school :
         {u"Franklin"_s, u"Highland"_s, u"Midtown"_s, u"Night School"_s, u"West Highland"_s})
        QVERIFY2(schools.contains(school), qPrintable(school));

    // Remove the first entry: an access key leaves the focus in the list, so Up, Alt+R, and
    // Enter confirms.
    QCOMPARE(focusName(), u"lstStudent"_s);
    press(Qt::Key_Up);
    QCOMPARE(list().ListIndex(), 0);
    QString removeCaption;
    whileStudentShown([this] { press(Qt::Key_R, Qt::AltModifier); },
                      [&](frmStudent &w) {
                          removeCaption = w.cmdAction->text();
                          shownName = w.txtName->Text();
                          press(Qt::Key_Return);
                      });
    QVERIFY2(m_problems.isEmpty(), qPrintable(m_problems.join(u"; "_s)));
    QCOMPARE(removeCaption, u"Remove this Student?"_s);
    QCOMPARE(shownName, u"Ann Lee"_s);
    QCOMPARE(list().ListCount(), 1);
    QCOMPARE(list().List(0), u"Bob Ray"_s);
    QCOMPARE(testing::students(*student())->Count(), 1);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, record(1));

    // About: Alt+H opens the Help menu, A the box; Esc leaves it open, Enter presses OK.
    QString helpMenu;
    QString aboutFocus;
    bool openAfterEscape = false;
    whileShown([this] { return about(); },
               [&] {
                   press(Qt::Key_H, Qt::AltModifier);
                   QMenu *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
                   helpMenu = menu ? menu->objectName() : u"(no menu)"_s;
                   press(Qt::Key_A);
               },
               [&](Form &box) {
                   aboutFocus = focusName();
                   press(Qt::Key_Escape);
                   openAfterEscape = box.isVisible();
                   press(Qt::Key_Return);
               });
    QVERIFY2(m_problems.isEmpty(), qPrintable(m_problems.join(u"; "_s)));
    QCOMPARE(helpMenu, u"mnuHelp"_s);
    QCOMPARE(aboutFocus, u"cmdOK"_s);
    QVERIFY(openAfterEscape);
    QVERIFY(m_program->forms->frmAbout.isLoaded());

    // Exit: Alt+X presses the Exit button.
    press(Qt::Key_X, Qt::AltModifier);
    QTRY_VERIFY_WITH_TIMEOUT(hasEnded(), testing::WaitLimitMs);
    QVERIFY2(m_problems.isEmpty(), qPrintable(m_problems.join(u"; "_s)));
    QCOMPARE(m_program->services.ends, 1);
    QVERIFY(!m_program->forms->frmMain.isLoaded());
    QVERIFY(!m_program->forms->frmStudent.isLoaded());
    QVERIFY(m_program->services.errors.empty());
    QVERIFY(m_program->services.messages.empty());
}

void TestKeyboard::studentWindowAccessKeys_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("deans");
    QTest::newRow("Alt+N name") << Qt::Key_N << u"txtName"_s << -1 << 0;
    QTest::newRow("Alt+U units") << Qt::Key_U << u"txtUnits"_s << -1 << 0;
    QTest::newRow("Alt+E freshman") << Qt::Key_E << u"optLevel_0"_s << 0 << 0;
    QTest::newRow("Alt+H sophomore") << Qt::Key_H << u"optLevel_1"_s << 1 << 0;
    QTest::newRow("Alt+J junior") << Qt::Key_J << u"optLevel_2"_s << 2 << 0;
    QTest::newRow("Alt+S senior") << Qt::Key_S << u"optLevel_3"_s << 3 << 0;
    QTest::newRow("Alt+D deans list") << Qt::Key_D << u"chkDeans"_s << -1 << 1;
}

void TestKeyboard::studentWindowAccessKeys()
{
    QFETCH(Qt::Key, key);
    QFETCH(QString, focus);
    QFETCH(int, level);
    QFETCH(int, deans);
    QString started;
    QString focused;
    int selectedLevel = -2;
    int deansValue = -1;
    bool openBeforeCancel = false;
    whileStudentShown([this] { press(Qt::Key_Return); },
                      [&](frmStudent &w) {
                          // Start away from every target (Shift+Tab wraps to the last
                          // control) so that each move is seen.
                          press(Qt::Key_Tab, Qt::ShiftModifier);
                          started = focusName();
                          press(key, Qt::AltModifier);
                          // Buttons answer their access key after a short press animation.
                          waitFor(u"focus on "_s + focus, [&] { return focusName() == focus; });
                          waitFor(u"grade level chosen"_s,
                                  [&] { return level < 0 || w.optLevel[level].Value(); });
                          waitFor(u"Deans List value"_s,
                                  [&] { return w.chkDeans->Value() == deans; });
                          focused = focusName();
                          selectedLevel = -1;
                          for (int i = 0; i < 4; ++i)
                              selectedLevel = w.optLevel[i].Value() ? i : selectedLevel;
                          deansValue = w.chkDeans->Value();
                          openBeforeCancel = w.isVisible();
                          press(Qt::Key_C, Qt::AltModifier);
                      });
    QVERIFY2(m_problems.isEmpty(), qPrintable(m_problems.join(u"; "_s)));
    QCOMPARE(started, u"cmdCancel"_s);
    QCOMPARE(focused, focus);
    QCOMPARE(selectedLevel, level);
    QCOMPARE(deansValue, deans);
    QVERIFY(openBeforeCancel);
    QCOMPARE(list().ListCount(), 0); // Alt+C cancelled
}

void TestKeyboard::enterPressesTheDefaultButton_data()
{
    QTest::addColumn<QKeySequence>("keys"); // after typing the name
    QTest::addColumn<QString>("focus");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<bool>("added"); // false: the focused button took Enter and cancelled
    const QKeySequence junior(u"Alt+J"_s);
    const QKeySequence deans(u"Alt+J, Alt+D"_s);
    QTest::newRow("option button, Return") << junior << u"optLevel_2"_s << false << true;
    QTest::newRow("option button, keypad Enter") << junior << u"optLevel_2"_s << true << true;
    QTest::newRow("check box, Return") << deans << u"chkDeans"_s << false << true;
    QTest::newRow("check box, keypad Enter") << deans << u"chkDeans"_s << true << true;
    QTest::newRow("text box, Return")
        << QKeySequence(u"Alt+J, Alt+U"_s) << u"txtUnits"_s << false << true;
    // Shift+Tab from the name box wraps round to Cancel.
    QTest::newRow("command button, Return: that button")
        << QKeySequence(u"Alt+J, Alt+N, Shift+Tab"_s) << u"cmdCancel"_s << false << false;
    QTest::newRow("command button, keypad Enter: that button")
        << QKeySequence(u"Alt+J, Alt+N, Shift+Tab"_s) << u"cmdCancel"_s << true << false;
}

void TestKeyboard::enterPressesTheDefaultButton()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QString, focus);
    QFETCH(bool, keypad);
    QFETCH(bool, added);
    if (qgetenv("QT_QPA_PLATFORMTHEME") == "gtk3") {
        // The GNOME theme presses a focused radio button on Return; Qt falls back to its own
        // theme without a word when the GTK one is missing.
        QRadioButton plain;
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(&plain, &enter);
        const QString plugin =
            QLibraryInfo::path(QLibraryInfo::PluginsPath) + u"/platformthemes/libqgtk3.so"_s;
        if (!enter.isAccepted() && !QFile::exists(plugin))
            QSKIP("qt6-gtk-platformtheme is not installed, so the GTK platform theme cannot be "
                  "tried (scripts/deps.sh test installs it)");
        QVERIFY2(enter.isAccepted(), "QT_QPA_PLATFORMTHEME=gtk3 did not load the GTK theme");
    }
    QString focused;
    whileStudentShown([this] { press(Qt::Key_Return); },
                      [&](frmStudent &w) {
                          type(u"Enter Test"_s);
                          for (int i = 0; i < keys.count(); ++i)
                              press(keys[i].key(), keys[i].keyboardModifiers());
                          // Buttons answer their access keys after a short press animation.
                          waitFor(u"Junior chosen"_s, [&w] { return w.optLevel[2].Value(); });
                          waitFor(u"focus on "_s + focus, [&] { return focusName() == focus; });
                          if (focus == u"chkDeans")
                              waitFor(u"Deans List ticked"_s,
                                      [&w] { return w.chkDeans->Value() == 1; });
                          focused = focusName();
                          if (keypad)
                              press(Qt::Key_Enter, Qt::KeypadModifier);
                          else
                              press(Qt::Key_Return);
                      });
    QVERIFY2(m_problems.isEmpty(), qPrintable(m_problems.join(u"; "_s)));
    QCOMPARE(focused, focus);
    QCOMPARE(list().ListCount(), added ? 1 : 0);
    if (added) {
        QCOMPARE(record(1)->StudentName(), u"Enter Test"_s);
        QCOMPARE(int(record(1)->GradeLevel()), 2);
        QCOMPARE(record(1)->DeansList(), focus == u"chkDeans" ? u"1"_s : u"0"_s);
    }
}

void TestKeyboard::accessKeysAreUnique_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("main window") << u"frmMain"_s;
    QTest::newRow("student window, add") << u"frmStudent"_s;
    QTest::newRow("about box") << u"frmAbout"_s;
}

void TestKeyboard::accessKeysAreUnique()
{
    QFETCH(QString, window);
    // Every caption with an access key in the window, menu titles included.
    const auto collect = [](Form &form) {
        QMultiMap<QString, QString> keys;
        const auto add = [&keys](const QString &caption, const QString &owner) {
            const QKeySequence mnemonic = QKeySequence::mnemonic(caption);
            if (!mnemonic.isEmpty())
                keys.insert(mnemonic.toString(), owner);
        };
        for (QAbstractButton *button : form.findChildren<QAbstractButton *>()) {
            if (button->isVisibleTo(&form))
                add(button->text(), button->objectName());
        }
        for (QLabel *label : form.findChildren<QLabel *>()) {
            if (label->buddy())
                add(label->text(), label->objectName());
        }
        if (form.menuBar()) {
            for (QAction *action : form.menuBar()->actions())
                add(action->text(), action->objectName());
        }
        return keys;
    };
    QMultiMap<QString, QString> keys;
    if (window == u"frmMain") {
        keys = collect(main());
    } else if (window == u"frmStudent") {
        whileStudentShown([this] { press(Qt::Key_Return); },
                          [&](frmStudent &w) {
                              keys = collect(w);
                              press(Qt::Key_C, Qt::AltModifier);
                          });
    } else {
        whileShown([this] { return about(); },
                   [this] {
                       press(Qt::Key_H, Qt::AltModifier);
                       press(Qt::Key_A);
                   },
                   [&](Form &box) {
                       keys = collect(box);
                       press(Qt::Key_K, Qt::AltModifier);
                   });
    }
    QVERIFY(!keys.isEmpty());
    QStringList clashes;
    for (const QString &key : keys.uniqueKeys()) {
        if (keys.count(key) > 1)
            clashes << key + u": "_s + keys.values(key).join(u", "_s);
    }
    QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join(u"; "_s)));
}

void TestKeyboard::exitFromTheFileMenu()
{
    press(Qt::Key_F, Qt::AltModifier);
    QMenu *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QCOMPARE(menu->objectName(), u"mnuFile"_s);
    press(Qt::Key_X);
    QVERIFY(hasEnded());
    QVERIFY2(m_problems.isEmpty(), qPrintable(m_problems.join(u"; "_s)));
    QCOMPARE(m_program->services.ends, 1);
    QVERIFY(!m_program->forms->frmMain.isLoaded());
}

void TestKeyboard::focusReturnsToTheOpener_data()
{
    QTest::addColumn<int>("tabs"); // from Add a New Student to the opener
    QTest::addColumn<QKeySequence>("open");
    QTest::addColumn<QString>("close"); // keys, or "close box"
    QTest::addColumn<QString>("focus");
    const QKeySequence add(u"Alt+A"_s);
    QTest::newRow("add, Enter") << 0 << add << u"Alt+J, Return"_s << u"cmdAdd"_s;
    QTest::newRow("add, Alt+C") << 0 << add << u"Alt+C"_s << u"cmdAdd"_s;
    QTest::newRow("add, close box") << 0 << add << u"close box"_s << u"cmdAdd"_s;
    QTest::newRow("add from Exit, Enter") << 3 << add << u"Alt+J, Return"_s << u"cmdExit"_s;
    QTest::newRow("display from the list, Alt+C")
        << 4 << QKeySequence(u"Alt+D"_s) << u"Alt+C"_s << u"lstStudent"_s;
    QTest::newRow("remove from the list, Enter")
        << 4 << QKeySequence(u"Alt+R"_s) << u"Return"_s << u"lstStudent"_s;
    QTest::newRow("About from the list, Enter")
        << 4 << QKeySequence(u"Alt+H, A"_s) << u"Return"_s << u"lstStudent"_s;
    QTest::newRow("About, Alt+K") << 1 << QKeySequence(u"Alt+H, A"_s) << u"Alt+K"_s
                                  << u"cmdRemove"_s;
}

// Where the window manager hands the focus back is left to chance (a stray Alt release may even
// have given the main window's menu bar the focus meanwhile): the program puts it back on the
// control that opened the window.
void TestKeyboard::focusReturnsToTheOpener()
{
    QFETCH(int, tabs);
    QFETCH(QKeySequence, open);
    QFETCH(QString, close);
    QFETCH(QString, focus);
    whileStudentShown([this] { press(Qt::Key_Return); },
                      [&](frmStudent &w) {
                          type(u"Ann Lee"_s);
                          press(Qt::Key_S, Qt::AltModifier);
                          waitFor(u"Senior chosen"_s, [&w] { return w.optLevel[3].Value(); });
                          press(Qt::Key_Return);
                      });
    QCOMPARE(list().ListCount(), 1);
    for (int i = 0; i < tabs; ++i)
        press(Qt::Key_Tab);
    if (focus == u"lstStudent")
        press(Qt::Key_Home);
    QCOMPARE(focusName(), focus);
    const bool student = !open.toString().contains(u"Alt+H"_s);
    whileShown([&]() -> Form * { return student ? static_cast<Form *>(this->student()) : about(); },
               [&] {
                   for (int i = 0; i < open.count(); ++i)
                       press(open[i].key(), open[i].keyboardModifiers());
               },
               [&](Form &window) {
                   main().menuBar()->setFocus(Qt::MenuBarFocusReason);
                   if (close == u"close box") {
                       window.close();
                       return;
                   }
                   const QKeySequence keys(close);
                   for (int i = 0; i < keys.count(); ++i)
                       press(keys[i].key(), keys[i].keyboardModifiers());
               });
    QVERIFY2(m_problems.isEmpty(), qPrintable(m_problems.join(u"; "_s)));
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &main(), testing::WaitLimitMs);
    QCOMPARE(focusName(), focus);
}

void TestKeyboard::altWithoutAnAccessKeyDoesNothing_data()
{
    QTest::addColumn<int>("tabs"); // from the name box
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("name box") << 0 << QKeySequence(u"Alt+A, Alt+Shift+Z, Alt+7"_s);
    QTest::newRow("school") << 5 << QKeySequence(u"Alt+W"_s);
}

void TestKeyboard::altWithoutAnAccessKeyDoesNothing()
{
    QFETCH(int, tabs);
    QFETCH(QKeySequence, keys);
    QString focused;
    QString typed;
    whileStudentShown([this] { press(Qt::Key_Return); },
                      [&](frmStudent &w) {
                          type(u"Ava Lopez"_s);
                          for (int i = 0; i < tabs; ++i)
                              press(Qt::Key_Tab);
                          focused = focusName();
                          for (int i = 0; i < keys.count(); ++i)
                              press(keys[i].key(), keys[i].keyboardModifiers());
                          typed = w.txtName->Text() + u'|' + w.cboSchool->Text();
                          press(Qt::Key_C, Qt::AltModifier);
                      });
    QVERIFY2(m_problems.isEmpty(), qPrintable(m_problems.join(u"; "_s)));
    QCOMPARE(focused, tabs ? u"cboSchool_edit"_s : u"txtName"_s);
    QCOMPARE(typed, u"Ava Lopez|"_s);
}

// A screen reader hands the program each key late, after an access key has answered it; the
// release of Alt then comes without the access key between, which Qt's menu bar took for Alt
// tapped alone, taking the focus ("Print. Alt+P" where Freshman was chosen).
void TestKeyboard::replayedAltAfterAnAccessKeyKeepsTheFocus()
{
    QStringList seen;
    whileStudentShown(
        [this] { press(Qt::Key_Return); },
        [&](frmStudent &w) {
            press(Qt::Key_E, Qt::AltModifier);
            waitFor(u"Freshman chosen"_s, [&w] { return w.optLevel[0].Value(); });
            seen << focusName();
            for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                QKeyEvent alt(type, Qt::Key_Alt,
                              type == QEvent::KeyPress ? Qt::AltModifier : Qt::NoModifier);
                QCoreApplication::sendEvent(QApplication::focusWidget(), &alt);
            }
            waitFor(u"the focus back on Freshman"_s,
                    [this] { return focusName() == u"optLevel_0"; });
            seen << focusName();
            // The same with the menu Alt+P opened: it stays open.
            press(Qt::Key_P, Qt::AltModifier);
            QWidget *menu = QApplication::activePopupWidget();
            for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                QKeyEvent alt(type, Qt::Key_Alt,
                              type == QEvent::KeyPress ? Qt::AltModifier : Qt::NoModifier);
                QCoreApplication::sendEvent(w.windowHandle(), &alt);
            }
            seen << (menu && menu == QApplication::activePopupWidget() ? menu->objectName()
                                                                       : u"(no menu)"_s);
            press(Qt::Key_C); // Print Schools
            press(Qt::Key_C, Qt::AltModifier);
        });
    QVERIFY2(m_problems.isEmpty(), qPrintable(m_problems.join(u"; "_s)));
    QCOMPARE(seen, (QStringList{u"optLevel_0"_s, u"optLevel_0"_s, u"mnuPrint"_s}));
    // From Remove, Alt tapped alone still takes the keyboard to the menu bar, and leaves it there.
    const auto onRemove = [this] { return focusName() == u"cmdRemove"; };
    press(Qt::Key_Tab);
    waitFor(u"the focus on Remove"_s, onRemove);
    press(Qt::Key_Alt, Qt::AltModifier);
    waitFor(u"the menu bar focused"_s,
            [] { return qobject_cast<QMenuBar *>(QApplication::focusWidget()) != nullptr; });
    QCoreApplication::processEvents(); // where a queued move away would run
    QVERIFY(qobject_cast<QMenuBar *>(QApplication::focusWidget()));
    QVERIFY2(m_problems.isEmpty(), qPrintable(m_problems.join(u"; "_s)));
    // An access key from there: the student window gives the focus back to where it was
    // before Alt.
    whileStudentShown([this] { press(Qt::Key_A, Qt::AltModifier); },
                      [this](frmStudent &) { press(Qt::Key_C, Qt::AltModifier); });
    waitFor(u"the focus back on Remove"_s, onRemove);
    QVERIFY2(m_problems.isEmpty(), qPrintable(m_problems.join(u"; "_s)));
}

SI_TEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
