// The three windows end to end, driven through their buttons, menus and keys.

#include "ProgramFixture.h"

#include "about/frmAbout.h"
#include "app/Forms.h"
#include "app/frmMain.h"
#include "records/CStudents.h"
#include "student_window/frmStudent.h"

#include <QAccessible>
#include <QAction>
#include <QImageReader>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QtTest>

using namespace platform;
using namespace Qt::StringLiterals;

namespace {

struct Entry
{
    Entry(QString name, QString units, int grade = 0, int major = -1, QString school = {},
          bool deans = false)
        : name(std::move(name)), units(std::move(units)), grade(grade), major(major),
          school(std::move(school)), deans(deans)
    {}
    QString name;
    QString units;
    int grade;      // option clicked, -1 for none
    int major;      // list position, -1 for none
    QString school; // typed into the combo box
    bool deans;
};

// The opaque colours of a picture; transparent pixels show what lies behind.
QSet<QRgb> colours(const QImage &image)
{
    QSet<QRgb> found;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(argb.pixel(x, y)) == 255)
                found << argb.pixel(x, y);
        }
    }
    return found;
}

// The books icon's image of the given side, stretched pixel for pixel over the window's colour
// to the given size, as a picture control shows it.
QImage booksShownAs(int side, QSize size, const QColor &window)
{
    QImageReader reader(u":/about/books.ico"_s, "ico");
    QImage shown(size, QImage::Format_ARGB32);
    shown.fill(window);
    for (int i = 0; i < reader.imageCount() && reader.jumpToImage(i); ++i) {
        const QImage image = reader.read();
        if (image.width() == side) {
            QPainter(&shown).drawImage(QRect(QPoint(), size), image);
            return shown;
        }
    }
    return QImage();
}

} // namespace

class TestWindows : public testing::ProgramTest
{
    Q_OBJECT

private Q_SLOTS:
    void firstAddGetsCodeOne();
    void unitsAreRounded_data();
    void unitsAreRounded();
    void fieldsAreStoredAsEntered();
    void addNeedsAGradeLevelOnScreen_data();
    void addNeedsAGradeLevelOnScreen();
    void namesAreListedSorted();
    void sameNamesAreToldApartByItemData();
    void displayShowsEveryFieldWithoutLeftovers();
    void displayModeHidesTheActionButton();
    void removeDeletesExactlyTheSelected_data();
    void removeDeletesExactlyTheSelected();
    void codesAreNeverReused();
    void cancelStoresNothing();
    void unknownModeSetsNothingUp();
    void enterInNameAddsAtOnce();
    void noSelection_data();
    void noSelection();
    void aboutBoxOpensAndCloses();
    void exitEndsTheProgram_data();
    void exitEndsTheProgram();
    void closeBoxOfStudentWindowKeepsRecords();
    void failedAddIsTakenBack_data();
    void failedAddIsTakenBack();
    void labelAccessKeysFocusTheirFields();
    void messageBoxDoesNotResetTheWindow();
    void modalWindowBlocksTheMainWindow_data();
    void modalWindowBlocksTheMainWindow();
    void layoutMatchesTheDesign();

private:
    // Opens the student window with opener and runs inside while it is shown modally.
    void whileStudentShown(const std::function<void()> &opener,
                           const std::function<void(frmStudent &)> &inside);
    void add(const Entry &entry);
    void selectByData(int data);
};

void TestWindows::whileStudentShown(const std::function<void()> &opener,
                                    const std::function<void(frmStudent &)> &inside)
{
    const bool shown =
        testing::whileShown([this] { return student(); }, opener,
                            [&](QWidget &w) { inside(static_cast<frmStudent &>(w)); });
    // After a failed check only that one is reported.
    QVERIFY2(shown || testing::failed(), "the student window never came up");
}

void TestWindows::add(const Entry &e)
{
    whileStudentShown([this] { QTest::mouseClick(main().cmdAdd, Qt::LeftButton); },
                      [&](frmStudent &w) {
                          QTest::keyClicks(w.txtName, e.name);
                          QTest::keyClicks(w.txtUnits, e.units);
                          if (e.grade >= 0)
                              QTest::mouseClick(&w.optLevel[e.grade], Qt::LeftButton);
                          if (e.major >= 0)
                              w.lstMajor->setListIndex(e.major);
                          QTest::keyClicks(testing::editField(*w.cboSchool), e.school);
                          if (e.deans)
                              QTest::mouseClick(w.chkDeans, Qt::LeftButton);
                          QTest::mouseClick(w.cmdAction, Qt::LeftButton);
                      });
}

void TestWindows::selectByData(int data)
{
    for (int i = 0; i < list().ListCount(); ++i) {
        if (list().ItemData(i) == data) {
            list().setListIndex(i);
            return;
        }
    }
    QFAIL("no entry with that item data");
}

void TestWindows::firstAddGetsCodeOne()
{
    add({u"Ann Lee"_s, u"30"_s, 1, 2, u"Midtown"_s, true});
    QCOMPARE(list().ListCount(), 1);
    QCOMPARE(list().List(0), u"Ann Lee"_s);
    QCOMPARE(list().ItemData(0), 1);
    QVERIFY(!student()->isVisible());
    const auto ann = record(1);
    QCOMPARE(ann->StudentCode(), u" 1"_s);
    QCOMPARE(testing::students(*student())->Count(), 1);
    // The key is built with its leading blank; the digits alone find nothing.
    QVERIFY_THROWS_EXCEPTION(RuntimeError, testing::students(*student())->Item(u"1"_s));
}

void TestWindows::unitsAreRounded_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("stored");
    QTest::newRow("half to even down") << u"12.5"_s << 12;
    QTest::newRow("half to even up") << u"13.5"_s << 14;
    QTest::newRow("number then words") << u"7 apples"_s << 7;
    QTest::newRow("letters") << u"abc"_s << 0;
    QTest::newRow("empty") << u""_s << 0;
    QTest::newRow("negative") << u"-3"_s << -3;
    QTest::newRow("leading blank") << u" 12"_s << 12;
    QTest::newRow("exponent") << u"1e3"_s << 1000;
    QTest::newRow("largest") << u"32767"_s << 32767;
}

void TestWindows::unitsAreRounded()
{
    QFETCH(QString, typed);
    QFETCH(int, stored);
    add({u"Kim"_s, typed});
    QCOMPARE(int(record(1)->UnitsCompleted()), stored);
}

void TestWindows::fieldsAreStoredAsEntered()
{
    add({u"  Ana  "_s, u"5"_s, 3, 0, u"Night School"_s, true});
    add({u"Bo"_s, u"5"_s, 0, -1, u"Franklin"_s, false});
    const auto ana = record(1);
    QCOMPARE(ana->StudentName(), u"  Ana  "_s);
    QCOMPARE(ana->Major(), u"Accounting"_s);
    QCOMPARE(ana->School(), u"Night School"_s);
    QCOMPARE(ana->DeansList(), u"1"_s);
    QCOMPARE(int(ana->GradeLevel()), 3);
    const auto bo = record(2);
    QCOMPARE(bo->Major(), QString());
    QCOMPARE(bo->DeansList(), u"0"_s);
    // No checks on add: a typed school is not added to the school list by an add.
    QCOMPARE(student()->cboSchool->ListCount(), 4);
}

void TestWindows::addNeedsAGradeLevelOnScreen_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("way"); // how Senior is then chosen
    QTest::newRow("first add of the run") << u"nothing"_s << u"click"_s;
    QTest::newRow("after a click in an earlier add") << u"junior added"_s << u"click"_s;
    QTest::newRow("after displaying a junior") << u"junior displayed"_s << u"click"_s;
    // A screen reader's Toggle turns the option on without a click.
    QTest::newRow("after displaying a junior, toggled by a screen reader")
        << u"junior displayed"_s << u"toggle"_s;
}

void TestWindows::addNeedsAGradeLevelOnScreen()
{
    QFETCH(QString, before);
    QFETCH(QString, way);
    int nextCode = 1;
    if (before != u"nothing") {
        add({u"Junior"_s, u"1"_s, 2});
        nextCode = 2;
    }
    if (before == u"junior displayed") {
        selectByData(1);
        whileStudentShown([this] { QTest::mouseClick(main().cmdDisplay, Qt::LeftButton); },
                          [](frmStudent &w) { QTest::mouseClick(w.cmdCancel, Qt::LeftButton); });
    }
    const int listed = list().ListCount();

    whileStudentShown([this] { QTest::mouseClick(main().cmdAdd, Qt::LeftButton); },
                      [&](frmStudent &w) {
                          for (int i = 0; i < 4; ++i)
                              QVERIFY(!w.optLevel[i].Value());
                          QTest::keyClicks(w.txtName, u"Nobody Chose"_s);
                          QTest::keyClicks(w.txtUnits, u"7"_s);
                          w.lstMajor->setListIndex(1);
                          w.txtUnits->SetFocus();
                          QTRY_COMPARE(w.focusWidget(), w.txtUnits);
                          QTest::keyClick(w.txtUnits, Qt::Key_Return);

                          // Refused: one message, nothing listed or stored, the window open as
                          // typed.
                          QCOMPARE(m_program->services.messages.size(), std::size_t(1));
                          QCOMPARE(m_program->services.messages[0].prompt,
                                   u"Grade Level Not Selected"_s);
                          QCOMPARE(m_program->services.messages[0].title, u"Error"_s);
                          QVERIFY(m_program->services.errors.empty());
                          QCOMPARE(list().ListCount(), listed);
                          QCOMPARE(testing::students(w)->Count(), listed);
                          QVERIFY(w.isVisible());
                          QCOMPARE(w.txtName->Text(), u"Nobody Chose"_s);
                          QCOMPARE(w.txtUnits->Text(), u"7"_s);
                          QCOMPARE(w.lstMajor->ListIndex(), 1);
                          QTRY_COMPARE(w.focusWidget(), w.txtUnits);

                          if (way == u"toggle")
                              QAccessible::queryAccessibleInterface(&w.optLevel[3])
                                  ->actionInterface()
                                  ->doAction(QAccessibleActionInterface::toggleAction());
                          else
                              QTest::mouseClick(&w.optLevel[3], Qt::LeftButton);
                          QTest::mouseClick(w.cmdAction, Qt::LeftButton);
                      });
    QCOMPARE(list().ListCount(), listed + 1);
    // The refused add used no code.
    QCOMPARE(list().ItemData(list().NewIndex()), nextCode);
    QCOMPARE(record(nextCode)->StudentName(), u"Nobody Chose"_s);
    QCOMPARE(int(record(nextCode)->GradeLevel()), 3);
    selectByData(nextCode);
    int shownLevel = -1;
    whileStudentShown([this] { QTest::mouseClick(main().cmdDisplay, Qt::LeftButton); },
                      [&shownLevel](frmStudent &w) {
                          for (int i = 0; i < 4; ++i)
                              shownLevel = w.optLevel[i].Value() ? i : shownLevel;
                          QTest::mouseClick(w.cmdCancel, Qt::LeftButton);
                      });
    QCOMPARE(shownLevel, 3);
}

void TestWindows::namesAreListedSorted()
{
    for (const QString &name : {u"bob"_s, u"Alice"_s, u"carl"_s, u""_s, u"alice"_s})
        add({name, u"1"_s});
    QCOMPARE(testing::entries(list()),
             (QStringList{u""_s, u"Alice"_s, u"alice"_s, u"bob"_s, u"carl"_s}));
    for (int i = 0; i < list().ListCount(); ++i)
        QCOMPARE(record(list().ItemData(i))->StudentName(), list().List(i));
}

void TestWindows::sameNamesAreToldApartByItemData()
{
    add({u"Sam"_s, u"10"_s});
    add({u"Sam"_s, u"20"_s});
    selectByData(2);
    whileStudentShown([this] { QTest::mouseClick(main().cmdDisplay, Qt::LeftButton); },
                      [](frmStudent &w) {
                          QCOMPARE(w.txtUnits->Text(), u"20"_s);
                          QTest::mouseClick(w.cmdCancel, Qt::LeftButton);
                      });
    whileStudentShown([this] { QTest::mouseClick(main().cmdRemove, Qt::LeftButton); },
                      [](frmStudent &w) {
                          QCOMPARE(w.txtUnits->Text(), u"20"_s);
                          QTest::mouseClick(w.cmdAction, Qt::LeftButton);
                      });
    QCOMPARE(list().ListCount(), 1);
    QCOMPARE(list().ItemData(0), 1);
    QCOMPARE(int(record(1)->UnitsCompleted()), 10);
    QCOMPARE(testing::students(*student())->Count(), 1);
}

void TestWindows::displayShowsEveryFieldWithoutLeftovers()
{
    add({u"Full"_s, u"42"_s, 3, 2, u"Highland"_s, true});
    add({u"Bare"_s, u""_s, 0, -1, u""_s, false});
    selectByData(1);
    whileStudentShown([this] { QTest::mouseClick(main().cmdDisplay, Qt::LeftButton); },
                      [](frmStudent &w) {
                          QCOMPARE(w.txtName->Text(), u"Full"_s);
                          QCOMPARE(w.txtUnits->Text(), u"42"_s);
                          QVERIFY(w.optLevel[3].Value());
                          QCOMPARE(w.lstMajor->Text(), u"Computer Information Systems"_s);
                          QCOMPARE(w.cboSchool->Text(), u"Highland"_s);
                          QCOMPARE(w.cboSchool->ListIndex(), 1);
                          QCOMPARE(w.chkDeans->Value(), 1);
                          QTest::mouseClick(w.cmdCancel, Qt::LeftButton);
                      });
    selectByData(2);
    whileStudentShown([this] { QTest::mouseClick(main().cmdDisplay, Qt::LeftButton); },
                      [](frmStudent &w) {
                          QCOMPARE(w.txtName->Text(), u"Bare"_s);
                          QCOMPARE(w.txtUnits->Text(), u"0"_s);
                          QVERIFY(w.optLevel[0].Value());
                          QVERIFY(!w.optLevel[3].Value());
                          QCOMPARE(w.lstMajor->ListIndex(), -1);
                          QCOMPARE(w.cboSchool->Text(), QString());
                          QCOMPARE(w.cboSchool->ListIndex(), -1);
                          QCOMPARE(w.chkDeans->Value(), 0);
                          QTest::mouseClick(w.cmdCancel, Qt::LeftButton);
                      });
}

void TestWindows::displayModeHidesTheActionButton()
{
    add({u"Dee"_s, u"3"_s});
    selectByData(1);
    whileStudentShown([this] { QTest::mouseClick(main().cmdDisplay, Qt::LeftButton); },
                      [](frmStudent &w) {
                          QVERIFY(!w.cmdAction->isVisible());
                          QCOMPARE(w.cmdAction->text(), u"Student Display"_s);
                          // Fields stay editable, and Enter has no button to press.
                          QVERIFY(!w.txtName->isReadOnly() && w.txtName->isEnabled());
                          QTest::keyClicks(w.txtName, u"x"_s);
                          QTest::keyClick(w.txtName, Qt::Key_Return);
                          QVERIFY(w.isVisible());
                          // Nor has a screen reader: its press would run from the posted events.
                          QAccessible::queryAccessibleInterface(w.cmdAction)
                              ->actionInterface()
                              ->doAction(QAccessibleActionInterface::pressAction());
                          QCoreApplication::sendPostedEvents();
                          QVERIFY(w.isVisible());
                          QTest::mouseClick(w.cmdCancel, Qt::LeftButton);
                      });
    QCOMPARE(list().ListCount(), 1);
    QCOMPARE(record(1)->StudentName(), u"Dee"_s); // display has no save
}

void TestWindows::removeDeletesExactlyTheSelected_data()
{
    // While the window is up, code (as a screen reader could) selects another entry or none.
    // Item data of the entry selected, 0 for no change, -1 for none selected, -2 for the
    // entry itself taken out of the list: then no other entry goes, the record does.
    QTest::addColumn<int>("selectedMeanwhile");
    QTest::newRow("as selected") << 0;
    QTest::newRow("another entry selected meanwhile") << 3;
    QTest::newRow("selection cleared meanwhile") << -1;
    QTest::newRow("its entry gone meanwhile") << -2;
}

void TestWindows::removeDeletesExactlyTheSelected()
{
    QFETCH(int, selectedMeanwhile);
    for (const QString &name : {u"Ada"_s, u"Ben"_s, u"Cy"_s})
        add({name, u"1"_s});
    selectByData(2);
    whileStudentShown([this] { QTest::mouseClick(main().cmdRemove, Qt::LeftButton); },
                      [&](frmStudent &w) {
                          if (selectedMeanwhile > 0)
                              selectByData(selectedMeanwhile);
                          else if (selectedMeanwhile == -1)
                              list().setListIndex(-1);
                          else if (selectedMeanwhile == -2)
                              list().RemoveItem(list().ListIndex());
                          QVERIFY(w.cmdAction->isVisible());
                          QCOMPARE(w.cmdAction->text(), u"Remove this Student?"_s);
                          QCOMPARE(w.txtName->Text(), u"Ben"_s);
                          QTest::mouseClick(w.cmdAction, Qt::LeftButton);
                      });
    QCOMPARE(list().ListCount(), 2);
    QCOMPARE(list().List(0), u"Ada"_s);
    QCOMPARE(list().ItemData(0), 1);
    QCOMPARE(list().List(1), u"Cy"_s);
    QCOMPARE(list().ItemData(1), 3);
    QVERIFY(!testing::students(*student())->Item(u" 1"_s)->StudentName().isEmpty());
    QCOMPARE(record(3)->StudentName(), u"Cy"_s);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, record(2));
    QVERIFY(m_program->services.errors.empty());
}

void TestWindows::codesAreNeverReused()
{
    for (const QString &name : {u"A"_s, u"B"_s, u"C"_s})
        add({name, u"1"_s});
    for (int data : {3, 2}) {
        selectByData(data);
        whileStudentShown([this] { QTest::mouseClick(main().cmdRemove, Qt::LeftButton); },
                          [](frmStudent &w) { QTest::mouseClick(w.cmdAction, Qt::LeftButton); });
    }
    add({u"D"_s, u"1"_s});
    QCOMPARE(list().ItemData(list().NewIndex()), 4);
}

void TestWindows::cancelStoresNothing()
{
    whileStudentShown([this] { QTest::mouseClick(main().cmdAdd, Qt::LeftButton); },
                      [](frmStudent &w) {
                          QTest::keyClicks(w.txtName, u"Never"_s);
                          QTest::mouseClick(w.cmdCancel, Qt::LeftButton);
                      });
    QCOMPARE(list().ListCount(), 0);
    add({u"Kept"_s, u"1"_s});
    QCOMPARE(list().ItemData(0), 1); // the cancelled add used no code
    list().setListIndex(0);
    whileStudentShown([this] { QTest::mouseClick(main().cmdRemove, Qt::LeftButton); },
                      [](frmStudent &w) {
                          w.cmdCancel->setFocus(Qt::TabFocusReason);
                          QTest::keyClick(w.cmdCancel, Qt::Key_Space);
                      });
    QCOMPARE(list().ListCount(), 1);
    QCOMPARE(testing::students(*student())->Count(), 1);
    // Opened again, the focus starts on the name box, not on the Cancel pressed last time:
    // Enter then removes.
    whileStudentShown([this] { QTest::mouseClick(main().cmdRemove, Qt::LeftButton); },
                      [](frmStudent &w) {
                          QCOMPARE(QApplication::focusWidget(), w.txtName);
                          QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                      });
    QCOMPARE(list().ListCount(), 0);
}

void TestWindows::unknownModeSetsNothingUp()
{
    add({u"Eve"_s, u"9"_s});
    list().setListIndex(0);
    whileStudentShown([this] { QTest::mouseClick(main().cmdRemove, Qt::LeftButton); },
                      [](frmStudent &w) { QTest::mouseClick(w.cmdCancel, Qt::LeftButton); });
    // The mode a window never told has, and values outside the named ones.
    for (const StudentAction mode :
         {StudentAction::None, static_cast<StudentAction>(-1), static_cast<StudentAction>(99)}) {
        whileStudentShown(
            [&] {
                student()->setAction(mode);
                student()->Show(ShowMode::Modal);
            },
            [](frmStudent &w) {
                QCOMPARE(w.cmdAction->text(), u"Remove this Student?"_s);
                QVERIFY(w.cmdAction->isVisible());
                QCOMPARE(w.txtName->Text(), u"Eve"_s);
                // The button does nothing in an unknown mode but hide the window.
                QTest::mouseClick(w.cmdAction, Qt::LeftButton);
            });
        QCOMPARE(list().ListCount(), 1);
    }
}

void TestWindows::enterInNameAddsAtOnce()
{
    whileStudentShown([this] { QTest::keyClick(main().cmdAdd, Qt::Key_Return); },
                      [](frmStudent &w) {
                          // The focus arrives with the activation, which may come after the show.
                          QTRY_COMPARE(QApplication::focusWidget(), w.txtName);
                          QTest::keyClicks(w.txtName, u"Quick"_s);
                          w.optLevel[1].setValue(true);
                          QTest::keyClick(w.txtName, Qt::Key_Return);
                      });
    QCOMPARE(list().ListCount(), 1);
    QCOMPARE(record(1)->StudentName(), u"Quick"_s);
}

void TestWindows::noSelection_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<bool>("withEntries");
    QTest::newRow("display, empty list")
        << u"cmdDisplay"_s << u"Please Select Item from list"_s << false;
    QTest::newRow("remove, empty list")
        << u"cmdRemove"_s << u"Please Select Item from the list"_s << false;
    QTest::newRow("display, none selected")
        << u"cmdDisplay"_s << u"Please Select Item from list"_s << true;
    QTest::newRow("remove, none selected")
        << u"cmdRemove"_s << u"Please Select Item from the list"_s << true;
}

void TestWindows::noSelection()
{
    QFETCH(QString, button);
    QFETCH(QString, prompt);
    QFETCH(bool, withEntries);
    if (withEntries) {
        add({u"Some"_s, u"1"_s});
        list().setListIndex(-1);
    }
    const bool studentWindowExisted = student() != nullptr;
    QTest::mouseClick(main().findChild<QPushButton *>(button), Qt::LeftButton);
    QCOMPARE(m_program->services.messages.size(), std::size_t(1));
    QCOMPARE(m_program->services.messages[0].prompt, prompt);
    QCOMPARE(m_program->services.messages[0].title, u"Student Information"_s);
    QCOMPARE(student() != nullptr, studentWindowExisted);
    QVERIFY(!student() || !student()->isVisible());
}

void TestWindows::aboutBoxOpensAndCloses()
{
    QAction *about = main().mnuAbout;
    const auto find = [this] { return m_program->about(); };
    const auto open = [about] { about->trigger(); };
    frmAbout *first = nullptr;
    QPoint movedTo; // where the user left it: it opens there again, not centred afresh
    for (int round = 0; round < 3; ++round) {
        bool closedByKey = false;
        QVERIFY(testing::whileShown(find, open, [&](QWidget &window) {
            auto &box = static_cast<frmAbout &>(window);
            if (!first) {
                first = &box;
                // It first opens in the middle of the screen, give or take the rounding.
                const QPoint off = box.geometry().center() -
                                   QGuiApplication::primaryScreen()->availableGeometry().center();
                QVERIFY2(std::abs(off.x()) <= 2 && std::abs(off.y()) <= 2,
                         qPrintable(u"%1, %2 from the middle"_s.arg(off.x()).arg(off.y())));
                movedTo = box.pos() + QPoint(37, 23);
                box.move(movedTo);
            }
            QCOMPARE(&box, first); // the same window again
            QCOMPARE(box.pos(), movedTo);
            // A close box in its title bar, nothing to minimise or maximise it with.
            constexpr Qt::WindowFlags buttons =
                Qt::CustomizeWindowHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
            QCOMPARE(box.windowFlags() & buttons,
                     Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
            QCOMPARE(QApplication::focusWidget(), box.cmdOK);
            QTest::keyClick(box.cmdOK, Qt::Key_Escape);
            QVERIFY(box.isVisible());
            const Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Space, Qt::Key_K};
            QWidget *target =
                round == 2 ? static_cast<QWidget *>(&box) : static_cast<QWidget *>(box.cmdOK);
            QTest::keyClick(target, keys[round], round == 2 ? Qt::AltModifier : Qt::NoModifier);
            // An access key presses the button with a short animation.
            closedByKey = testing::waitFor([&box] { return !box.isVisible(); });
        }));
        QVERIFY2(closedByKey, qPrintable(u"key %1 left the box open"_s.arg(round)));
        QVERIFY(!m_program->forms->frmAbout->isVisible());
        QVERIFY(m_program->forms->frmAbout.isLoaded());
        // The next round starts where a user would: back in the main window.
        QTRY_COMPARE(QApplication::activeWindow(), &main());
    }
    // The close box unloads it; the next request builds it afresh with the same content.
    QVERIFY(testing::whileShown(find, open, [](QWidget &box) { box.close(); }));
    QVERIFY(!m_program->forms->frmAbout.isLoaded());
    QVERIFY(testing::whileShown(find, open, [](QWidget &window) {
        auto &box = static_cast<frmAbout &>(window);
        QCOMPARE(box.lblVersion->text(), u"Version 1.0"_s);
        QVERIFY(!box.imgBooks->pixmap().isNull());
        // Stretched pixel for pixel: no colour on screen that the picture lacks, as smoothing
        // would blend in.
        const QSet<QRgb> drawn = colours(box.imgBooks->grab().toImage());
        QSet<QRgb> own = colours(box.imgBooks->pixmap().toImage());
        own << box.palette().color(QPalette::Window).rgb();
        QVERIFY2(own.contains(drawn), qPrintable(u"%1 colours drawn"_s.arg(drawn.size())));
        // Drawn from the 32x32 image: the 16x16 one, stretched alike, is blockier.
        const QImage grabbed =
            box.imgBooks->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QColor background = box.palette().color(QPalette::Window);
        QCOMPARE(grabbed, booksShownAs(32, grabbed.size(), background));
        QVERIFY(grabbed != booksShownAs(16, grabbed.size(), background));
        QTest::mouseClick(box.cmdOK, Qt::LeftButton);
    }));
}

void TestWindows::exitEndsTheProgram_data()
{
    QTest::addColumn<int>("path");
    QTest::addColumn<bool>("studentOpened");
    for (bool opened : {false, true}) {
        QTest::addRow("button%s", opened ? ", student window used" : "") << 0 << opened;
        QTest::addRow("menu%s", opened ? ", student window used" : "") << 1 << opened;
        QTest::addRow("close box%s", opened ? ", student window used" : "") << 2 << opened;
    }
}

void TestWindows::exitEndsTheProgram()
{
    QFETCH(int, path);
    QFETCH(bool, studentOpened);
    if (studentOpened)
        add({u"Gone"_s, u"1"_s});
    QPointer<frmStudent> studentWindow = student();
    QPointer<frmMain> mainWindow = &main();
    switch (path) {
    case 0:
        QTest::mouseClick(main().cmdExit, Qt::LeftButton);
        break;
    case 1:
        main().mnuFileExit->trigger();
        break;
    default:
        main().close();
        break;
    }
    QVERIFY(hasEnded());
    QCOMPARE(m_program->services.ends, 1);
    QVERIFY(!m_program->forms->frmMain.isLoaded());
    QVERIFY(!m_program->forms->frmStudent.isLoaded());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!mainWindow);
    QVERIFY(!studentWindow);
    // Once ended, no further handler runs.
    int ran = 0;
    dispatch([&ran] { ++ran; });
    QCOMPARE(ran, 0);
}

void TestWindows::closeBoxOfStudentWindowKeepsRecords()
{
    add({u"Stay"_s, u"8"_s});
    whileStudentShown([this] { QTest::mouseClick(main().cmdAdd, Qt::LeftButton); },
                      [](frmStudent &w) {
                          QTest::keyClicks(w.txtName, u"Typed"_s);
                          w.close();
                      });
    QVERIFY(m_program->forms->frmStudent.isLoaded());
    QCOMPARE(list().ListCount(), 1);
    list().setListIndex(0);
    whileStudentShown([this] { QTest::mouseClick(main().cmdDisplay, Qt::LeftButton); },
                      [](frmStudent &w) {
                          QCOMPARE(w.txtUnits->Text(), u"8"_s);
                          w.close();
                      });
    QVERIFY(m_program->services.errors.empty());
}

void TestWindows::failedAddIsTakenBack_data()
{
    QTest::addColumn<QString>("units");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("row"); // where the name stands once added beside "Before"
    QTest::newRow("just too large") << u"32767.5"_s << u"Aaron"_s << 0;
    QTest::newRow("large") << u"40000"_s << u"Aaron"_s << 0;
    QTest::newRow("exponent") << u"1e9"_s << u"Aaron"_s << 0;
    QTest::newRow("too small") << u"-32769"_s << u"Aaron"_s << 0;
    QTest::newRow("beyond double") << u"1e999"_s << u"Aaron"_s << 0;
    // Taken back from below the selected entry: removing the wrong row would show here.
    QTest::newRow("sorts after the selection") << u"40000"_s << u"Zelda"_s << 1;
}

void TestWindows::failedAddIsTakenBack()
{
    QFETCH(QString, units);
    QFETCH(QString, name);
    QFETCH(int, row);
    add({u"Before"_s, u"1"_s});
    list().setListIndex(0);
    whileStudentShown([this] { QTest::mouseClick(main().cmdAdd, Qt::LeftButton); },
                      [&](frmStudent &w) {
                          QTest::keyClicks(w.txtName, name);
                          QTest::keyClicks(w.txtUnits, units);
                          QTest::mouseClick(&w.optLevel[2], Qt::LeftButton);
                          QTest::mouseClick(w.cmdAction, Qt::LeftButton);
                          // Still open with what was typed; the list is as it was.
                          QVERIFY(w.isVisible());
                          QCOMPARE(w.txtName->Text(), name);
                          QCOMPARE(w.txtUnits->Text(), units);
                          QCOMPARE(list().ListCount(), 1);
                          QCOMPARE(list().List(0), u"Before"_s);
                          QCOMPARE(list().ListIndex(), 0);
                          QCOMPARE(testing::students(w)->Count(), 1);
                          w.txtUnits->clear();
                          QTest::keyClicks(w.txtUnits, u"12"_s);
                          QTest::mouseClick(w.cmdAction, Qt::LeftButton);
                      });
    QCOMPARE(m_program->services.errors, std::vector<ErrorKind>{ErrorKind::Overflow});
    QCOMPARE(m_program->services.messages.size(), std::size_t(1));
    QCOMPARE(m_program->services.messages[0].title, u"Student Information"_s);
    QCOMPARE(list().ListCount(), 2);
    QCOMPARE(list().List(row), name);
    QCOMPARE(list().ItemData(row), 3); // code 2 was used up by the failed add
    QCOMPARE(list().List(1 - row), u"Before"_s);
    QCOMPARE(list().ItemData(1 - row), 1);
    QCOMPARE(int(record(3)->UnitsCompleted()), 12);
}

void TestWindows::labelAccessKeysFocusTheirFields()
{
    whileStudentShown([this] { QTest::mouseClick(main().cmdAdd, Qt::LeftButton); },
                      [](frmStudent &w) {
                          QTest::keyClick(&w, Qt::Key_U, Qt::AltModifier);
                          QCOMPARE(QApplication::focusWidget(), w.txtUnits);
                          QTest::keyClick(&w, Qt::Key_N, Qt::AltModifier);
                          QCOMPARE(QApplication::focusWidget(), w.txtName);
                          QTest::mouseClick(w.cmdCancel, Qt::LeftButton);
                      });
}

void TestWindows::messageBoxDoesNotResetTheWindow()
{
    setMessageBox(std::make_unique<ScreenMessageBox>());
    bool boxSeen = false;
    whileStudentShown([this] { QTest::mouseClick(main().cmdAdd, Qt::LeftButton); },
                      [&](frmStudent &w) {
                          QTest::keyClicks(w.txtName, u"Half typed"_s);
                          testing::pressOkOnNextMessageBox(boxSeen);
                          w.mnuPrintStudent->trigger(); // units missing: a message box
                          // Back to the window, as a desktop does when the box closes.
                          w.activateWindow();
                          QVERIFY(QTest::qWaitFor([&w] { return testing::settleActivation(&w); },
                                                  testing::WaitLimitMs));
                          QCOMPARE(w.txtName->Text(), u"Half typed"_s);
                          QTest::mouseClick(w.cmdCancel, Qt::LeftButton);
                      });
    QVERIFY(boxSeen);
}

void TestWindows::modalWindowBlocksTheMainWindow_data()
{
    QTest::addColumn<QString>("window"); // what is up while the click happens
    QTest::addColumn<QString>("target"); // where in the main window the click lands
    QTest::addColumn<bool>("blocked");
    for (const QString &window : {u"frmStudent"_s, u"frmAbout"_s}) {
        for (const QString &target : {u"lstStudent"_s, u"cmdExit"_s})
            QTest::addRow("%s up, %s", qPrintable(window), qPrintable(target))
                << window << target << true;
    }
    // The same click reaches the list when nothing is up, so the rows above prove something.
    QTest::newRow("nothing up, lstStudent") << QString() << u"lstStudent"_s << false;
}

void TestWindows::modalWindowBlocksTheMainWindow()
{
    QFETCH(QString, window);
    QFETCH(QString, target);
    QFETCH(bool, blocked);
    add({u"Only"_s, u"1"_s});
    list().setListIndex(-1);
    QWidget *widget = main().findChild<QWidget *>(target);
    QVERIFY(widget);
    // Through the window system, as a user's click comes: Qt drops it for a blocked window.
    // QTest's widget overloads deliver straight to the widget, past that blocking.
    const auto realClick = [this, widget] {
        QTest::mouseClick(main().windowHandle(), Qt::LeftButton, Qt::NoModifier,
                          widget->mapTo(&main(), QPoint(8, 6)));
    };
    bool ran = false;
    QPointer<QWidget> shown;
    const auto inside = [&] {
        ran = true;
        realClick();
        QCoreApplication::processEvents();
        if (shown)
            shown->hide();
    };
    const auto find = [&]() -> QWidget * {
        shown = window == u"frmStudent" ? static_cast<QWidget *>(student())
                                        : m_program->forms->frmAbout.existing();
        return shown;
    };
    if (window.isEmpty()) {
        realClick();
        ran = true;
    } else {
        testing::whenActive(find, inside);
        if (window == u"frmStudent")
            QTest::mouseClick(main().cmdAdd, Qt::LeftButton);
        else
            main().mnuAbout->trigger();
    }
    QVERIFY(ran);
    QVERIFY(!hasEnded());
    QCOMPARE(list().ListIndex(), blocked ? -1 : 0);
    QCOMPARE(list().ListCount(), 1);
    QVERIFY(m_program->services.messages.empty());
}

// The names of the first stops Tab reaches from a control, that control first.
static QStringList tabStops(QWidget *widget, int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i) {
        names << widget->objectName();
        widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus) || widget->focusProxy())
            widget = widget->nextInFocusChain();
    }
    return names;
}

void TestWindows::layoutMatchesTheDesign()
{
    // Client areas and a few anchors, in pixels at 15 twips each.
    QCOMPARE(main().client()->size(), QSize(371, 213));
    QCOMPARE(main().cmdAdd->geometry(), QRect(272, 16, 81, 33));
    QCOMPARE(main().lstStudent->geometry(), QRect(56, 32, 177, 56));
    QCOMPARE(main().windowTitle(), u"Student Information"_s);
    whileStudentShown([this] { QTest::mouseClick(main().cmdAdd, Qt::LeftButton); },
                      [](frmStudent &w) {
                          QCOMPARE(w.client()->size(), QSize(352, 260));
                          QCOMPARE(w.cmdAction->geometry(), QRect(256, 160, 81, 41));
                          QCOMPARE(w.optLevel[3].parentWidget(), w.fraGrade);
                          QCOMPARE(w.lstMajor->parentWidget(), w.client());
                          QCOMPARE(w.cmdAction->text(), u"Add Student"_s);
                          QVERIFY(w.menuBar()->isVisible());
                          QTest::mouseClick(w.cmdCancel, Qt::LeftButton);
                      });
    // Tab order from the name box runs through the grade level, one stop (the first option
    // when none is on), to the buttons.
    whileStudentShown([this] { QTest::mouseClick(main().cmdAdd, Qt::LeftButton); },
                      [](frmStudent &w) {
                          QStringList expected{u"txtName"_s,   u"optLevel_0"_s, u"txtUnits"_s,
                                               u"lstMajor"_s,  u"chkDeans"_s,   u"cboSchool_edit"_s,
                                               u"cmdAction"_s, u"cmdCancel"_s};
                          QCOMPARE(tabStops(w.txtName, 8), expected);
                          // With a level on, that option is the stop, in the same place.
                          w.optLevel[3].setValue(true);
                          expected[1] = u"optLevel_3"_s;
                          QCOMPARE(tabStops(w.txtName, 8), expected);
                          QTest::mouseClick(w.cmdCancel, Qt::LeftButton);
                      });
}

SI_TEST_MAIN(TestWindows)
#include "tst_windows.moc"
