// The program on a real Wayland compositor: tests/on-weston.sh starts a private headless Weston
// and runs this with QT_QPA_PLATFORM=wayland. The headless back end has no seat, so no window
// ever gets the keyboard focus; keys go through Qt Test to a window, which hands them to its
// own focus widget as it would a keyboard's. Access keys need an active window and are left to
// tst_keyboard.

#include "ProgramFixture.h"

#include <QtTest>
#include <QWindow>

using namespace platform;
using namespace Qt::StringLiterals;

namespace {

// A compositor on a busy machine answers in its own time.
constexpr int exposeTimeout = 20000;

void press(QWidget &window, Qt::Key key)
{
    QTest::keyClick(window.windowHandle(), key);
}

void type(QWidget &window, const QString &text)
{
    for (const QChar c : text) {
        const char16_t upper = c.toUpper().unicode();
        const auto key = upper < 0x80 ? Qt::Key(upper) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, window.windowHandle(), key, QString(c), Qt::NoModifier);
    }
}

QString focusName(QWidget &window)
{
    QWidget *focus = window.focusWidget();
    return focus ? focus->objectName() : u"(none)"_s;
}

} // namespace

class TestWayland : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void addStudentAndOpenAbout();
};

void TestWayland::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), u"wayland"_s);
}

void TestWayland::cleanup()
{
    QCOMPARE(testing::visibleTopLevelCount(), 0);
}

void TestWayland::addStudentAndOpenAbout()
{
    testing::Program program;
    frmMain &main = program.main();
    QVERIFY(QTest::qWaitForWindowExposed(&main, exposeTimeout));

    // Enter in the main window presses Add; the fields are filled by keys alone.
    bool studentExposed = false;
    QStringList trail;
    testing::whenExposed([&program] { return program.student(); },
                         [&] {
                             frmStudent &w = *program.student();
                             studentExposed = QTest::qWaitForWindowExposed(&w, exposeTimeout);
                             trail << focusName(w);
                             type(w, u"Ann Lee"_s);
                             press(w, Qt::Key_Tab);
                             trail << focusName(w);
                             press(w, Qt::Key_Down);
                             press(w, Qt::Key_Down);
                             trail << focusName(w);
                             // The grade level is one tab stop.
                             press(w, Qt::Key_Tab);
                             trail << focusName(w);
                             type(w, u"30"_s);
                             press(w, Qt::Key_Tab);
                             trail << focusName(w);
                             type(w, u"b"_s); // the first major with that letter
                             press(w, Qt::Key_Return);
                             if (w.isVisible())
                                 QTimer::singleShot(0, &w, [&w] { w.Hide(); });
                         });
    press(main, Qt::Key_Return);
    QVERIFY(studentExposed);
    QCOMPARE(trail, (QStringList{u"txtName"_s, u"optLevel_0"_s, u"optLevel_2"_s, u"txtUnits"_s,
                                 u"lstMajor"_s}));
    QTRY_COMPARE_WITH_TIMEOUT(program.list().ListCount(), 1, exposeTimeout);
    QCOMPARE(program.list().List(0), u"Ann Lee"_s);
    const auto ann = program.record(1);
    QCOMPARE(int(ann->UnitsCompleted()), 30);
    QCOMPARE(int(ann->GradeLevel()), 2);
    QCOMPARE(ann->Major(), u"Business"_s);

    // The About box comes up on the compositor and Enter closes it.
    bool aboutExposed = false;
    bool closedByKey = false;
    testing::whenExposed([&program] { return program.about(); },
                         [&] {
                             frmAbout &box = *program.about();
                             aboutExposed = QTest::qWaitForWindowExposed(&box, exposeTimeout);
                             press(box, Qt::Key_Return);
                             closedByKey = QTest::qWaitFor([&box] { return !box.isVisible(); });
                             if (box.isVisible())
                                 QTimer::singleShot(0, &box, [&box] { box.Hide(); });
                         });
    main.mnuAbout->trigger();
    QVERIFY(aboutExposed);
    QVERIFY(closedByKey);
}

SI_TEST_MAIN(TestWayland)
#include "tst_wayland.moc"
