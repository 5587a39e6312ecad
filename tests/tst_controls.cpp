// The toolkit layer where it departs from Qt's defaults: sorted lists, item data, option
// arrays, the simple combo box, default buttons, modal shows and the error path.

#include "support/Heard.h"
#include "support/Probes.h"
#include "TestSupport.h"

#include "platform/controls/CheckBox.h"
#include "platform/controls/ComboBox.h"
#include "platform/controls/CommandButton.h"
#include "platform/controls/Frame.h"
#include "platform/controls/Image.h"
#include "platform/controls/Label.h"
#include "platform/controls/ListBox.h"
#include "platform/controls/ListEntries.h"
#include "platform/controls/OptionArray.h"
#include "platform/controls/TextBox.h"
#include "platform/forms/accessKey.h"
#include "platform/forms/Form.h"
#include "platform/forms/FormInstance.h"
#include "platform/services/focusReturn.h"

#include <QAccessible>
#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtTest>

#include <optional>
#include <stdexcept>

using namespace platform;
using namespace Qt::StringLiterals;
using testing::entries;

namespace {

// Three option buttons in a window of their own, recording every Click.
struct ThreeOptions
{
    ThreeOptions()
    {
        parent.resize(200, 120);
        for (int i = 0; i < 3; ++i)
            options.add(&parent, u"Option &%1"_s.arg(QChar(u'A' + i)), QRect(0, i * 30, 150, 25));
        options.setClickHandler([this](std::int16_t index) { clicks << index; });
        parent.show();
    }
    Q_DISABLE_COPY_MOVE(ThreeOptions)

    QWidget parent;
    OptionArray options{u"opt"_s};
    QList<int> clicks;
};

// Names the option buttons that took the focus while off: a screen reader would say "not
// selected" of the option the user just chose.
struct FocusWitness : QObject
{
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn && !static_cast<OptionButton *>(watched)->Value())
            offWhenFocused << watched->objectName();
        return false;
    }
    QStringList offWhenFocused;
};

// A small window whose hooks count their calls.
class ProbeForm : public Form
{
public:
    explicit ProbeForm(BorderStyle border = BorderStyle::FixedDialog,
                       CloseAction close = CloseAction::Unload)
        : Form({u"Probe"_s, 4000, 3000, border, close})
    {
        text = new TextBox(client(), u"text"_s, twipsRect(0, 0, 1500, 300));
        other = new CommandButton(client(), u"other"_s, u"&Other"_s, twipsRect(0, 600, 1200, 400));
        ok = new CommandButton(client(), u"ok"_s, u"&OK"_s, twipsRect(1500, 600, 1200, 400));
        label = new Label(client(), u"label"_s, u"&Name"_s, twipsRect(0, 1200, 800, 255),
                          Qt::AlignLeft, text);
        setTabOrder({other, text, ok, label});
        setDefaultButton(ok);
        onClick(ok, [this] { ++okClicks; });
        onClick(other, [this] { ++otherClicks; });
    }

    TextBox *text;
    CommandButton *other;
    CommandButton *ok;
    Label *label;
    int loads = 0;
    int activations = 0;
    int unloads = 0;
    int cancelUnload = 0;
    int okClicks = 0;
    int otherClicks = 0;
    std::function<void()> onActivate;

protected:
    void Form_Load() override { ++loads; }
    void Form_Activate() override
    {
        ++activations;
        if (onActivate)
            onActivate();
    }
    void Form_Unload(int &cancel) override
    {
        ++unloads;
        cancel = cancelUnload;
    }
};

// What the screen shows of a control (its window's last flush), and what it paints now.
QImage shownOf(QWidget &control)
{
    QWidget *window = control.window();
    const QRect area(control.mapTo(window, QPoint()), control.size());
    return window->screen()
        ->grabWindow(window->winId())
        .toImage()
        .copy(area)
        .convertToFormat(QImage::Format_RGB32);
}

QImage paintedOf(QWidget &control)
{
    return control.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

ErrorKind kindOf(const std::function<void()> &operation)
{
    const auto error = testing::errorOf(operation);
    return error ? error->kind() : ErrorKind(-1);
}

} // namespace

class TestControls : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_services = std::make_unique<testing::Services>(); }
    void cleanup()
    {
        m_services.reset();
        QCOMPARE(testing::visibleTopLevelCount(), 0);
    }

    void sortedInsertion_data();
    void sortedInsertion();
    void unsortedKeepsOrder();
    void itemDataFollowsItsEntry();
    void entryBlocksFollowTheEntries_data();
    void entryBlocksFollowTheEntries();
    void selectionRules();
    void badPositionsFail();
    void listKeysAndScreenReader();
    void optionArray();
    void optionArrayUserClicks();
    void optionArrayKeys_data();
    void optionArrayKeys();
    void comboSelection_data();
    void comboSelection();
    void checkBoxValues();
    void defaultButton_data();
    void defaultButton();
    void escapeDoesNothing();
    void windowKeepsItsNameMinimized();
    void accessKeys_data();
    void accessKeys();
    void labelAccessKeyFocusesPartner();
    void focusReturnsToTheFirstControlWhenItsOwnIsGone();
    void listRedrawsItsEntryWhenItTakesTheFocus();
    void labelRedrawsWhenDisabled();
    void modalShowReturnsOnHideAndUnload();
    void unloadedInstanceIsRecreated();
    void activateRunsOncePerShow();
    void failingHandlerIsReportedOnce_data();
    void failingHandlerIsReportedOnce();
    void messageBoxShowsPlainText_data();
    void messageBoxShowsPlainText();
    void longCaptionWrapsInsideButton();

private:
    std::unique_ptr<testing::Services> m_services;
};

void TestControls::sortedInsertion_data()
{
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("lastNewIndex");

    QTest::newRow("case ignored") << QStringList{u"bob"_s, u"Carol"_s, u"alice"_s}
                                  << QStringList{u"alice"_s, u"bob"_s, u"Carol"_s} << 0;
    QTest::newRow("equal names after earlier ones")
        << QStringList{u"Ann"_s, u"ann"_s, u"ANN"_s} << QStringList{u"Ann"_s, u"ann"_s, u"ANN"_s}
        << 2;
    QTest::newRow("accents sort with their letter")
        << QStringList{u"Zoe"_s, u"\u00c9mile"_s, u"Eve"_s, u"Fred"_s}
        << QStringList{u"\u00c9mile"_s, u"Eve"_s, u"Fred"_s, u"Zoe"_s} << 2;
    QTest::newRow("empty name first")
        << QStringList{u"Bea"_s, u""_s} << QStringList{u""_s, u"Bea"_s} << 0;
    QTest::newRow("blanks before letters")
        << QStringList{u"a"_s, u"   "_s} << QStringList{u"   "_s, u"a"_s} << 0;
}

void TestControls::sortedInsertion()
{
    QFETCH(QStringList, added);
    QFETCH(QStringList, expected);
    QFETCH(int, lastNewIndex);

    QWidget parent;
    ListBox list(&parent, u"list"_s, QRect(0, 0, 100, 100), Sorting::Sorted);
    QCOMPARE(list.NewIndex(), -1); // nothing added yet
    for (const QString &name : added)
        list.AddItem(name);
    QCOMPARE(entries(list), expected);
    QCOMPARE(list.NewIndex(), lastNewIndex);
    QCOMPARE(list.List(list.NewIndex()), added.last());
}

void TestControls::unsortedKeepsOrder()
{
    QWidget parent;
    ListBox list(&parent, u"list"_s, QRect(0, 0, 100, 100), Sorting::Unsorted);
    for (const QString &name : {u"b"_s, u"a"_s, u"c"_s})
        list.AddItem(name);
    QCOMPARE(entries(list), (QStringList{u"b"_s, u"a"_s, u"c"_s}));
    QCOMPARE(list.NewIndex(), 2);
}

void TestControls::entryBlocksFollowTheEntries_data()
{
    // Entries added at the end, or taken from the front or the back, so many at a time.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("blocks");
    // A block holds 512; the 513th splits it in two halves, 256 and 257. Two neighbours
    // that hold 256 between them join when an entry is taken from either.
    QTest::newRow("512 in one block") << QStringList{u"add 512"_s} << 1;
    QTest::newRow("the 513th splits it") << QStringList{u"add 513"_s} << 2;
    QTest::newRow("a second split") << QStringList{u"add 769"_s} << 3;
    QTest::newRow("an emptied block goes") << QStringList{u"add 513"_s, u"back 257"_s} << 1;
    QTest::newRow("the first emptied goes") << QStringList{u"add 513"_s, u"front 256"_s} << 1;
    QTest::newRow("from the front, one short of joining")
        << QStringList{u"add 513"_s, u"back 200"_s, u"front 56"_s} << 2;
    QTest::newRow("from the front, joining the next")
        << QStringList{u"add 513"_s, u"back 200"_s, u"front 57"_s} << 1;
    QTest::newRow("from the back, one short of joining")
        << QStringList{u"add 513"_s, u"front 200"_s, u"back 56"_s} << 2;
    QTest::newRow("from the back, joining the one before")
        << QStringList{u"add 513"_s, u"front 200"_s, u"back 57"_s} << 1;
}

void TestControls::entryBlocksFollowTheEntries()
{
    QFETCH(QStringList, steps);
    QFETCH(int, blocks);
    platform::ListEntries entries;
    QList<int> kept; // each entry's data, in order
    int next = 0;
    for (const QString &step : steps) {
        const QStringList parts = step.split(u' ');
        for (int i = 0; i < parts[1].toInt(); ++i) {
            if (parts[0] == u"add") {
                entries.insert(entries.size(), {QString::number(next), next});
                kept.append(next++);
            } else if (parts[0] == u"front") {
                entries.erase(0);
                kept.removeFirst();
            } else {
                entries.erase(entries.size() - 1);
                kept.removeLast();
            }
        }
    }
    QList<int> found;
    for (int row = 0; row < entries.size(); ++row) {
        QCOMPARE(entries.at(row).text, QString::number(entries.at(row).data));
        found.append(entries.at(row).data);
    }
    QCOMPARE(found, kept);
    QCOMPARE(entries.blockCount(), blocks);
}

void TestControls::itemDataFollowsItsEntry()
{
    QWidget parent;
    ListBox list(&parent, u"list"_s, QRect(0, 0, 100, 100), Sorting::Sorted);
    const QList<std::pair<QString, std::int32_t>> people{
        {u"Mia"_s, 1}, {u"Abe"_s, 2}, {u"Zed"_s, 3}, {u"Kim"_s, -7}, {u"Abe"_s, 2147483647}};
    for (const auto &[name, data] : people) {
        list.AddItem(name);
        QCOMPARE(list.ItemData(list.NewIndex()), 0); // until set
        list.setItemData(list.NewIndex(), data);
    }
    list.RemoveItem(list.findExact(u"Mia"_s));
    QCOMPARE(list.NewIndex(), -1); // a remove adds nothing
    QMap<std::int32_t, QString> byData;
    for (int i = 0; i < list.ListCount(); ++i)
        byData.insert(list.ItemData(i), list.List(i));
    QCOMPARE(byData.value(2), u"Abe"_s);
    QCOMPARE(byData.value(2147483647), u"Abe"_s);
    QCOMPARE(byData.value(3), u"Zed"_s);
    QCOMPARE(byData.value(-7), u"Kim"_s);
    QVERIFY(!byData.contains(1));
    // The second "Abe" was added after the first, so it stands after it.
    QCOMPARE(list.ItemData(0), 2);
    QCOMPARE(list.ItemData(1), 2147483647);

    // Many, then most removed from all over: the entries' storage splits and joins on the way.
    ListBox many(&parent, u"many"_s, QRect(0, 0, 100, 100), Sorting::Sorted);
    QMap<QString, std::int32_t> expected; // by name, in the list's order
    for (int i = 0; i < 2000; ++i) {
        const QString name = u"n%1"_s.arg(i * 7919 % 2000, 4, 10, QLatin1Char('0'));
        many.AddItem(name);
        many.setItemData(many.NewIndex(), i);
        expected.insert(name, i);
    }
    for (int i = 0; i < 1900; ++i) {
        const int row = i * 31 % int(expected.size());
        many.RemoveItem(row);
        expected.erase(std::next(expected.begin(), row));
    }
    QStringList found, wanted;
    for (int i = 0; i < many.ListCount(); ++i)
        found << u"%1=%2"_s.arg(many.List(i)).arg(many.ItemData(i));
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        wanted << u"%1=%2"_s.arg(it.key()).arg(it.value());
    QCOMPARE(found, wanted);
}

void TestControls::selectionRules()
{
    QWidget parent;
    ListBox list(&parent, u"list"_s, QRect(0, 0, 100, 100), Sorting::Sorted);
    QCOMPARE(list.ListIndex(), -1);
    QCOMPARE(list.Text(), QString());
    for (const QString &name : {u"a"_s, u"b"_s, u"c"_s})
        list.AddItem(name);
    list.setText(u"b"_s);
    QCOMPARE(list.ListIndex(), 1);
    QCOMPARE(list.Text(), u"b"_s);
    QCOMPARE(list.ItemData(1), 0); // until the program gives it data
    list.setText(u"B"_s);          // exact text only
    QCOMPARE(list.ListIndex(), -1);
    list.setListIndex(2);
    list.AddItem(u"0"_s); // the selection stays on its entry
    QCOMPARE(list.Text(), u"c"_s);
    list.RemoveItem(list.ListIndex());
    QCOMPARE(list.ListIndex(), -1);
    // Focus alone must not select anything.
    parent.show();
    list.setFocus();
    QCOMPARE(list.ListIndex(), -1);
    // Three entries fit: nothing to scroll.
    QScrollBar *bar = list.verticalScrollBar();
    QCOMPARE(bar->maximum(), 0);
    // Past what fits, the scroll bar's arrow moves one entry at a time.
    for (int i = 0; i < 10; ++i)
        list.AddItem(u"z%1"_s.arg(i));
    QVERIFY(bar->maximum() > 1);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(bar->value(), 1);
    // A larger font fits fewer entries: the scroll bar reaches further at once.
    const int fitting = bar->maximum();
    QFont larger = list.font();
    larger.setPixelSize(3 * list.fontMetrics().height());
    list.setFont(larger);
    QVERIFY(bar->maximum() > fitting);
}

void TestControls::badPositionsFail()
{
    QWidget parent;
    ListBox list(&parent, u"list"_s, QRect(0, 0, 100, 100), Sorting::Sorted);
    list.AddItem(u"only"_s);
    QCOMPARE(kindOf([&] { list.RemoveItem(-1); }), ErrorKind::InvalidArgument);
    QCOMPARE(kindOf([&] { list.RemoveItem(1); }), ErrorKind::InvalidArgument);
    QCOMPARE(kindOf([&] { list.ItemData(5); }), ErrorKind::InvalidArgument);
    QCOMPARE(kindOf([&] { list.setListIndex(-2); }), ErrorKind::InvalidArgument);
    QCOMPARE(kindOf([&] { list.List(-2); }), ErrorKind::InvalidArgument);
    // Reading is gentler: no entry and past the end read as empty text.
    QCOMPARE(list.List(-1), QString());
    QCOMPARE(list.List(1), QString());
    QCOMPARE(list.ListCount(), 1);
    OptionArray options(u"opt"_s);
    options.add(&parent, u"one"_s, QRect());
    QCOMPARE(kindOf([&] { options[4].setValue(true); }), ErrorKind::InvalidArgument);
}

void TestControls::listKeysAndScreenReader()
{
    QWidget parent;
    parent.resize(200, 200);
    ListBox list(&parent, u"list"_s, QRect(0, 0, 120, 60), Sorting::Sorted);
    for (int i = 0; i < 30; ++i)
        list.AddItem(u"Entry %1"_s.arg(i, 2, 10, QLatin1Char('0')));
    list.AddItem(u"Zoe"_s);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent, testing::WaitLimitMs));
    std::optional<testing::Heard> heard(std::in_place);
    list.setFocus(Qt::TabFocusReason);
    const auto shown = [&list] {
        return list.viewport()->rect().contains(list.entryRect(list.ListIndex()));
    };
    // Reached by keyboard, the list names the entry it stands on, not yet selected.
    QTRY_VERIFY_WITH_TIMEOUT(heard->namesEntry(0), testing::WaitLimitMs);
    QCOMPARE(list.ListIndex(), -1);
    heard->take();
    // Selecting the entry it stands on moves no focus, yet a screen reader must hear it.
    QTest::keyClick(&list, Qt::Key_Home);
    QCOMPARE(list.ListIndex(), 0);
    QVERIFY(heard->namesEntry(0));
    heard->take();

    QTest::keyClick(&list, Qt::Key_End);
    QCOMPARE(list.Text(), u"Zoe"_s);
    QVERIFY(shown());
    QTest::keyClick(&list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"Zoe"_s);
    QCOMPARE(heard->take(),
             QStringList({u"Focus 30"_s, u"SelectionAdd 30"_s, u"SelectionRemove 0"_s}));
    // Without a screen reader the entries below go stale when a row moves (read on).
    heard.reset();
    QTest::keyClick(&list, Qt::Key_Home);
    QCOMPARE(list.ListIndex(), 0);
    QVERIFY(shown());
    QTest::keyClick(&list, Qt::Key_PageDown);
    QVERIFY(list.ListIndex() > 1);
    QVERIFY(shown());
    QTest::keyClick(&list, Qt::Key_PageUp);
    QCOMPARE(list.ListIndex(), 0);
    QTest::keyClick(&list, Qt::Key_Z);
    QCOMPARE(list.Text(), u"Zoe"_s);
    // Enter goes on to the window, whose default button takes it.
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&list, &enter);
    QVERIFY(!enter.isAccepted());

    // A screen reader sees the entries as they are now, not as they were when first read.
    QAccessibleInterface *node = QAccessible::queryAccessibleInterface(&list);
    QVERIFY(node);
    QCOMPARE(node->role(), QAccessible::List);
    QCOMPARE(node->child(0)->text(QAccessible::Name), u"Entry 00"_s);
    QAccessibleInterface *second = node->child(1);
    QCOMPARE(second->text(QAccessible::Name), u"Entry 01"_s);
    const QAccessible::Id secondId = QAccessible::uniqueId(second);
    list.RemoveItem(0);
    // Read before its row moved, the entry goes stale rather than name its new neighbour.
    QVERIFY(!second->isValid());
    list.AddItem(u"Abe"_s);
    // The keyboard still stands on the entry it stood on.
    QCOMPARE(node->child(30)->text(QAccessible::Name), u"Zoe"_s);
    QVERIFY(!QAccessible::accessibleInterface(secondId)); // the stale entry is let go
    QVERIFY(node->child(30)->state().focused);
    list.setListIndex(2);
    QVERIFY(shown()); // selected from code, it is brought into sight
    QCOMPARE(node->childCount(), 31);
    QCOMPARE(node->child(0)->role(), QAccessible::ListItem);
    QCOMPARE(node->child(0)->indexOfChild(node), -1); // an entry holds nothing
    QCOMPARE(node->child(0)->text(QAccessible::Name), u"Abe"_s);
    QCOMPARE(node->child(1)->text(QAccessible::Name), u"Entry 01"_s);
    QVERIFY(node->child(2)->state().selected);
    QVERIFY(!node->child(1)->state().selected);
    QCOMPARE(node->indexOfChild(node->child(30)), 30);

    // A list without the focus changes its selection without moving a screen reader there.
    parent.setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(!list.hasFocus(), testing::WaitLimitMs);
    QVERIFY(!node->child(2)->state().focused); // still the keyboard's entry, no longer focused
    heard.emplace();
    list.setListIndex(5);
    QCOMPARE(heard->take(), QStringList({u"SelectionAdd 5"_s, u"SelectionRemove 2"_s}));
    // With a screen reader, an entry read keeps its identity across rows taken and added above.
    QAccessibleInterface *chosen = node->child(5);
    const QString chosenName = chosen->text(QAccessible::Name);
    list.RemoveItem(0);
    list.AddItem(u"Ann"_s);
    QCOMPARE(heard->take(), QStringList({u"ObjectDestroyed -1"_s, u"TableModelChanged 0"_s,
                                         u"ObjectCreated 0"_s, u"TableModelChanged 0"_s}));
    QVERIFY(chosen->isValid());
    QCOMPARE(chosen->text(QAccessible::Name), chosenName);
    QCOMPARE(node->indexOfChild(chosen), 5);
    QVERIFY(chosen->state().selected);
    list.AddItem(chosenName.chopped(1) + u"4a"_s); // sorts just before it, at its row
    QCOMPARE(node->indexOfChild(chosen), 6);
    list.RemoveItem(5);
    QCOMPARE(node->indexOfChild(chosen), 5);
    QCOMPARE(chosen->text(QAccessible::Name), chosenName);

    // Letters typed in quick succession search together; the first from the top, with no
    // entry current yet.
    ListBox names(&parent, u"names"_s, QRect(0, 80, 120, 60), Sorting::Sorted);
    // Empty, it has no entry to name when it takes the focus.
    names.show();
    heard->take();
    names.setFocus(Qt::TabFocusReason);
    QTRY_VERIFY_WITH_TIMEOUT(names.hasFocus(), testing::WaitLimitMs);
    // The announcement would be queued for the next pass: one pass shows it was never sent.
    QCoreApplication::processEvents();
    QCOMPARE(heard->take(), QStringList());
    QTest::keyClick(&names, Qt::Key_C, Qt::ControlModifier); // nothing to copy
    QCOMPARE(QGuiApplication::clipboard()->text(), u"Zoe"_s);
    for (const QString &name : {u"Bea"_s, u"Ann"_s, u"Zed"_s, u"Amy"_s})
        names.AddItem(name);
    const auto restore = qScopeGuard([interval = QApplication::keyboardInputInterval()] {
        QApplication::setKeyboardInputInterval(interval);
    });
    QApplication::setKeyboardInputInterval(60000); // however slow the machine
    QTest::keyClick(&names, Qt::Key_A);
    QCOMPARE(names.Text(), u"Amy"_s);
    QTest::keyClicks(&names, u"nz"_s); // "an", then "anz", which starts no name
    QCOMPARE(names.Text(), u"Ann"_s);
    // One entry high, so that a page is one entry.
    ListBox letters(&parent, u"letters"_s, QRect(130, 0, 60, 24), Sorting::Sorted);
    // Empty, the keys find nothing; with one entry, they find it.
    QTest::keyClick(&letters, Qt::Key_Down);
    QTest::keyClick(&letters, Qt::Key_A);
    QCOMPARE(letters.ListIndex(), -1);
    letters.AddItem(u"Amy"_s);
    QTest::keyClick(&letters, Qt::Key_A);
    QCOMPARE(letters.ListIndex(), 0);
    letters.setListIndex(-1);
    QTest::keyClick(&letters, Qt::Key_Down);
    QCOMPARE(letters.ListIndex(), 0);
    for (const QString &name : {u"Cy"_s, u"Bea"_s, u"Ann"_s})
        letters.AddItem(name);
    // The same letter again moves on, round to the first name it starts.
    letters.setListIndex(0);
    QStringList visited;
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(&letters, Qt::Key_A);
        visited.append(letters.Text());
    }
    QCOMPARE(visited, QStringList({u"Ann"_s, u"Amy"_s, u"Ann"_s}));
    QTest::keyClick(&letters, Qt::Key_PageDown);
    QCOMPARE(letters.Text(), u"Bea"_s);
}

void TestControls::optionArray()
{
    QWidget parent;
    OptionArray options(u"optLevel"_s);
    for (int i = 0; i < 4; ++i)
        options.add(&parent, u"Option %1"_s.arg(i), QRect(0, i * 20, 100, 20));
    QList<int> clicks;
    options.setClickHandler([&](std::int16_t index) { clicks << index; });
    QCOMPARE(options[2].objectName(), u"optLevel_2"_s);

    options[2].setValue(true);
    QCOMPARE(clicks, QList<int>{2});
    options[3].setValue(true);
    QCOMPARE(clicks, (QList<int>{2, 3}));
    QVERIFY(!options[2].Value());
    QVERIFY(options[3].Value());

    for (int i = 0; i < 4; ++i)
        options[i].setValue(false);
    QCOMPARE(clicks.size(), 2); // clearing raises nothing
    for (int i = 0; i < 4; ++i)
        QVERIFY(!options[i].Value());
}

void TestControls::optionArrayUserClicks()
{
    ThreeOptions three;
    OptionArray &options = three.options;
    const QList<int> &clicks = three.clicks;
    QVERIFY(QTest::qWaitForWindowExposed(&three.parent, testing::WaitLimitMs));

    QTest::mouseClick(&options[1], Qt::LeftButton);
    QTest::mouseClick(&options[1], Qt::LeftButton); // a second click keeps it selected
    QVERIFY(options[1].Value());
    options[1].setFocus();
    QTest::keyClick(&options[1], Qt::Key_Down);
    QVERIFY(options[2].Value());
    QVERIFY(!options[1].Value());
    QCOMPARE(clicks, (QList<int>{1, 1, 2}));
}

// Every way an option turns on: the keys first, then the mouse, code and a screen reader.
void TestControls::optionArrayKeys_data()
{
    QTest::addColumn<int>("start"); // on from code first; -1: the aimed one set on, then off
    QTest::addColumn<QString>("way");
    QTest::addColumn<int>("aim"); // the element clicked, focused, toggled or set
    QTest::addColumn<int>("expected");
    QTest::newRow("click") << 0 << u"click"_s << 1 << 1;
    QTest::newRow("click on the element already on") << 1 << u"click"_s << 1 << 1;
    QTest::newRow("Space") << 0 << u"Space"_s << 2 << 2;
    QTest::newRow("down") << 0 << u"Down"_s << 0 << 1;
    QTest::newRow("right") << 1 << u"Right"_s << 1 << 2;
    QTest::newRow("down from the last wraps") << 2 << u"Down"_s << 2 << 0;
    QTest::newRow("right from the last wraps") << 2 << u"Right"_s << 2 << 0;
    QTest::newRow("up") << 2 << u"Up"_s << 2 << 1;
    QTest::newRow("up from the first wraps") << 0 << u"Up"_s << 0 << 2;
    QTest::newRow("left from the first wraps") << 0 << u"Left"_s << 0 << 2;
    // Set off from code first: the arrows still move on from the focused button.
    QTest::newRow("from a button set off") << -1 << u"Down"_s << 0 << 1;
    QTest::newRow("access key") << 0 << u"access key"_s << 2 << 2;
    QTest::newRow("access key on the element already on") << 2 << u"access key"_s << 2 << 2;
    QTest::newRow("Value set from code") << 0 << u"setValue"_s << 1 << 1;
    QTest::newRow("Value set on the element already on") << 1 << u"setValue"_s << 1 << 1;
    QTest::newRow("selected from code with none on") << -1 << u"select"_s << 2 << 2;
    // Qt offers a radio button's Toggle action, which turns it on without a click.
    QTest::newRow("screen reader's toggle") << 0 << u"toggle"_s << 1 << 1;
    QTest::newRow("screen reader's toggle with none on") << -1 << u"toggle"_s << 2 << 2;
    QTest::newRow("screen reader's press") << 0 << u"press"_s << 2 << 2;
}

void TestControls::optionArrayKeys()
{
    QFETCH(int, start);
    QFETCH(QString, way);
    QFETCH(int, aim);
    QFETCH(int, expected);
    ThreeOptions three;
    OptionArray &options = three.options;
    QList<int> &clicks = three.clicks;
    three.parent.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&three.parent, testing::WaitLimitMs));
    options[start < 0 ? aim : start].setValue(true);
    if (start < 0)
        options[aim].setValue(false);
    clicks.clear();
    // An access key comes from elsewhere: the focus must find its element already on.
    OptionButton &focused = way == u"access key" ? options[(aim + 1) % 3] : options[aim];
    focused.setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(focused.hasFocus(), testing::WaitLimitMs);
    FocusWitness witness;
    for (int i = 0; i < 3; ++i)
        options[i].installEventFilter(&witness);

    const QHash<QString, Qt::Key> keys{{u"Space"_s, Qt::Key_Space},
                                       {u"Down"_s, Qt::Key_Down},
                                       {u"Right"_s, Qt::Key_Right},
                                       {u"Up"_s, Qt::Key_Up},
                                       {u"Left"_s, Qt::Key_Left}};
    QAccessibleActionInterface *actions =
        QAccessible::queryAccessibleInterface(&options[aim])->actionInterface();
    QVERIFY(actions);
    if (keys.contains(way)) {
        QTest::keyClick(&options[aim], keys.value(way));
    } else if (way == u"click") {
        QTest::mouseClick(&options[aim], Qt::LeftButton);
    } else if (way == u"access key") {
        QTest::keyClick(&three.parent, Qt::Key(Qt::Key_A + aim), Qt::AltModifier);
    } else if (way == u"setValue") {
        options[aim].setValue(true);
    } else if (way == u"select") {
        options.select(aim);
    } else if (way == u"toggle") {
        QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
        actions->doAction(QAccessibleActionInterface::toggleAction());
    } else if (way == u"press") {
        actions->doAction(QAccessibleActionInterface::pressAction());
    } else {
        QFAIL("unknown way");
    }
    // The access key and the press action click after a short animation.
    QVERIFY(QTest::qWaitFor([&clicks] { return !clicks.isEmpty(); }, testing::WaitLimitMs));
    QCOMPARE(clicks, QList<int>{expected});
    for (int i = 0; i < 3; ++i)
        QCOMPARE(options[i].Value(), i == expected);
    // The arrows take the focus along; every other way leaves it on the element it aimed at.
    QTRY_VERIFY_WITH_TIMEOUT(options[expected].hasFocus(), testing::WaitLimitMs);
    QVERIFY(witness.offWhenFocused.isEmpty());
    // One tab stop for the array: the element on.
    for (int i = 0; i < 3; ++i)
        QCOMPARE(bool(options[i].focusPolicy() & Qt::TabFocus), i == expected);
    // Off from code leaves every element off; a click then turns one on again.
    options[expected].setValue(false);
    for (int i = 0; i < 3; ++i) {
        QVERIFY(!options[i].Value());
        // With none on, the tab stop is the first element.
        QCOMPARE(bool(options[i].focusPolicy() & Qt::TabFocus), i == 0);
    }
    QTest::mouseClick(&options[expected], Qt::LeftButton);
    QVERIFY(options[expected].Value());
}

void TestControls::comboSelection_data()
{
    // Entries, sorted: Franklin (0), Midtown (1), West Highland (2).
    QTest::addColumn<QString>("start");   // put in the edit field from code first
    QTest::addColumn<QString>("gesture"); // what the user or the program does
    QTest::addColumn<int>("row");         // the entry it aims at
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("listIndex");
    QTest::addColumn<QString>("text");

    QTest::newRow("code: exact text selects")
        << u""_s << u"setText"_s << -1 << u"Midtown"_s << 1 << u"Midtown"_s;
    QTest::newRow("code: other case selects none")
        << u"Midtown"_s << u"setText"_s << -1 << u"midtown"_s << -1 << u"midtown"_s;
    QTest::newRow("code: the same text again selects the entry added for it")
        << u"Midtown High"_s << u"add, setText"_s << -1 << u"Midtown High"_s << 2
        << u"Midtown High"_s;
    QTest::newRow("code: -1 empties a typed text")
        << u"midtown"_s << u"setListIndex"_s << -1 << u""_s << -1 << u""_s;
    QTest::newRow("code: an entry shows its text")
        << u"Midtown"_s << u"setListIndex"_s << 0 << u""_s << 0 << u"Franklin"_s;
    QTest::newRow("typed: exact text selects")
        << u""_s << u"type"_s << -1 << u"Franklin"_s << 0 << u"Franklin"_s;
    QTest::newRow("typed: a longer text selects none, and stays")
        << u"Franklin"_s << u"type"_s << -1 << u" East"_s << -1 << u"Franklin East"_s;
    QTest::newRow("pasted: exact text selects")
        << u""_s << u"paste"_s << -1 << u"Midtown"_s << 1 << u"Midtown"_s;
    QTest::newRow("undo back to an entry's text selects it")
        << u"Midtown"_s << u"undo"_s << -1 << u" East"_s << 1 << u"Midtown"_s;
    QTest::newRow("screen reader sets an entry's text")
        << u"Franklin East"_s << u"reader setText"_s << -1 << u"Midtown"_s << 1 << u"Midtown"_s;
    QTest::newRow("screen reader sets a text of no entry")
        << u"Midtown"_s << u"reader setText"_s << -1 << u"Midtown High"_s << -1
        << u"Midtown High"_s;
    QTest::newRow("screen reader inserts the rest of an entry's text")
        << u"Mid"_s << u"reader insertText"_s << -1 << u"town"_s << 1 << u"Midtown"_s;
    // For the reader's deletes and reads, row is the offset where the text in typed starts.
    QTest::newRow("screen reader deletes a doubled blank")
        << u"West  Highland"_s << u"reader deleteText"_s << 4 << u" "_s << 2 << u"West Highland"_s;
    QTest::newRow("screen reader reads a word inside the text")
        << u"West Highland"_s << u"reader text"_s << 5 << u"High"_s << 2 << u"West Highland"_s;
    QTest::newRow("screen reader reads the selected last word")
        << u"West Highland"_s << u"reader selection"_s << 5 << u"Highland"_s << 2
        << u"West Highland"_s;
    QTest::newRow("screen reader selects a word, lets it go and moves the caret")
        << u"West Highland"_s << u"reader moves the selection"_s << 5 << u"Highland"_s << 2
        << u"West Highland"_s;
    QTest::newRow("click selects and shows")
        << u"Franklin East"_s << u"click"_s << 2 << u""_s << 2 << u"West Highland"_s;
    QTest::newRow("click on the top edge of the first entry")
        << u""_s << u"click top"_s << 0 << u""_s << 0 << u"Franklin"_s;
    QTest::newRow("click on the left edge of an entry")
        << u""_s << u"click left edge"_s << 1 << u""_s << 1 << u"Midtown"_s;
    // A second "Midtown" is added first; it stands after the first one.
    QTest::newRow("click on the second of two equal entries keeps it")
        << u"Franklin"_s << u"click equal"_s << 2 << u""_s << 2 << u"Midtown"_s;
    QTest::newRow("Down in the edit field moves on")
        << u"Franklin"_s << u"Down"_s << -1 << u""_s << 1 << u"Midtown"_s;
    QTest::newRow("drag from one entry to another")
        << u"Franklin"_s << u"drag"_s << 2 << u""_s << 2 << u"West Highland"_s;
    QTest::newRow("drag off the list's side selects nothing there")
        << u"Franklin"_s << u"drag off the side"_s << 2 << u""_s << 0 << u"Franklin"_s;
    QTest::newRow("drag from a typed text")
        << u"Fr"_s << u"drag"_s << 1 << u""_s << 1 << u"Midtown"_s;
    // The list is left with Franklin alone; the press is on the empty space under it.
    QTest::newRow("drag past the bottom of a list of one selects its entry")
        << u""_s << u"drag below one"_s << 0 << u""_s << 0 << u"Franklin"_s;
    QTest::newRow("Ctrl+click on the selected entry empties the field")
        << u"Midtown"_s << u"Ctrl+click"_s << 1 << u""_s << -1 << u""_s;
    QTest::newRow("Ctrl+click on another entry selects it")
        << u"Midtown"_s << u"Ctrl+click"_s << 0 << u""_s << 0 << u"Franklin"_s;
    QTest::newRow("screen reader selects a row")
        << u"Franklin East"_s << u"reader select"_s << 1 << u""_s << 1 << u"Midtown"_s;
    QTest::newRow("screen reader clears the selected row")
        << u"Midtown"_s << u"reader clear"_s << 1 << u""_s << -1 << u""_s;
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    QTest::newRow("screen reader selects through the selection interface")
        << u"Franklin East"_s << u"reader selection select"_s << 2 << u""_s << 2
        << u"West Highland"_s;
    QTest::newRow("screen reader clears through the selection interface")
        << u"Midtown"_s << u"reader selection clear"_s << -1 << u""_s << -1 << u""_s;
#endif
}

void TestControls::comboSelection()
{
    QFETCH(QString, start);
    QFETCH(QString, gesture);
    QFETCH(int, row);
    QFETCH(QString, typed);
    QFETCH(int, listIndex);
    QFETCH(QString, text);

    QWidget parent;
    parent.resize(200, 200);
    ComboBox combo(&parent, u"cbo"_s, QRect(0, 0, 120, 120), Sorting::Sorted);
    for (const QString &school : {u"Midtown"_s, u"Franklin"_s, u"West Highland"_s})
        combo.AddItem(school);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent, testing::WaitLimitMs));
    combo.setText(start);

    ListBox *list = combo.findChild<ListBox *>(u"cbo_list"_s);
    QLineEdit *edit = combo.findChild<QLineEdit *>(u"cbo_edit"_s);
    QVERIFY(list && edit);
    QAccessibleTableInterface *table =
        QAccessible::queryAccessibleInterface(list)->tableInterface();
    QVERIFY(table);
    const QRect targetRect = list->entryRect(row);
    // One pixel in from the top left corner: Qt Test clicks the centre for (0, 0).
    const QPoint target = gesture == u"click top"         ? targetRect.topLeft() + QPoint(1, 0)
                          : gesture == u"click left edge" ? QPoint(0, targetRect.center().y())
                          : gesture == u"drag off the side"
                              ? QPoint(list->viewport()->width(), targetRect.center().y())
                              : targetRect.center();
    if (gesture == u"setText") {
        combo.setText(typed);
    } else if (gesture == u"add, setText") {
        combo.AddItem(typed);
        combo.setText(typed);
    } else if (gesture == u"setListIndex") {
        combo.setListIndex(row);
    } else if (gesture == u"type") {
        QTest::keyClicks(edit, typed);
    } else if (gesture == u"paste") {
        QGuiApplication::clipboard()->setText(typed);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    } else if (gesture == u"undo") {
        QTest::keyClicks(edit, typed);
        QCOMPARE(combo.ListIndex(), -1);
        QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    } else if (gesture == u"reader setText") {
        QAccessible::queryAccessibleInterface(edit)->setText(QAccessible::Value, typed);
    } else if (gesture == u"reader insertText") {
        QAccessibleEditableTextInterface *editable =
            QAccessible::queryAccessibleInterface(edit)->editableTextInterface();
        QVERIFY(editable);
        editable->insertText(int(edit->text().size()), typed);
    } else if (gesture == u"reader deleteText" || gesture == u"reader text" ||
               gesture == u"reader selection") {
        QAccessibleInterface *field = QAccessible::queryAccessibleInterface(edit);
        const int end = row + int(typed.size());
        if (gesture == u"reader deleteText") {
            field->editableTextInterface()->deleteText(row, end);
        } else if (gesture == u"reader text") {
            QCOMPARE(field->textInterface()->text(row, end), typed);
            // A screen reader's pointer finds each character inside the field; past the end none.
            const QRect shown(edit->mapToGlobal(QPoint(0, 0)), edit->size());
            QVERIFY(shown.contains(field->textInterface()->characterRect(row)));
            QVERIFY(field->textInterface()->characterRect(edit->text().size()).isEmpty());
        } else {
            // The user selects the last word; the reader asks where the selection lies.
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key_End);
            QTest::keyClick(edit, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
            int from = -1;
            int to = -1;
            field->textInterface()->selection(0, &from, &to);
            // A field has one selection; asked for a second, it answers an empty one.
            int secondFrom = -1;
            int secondTo = -1;
            field->textInterface()->selection(1, &secondFrom, &secondTo);
            QCOMPARE(QList<int>({from, to, field->textInterface()->selectionCount(), secondFrom,
                                 secondTo}),
                     QList<int>({row, end, 1, 0, 0}));
        }
    } else if (gesture == u"reader moves the selection") {
        QAccessibleTextInterface *field =
            QAccessible::queryAccessibleInterface(edit)->textInterface();
        const int end = row + int(typed.size());
        const auto selected = [field] {
            int from = -2;
            int to = -2;
            field->selection(0, &from, &to);
            return QList<int>({from, to, field->selectionCount()});
        };
        field->addSelection(row, end);
        QCOMPARE(selected(), QList<int>({row, end, 1}));
        // A field has one selection: a second is neither removed nor set.
        field->removeSelection(1);
        field->setSelection(1, 0, 1);
        QCOMPARE(selected(), QList<int>({row, end, 1}));
        field->setSelection(0, 1, row);
        QCOMPARE(selected(), QList<int>({1, row, 1}));
        field->removeSelection(0);
        QCOMPARE(selected(), QList<int>({-1, -1, 0}));
        field->setCursorPosition(end);
        QCOMPARE(edit->cursorPosition(), end);
        field->scrollToSubstring(row, end);
        QCOMPARE(edit->cursorPosition(), row);
        // The reader's pointer on a character finds that character's offset.
        QCOMPARE(field->offsetAtPoint(field->characterRect(end - 1).center()), end - 1);
    } else if (gesture == u"click" || gesture == u"click top" || gesture == u"click left edge") {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, target);
    } else if (gesture == u"click equal") {
        combo.AddItem(u"Midtown"_s);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, target);
    } else if (gesture == u"Ctrl+click") {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, target);
    } else if (gesture == u"drag below one") {
        list->RemoveItem(2);
        list->RemoveItem(1);
        const QPoint under(target.x(), list->viewport()->height() - 1);
        QCOMPARE(list->entryAt(under), -1);
        const QPoint past = under + QPoint(0, 1); // the first pixel below the list
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, under);
        QTest::mouseMove(list->viewport(), past);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, past);
    } else if (gesture.startsWith(u"drag")) {
        const QPoint from = list->entryRect(0).center();
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(list->viewport(), target);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, target);
    } else if (gesture == u"Down") {
        QTest::keyClick(edit, Qt::Key_Down);
    } else if (gesture == u"reader select") {
        QVERIFY(table->selectRow(row));
    } else if (gesture == u"reader clear") {
        QVERIFY(table->unselectRow(row));
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    } else if (gesture.startsWith(u"reader selection")) {
        QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(list);
        QAccessibleSelectionInterface *selection = reader->selectionInterface();
        QVERIFY(selection);
        QVERIFY(gesture.endsWith(u"clear") ? selection->clear()
                                           : selection->select(reader->child(row)));
#endif
    } else {
        QFAIL("unknown gesture");
    }
    QCOMPARE(combo.ListIndex(), listIndex);
    QCOMPARE(combo.Text(), text);
    // Only the user's own selection is counted.
    QCOMPARE(QAccessible::queryAccessibleInterface(edit)->textInterface()->selectionCount(),
             gesture == u"reader selection" ? 1 : 0);
    // A screen reader reads the field whole: by its attribute run, its line, its words.
    QAccessibleTextInterface *reading =
        QAccessible::queryAccessibleInterface(edit)->textInterface();
    QVERIFY(reading);
    const int count = reading->characterCount();
    int from = -1;
    int to = -1;
    reading->attributes(0, &from, &to);
    QCOMPARE(QList<int>({from, to}), QList<int>({0, count}));
    QCOMPARE(reading->text(from, to), text);
    QCOMPARE(reading->textAtOffset(count, QAccessible::LineBoundary, &from, &to), text);
    QCOMPARE(reading->textAtOffset(0, QAccessible::WordBoundary, &from, &to),
             text.split(u' ').first());
    QCOMPARE(reading->textAtOffset(count, QAccessible::WordBoundary, &from, &to),
             text.split(u' ').last());
    // Character by character, as a screen reader steps through it: nothing past either end.
    QCOMPARE(reading->textBeforeOffset(0, QAccessible::CharBoundary, &from, &to), QString());
    QCOMPARE(QList<int>({from, to}), QList<int>({-1, -1}));
    if (count >= 2) {
        QCOMPARE(reading->textBeforeOffset(1, QAccessible::CharBoundary, &from, &to), text.left(1));
        QCOMPARE(reading->textAfterOffset(0, QAccessible::CharBoundary, &from, &to),
                 text.mid(1, 1));
        QCOMPARE(reading->textAfterOffset(count - 1, QAccessible::CharBoundary, &from, &to),
                 QString());
        QCOMPARE(QList<int>({from, to}), QList<int>({-1, -1}));
    }
    // Past either end there is no text and no run; at the end the run is still the text's.
    QCOMPARE(reading->textAtOffset(count + 1, QAccessible::LineBoundary, &from, &to), QString());
    QCOMPARE(QList<int>({from, to}), QList<int>({-1, -1}));
    QList<int> runs;
    for (const int offset : {-1, count, count + 1}) {
        reading->attributes(offset, &from, &to);
        runs << from << to;
    }
    QCOMPARE(runs, QList<int>({-1, -1, 0, count, -1, -1}));
    // Offset -2 stands for the caret.
    edit->setCursorPosition(0);
    QCOMPARE(reading->textAtOffset(-2, QAccessible::WordBoundary, &from, &to),
             text.split(u' ').first());
}

void TestControls::checkBoxValues()
{
    QWidget parent;
    parent.resize(200, 50);
    CheckBox box(&parent, u"chk"_s, u"&Deans List"_s, QRect(0, 0, 100, 20));
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent, testing::WaitLimitMs));
    for (int value : {2, 1, 0, 2}) {
        box.setValue(value);
        QCOMPARE(box.Value(), value);
    }
    // The user toggles between checked and unchecked only.
    QTest::mouseClick(&box, Qt::LeftButton);
    QCOMPARE(box.Value(), 1);
    QTest::mouseClick(&box, Qt::LeftButton);
    QCOMPARE(box.Value(), 0);
    QTest::mouseClick(&box, Qt::LeftButton);
    QCOMPARE(box.Value(), 1);
    // Its access key ticks it off once, at once: no second, delayed press follows.
    parent.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&parent, testing::WaitLimitMs));
    QTest::keyClick(&parent, Qt::Key_D, Qt::AltModifier);
    QCOMPARE(box.Value(), 0);
    QVERIFY(!box.isDown());
    // A key two boxes share moves the focus between them, from the first, and ticks neither.
    CheckBox dorm(&parent, u"chkDorm"_s, u"&Dorm"_s, QRect(100, 0, 100, 20));
    dorm.show();
    QTRY_VERIFY_WITH_TIMEOUT(box.hasFocus(), testing::WaitLimitMs);
    QStringList visited;
    for (int i = 0; i < 2; ++i) {
        QTest::keyClick(&parent, Qt::Key_D, Qt::AltModifier);
        const QWidget *focused = QApplication::focusWidget();
        visited << (focused ? focused->objectName() : QString());
    }
    QCOMPARE(visited, QStringList({u"chk"_s, u"chkDorm"_s}));
    QCOMPARE(QList<int>({box.Value(), dorm.Value()}), QList<int>({0, 0}));
    QCOMPARE(kindOf([&] { box.setValue(3); }), ErrorKind::InvalidArgument);
}

void TestControls::defaultButton_data()
{
    QTest::addColumn<int>("border");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<bool>("defaultVisible");
    QTest::addColumn<int>("okClicks");
    QTest::addColumn<int>("otherClicks");

    for (auto border : {BorderStyle::FixedDialog, BorderStyle::Sizable}) {
        const char *kind = border == BorderStyle::FixedDialog ? "dialog" : "main window";
        QTest::addRow("%s: text box", kind) << int(border) << u"text"_s << true << 1 << 0;
        QTest::addRow("%s: default hidden", kind) << int(border) << u"text"_s << false << 0 << 0;
        QTest::addRow("%s: other button focused", kind)
            << int(border) << u"other"_s << true << 0 << 1;
    }
}

void TestControls::defaultButton()
{
    QFETCH(int, border);
    QFETCH(QString, focus);
    QFETCH(bool, defaultVisible);
    QFETCH(int, okClicks);
    QFETCH(int, otherClicks);

    ProbeForm form{BorderStyle(border)};
    form.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&form, testing::WaitLimitMs));
    // Marked as well as routed: the look, and what a screen reader announces.
    QVERIFY(form.ok->isDefault());
    QVERIFY(!form.other->isDefault());
    QVERIFY(QAccessible::queryAccessibleInterface(form.ok)->state().defaultButton);
    form.ok->setVisible(defaultVisible);
    QWidget *target = form.findChild<QWidget *>(focus);
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Return);
    QCOMPARE(form.okClicks, okClicks);
    QCOMPARE(form.otherClicks, otherClicks);
    // Another made the default: it alone is marked.
    form.setDefaultButton(form.other);
    QVERIFY(form.other->isDefault());
    QVERIFY(!form.ok->isDefault());
    form.Unload();
}

void TestControls::accessKeys_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("index"); // of the & before the access key
    QTest::addColumn<QString>("shown");
    QTest::newRow("first letter") << u"&Name"_s << 0 << u"Name"_s;
    QTest::newRow("none") << u"Name"_s << -1 << u"Name"_s;
    QTest::newRow("inside") << u"Fr&eshman"_s << 2 << u"Freshman"_s;
    QTest::newRow("a literal ampersand") << u"Tom && Jerry"_s << -1 << u"Tom & Jerry"_s;
    QTest::newRow("a literal ampersand, then a key") << u"Save && &Quit"_s << 8 << u"Save & Quit"_s;
    QTest::newRow("a lone one at the end") << u"Ends in &"_s << -1 << u"Ends in &"_s;
}

void TestControls::accessKeys()
{
    QFETCH(QString, caption);
    QFETCH(int, index);
    QFETCH(QString, shown);
    QCOMPARE(accessKeyIndex(caption), index);
    QCOMPARE(withoutAccessKey(caption), shown);
}

void TestControls::escapeDoesNothing()
{
    ProbeForm form;
    form.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&form, testing::WaitLimitMs));
    for (QWidget *target : {static_cast<QWidget *>(form.text), static_cast<QWidget *>(form.ok)}) {
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Escape);
    }
    QVERIFY(form.isVisible());
    QCOMPARE(form.okClicks + form.otherClicks, 0);
    form.Unload();
}

// A screen reader's window list names a minimized window by its caption too.
void TestControls::windowKeepsItsNameMinimized()
{
    ProbeForm form;
    form.showMinimized();
    QTRY_VERIFY_WITH_TIMEOUT(form.isMinimized(), testing::WaitLimitMs);
    QCOMPARE(QAccessible::queryAccessibleInterface(&form)->text(QAccessible::Name), u"Probe"_s);
    form.Unload();
}

void TestControls::labelAccessKeyFocusesPartner()
{
    ProbeForm form;
    form.Show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form, testing::WaitLimitMs));
    form.ok->setFocus();
    QTest::keyClick(&form, Qt::Key_N, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), form.text);
    form.Unload();
}

void TestControls::focusReturnsToTheFirstControlWhenItsOwnIsGone()
{
    ProbeForm form;
    form.Show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form, testing::WaitLimitMs));
    form.text->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), form.text);
    const FocusReturn focusReturn;
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other, testing::WaitLimitMs));
    // Gone meanwhile: the first control by Tab, not the one after it nor the menu bar.
    form.text->hide();
    other.hide();
    focusReturn.restore();
    QCOMPARE(form.focusWidget(), form.other);
    QTRY_COMPARE(QApplication::activeWindow(), &form);
    QCOMPARE(QApplication::focusWidget(), form.other);
    form.Unload();
}

// What the screen shows of the list is what it paints now: taking the focus by Tab, its selected
// entry turns to the active colours and shows the keyboard's mark at once.
void TestControls::listRedrawsItsEntryWhenItTakesTheFocus()
{
    QWidget window;
    window.resize(200, 200);
    auto *before = new QPushButton(u"Before"_s, &window);
    ListBox list(&window, u"lst"_s, QRect(0, 40, 150, 120), Sorting::Unsorted);
    list.AddItem(u"Ann"_s);
    list.AddItem(u"Bo"_s);
    OptionArray options(u"opt"_s);
    options.add(&window, u"After"_s, QRect(0, 170, 100, 20));
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window, testing::WaitLimitMs));
    before->setFocus();
    list.setListIndex(0);
    QTRY_COMPARE_WITH_TIMEOUT(shownOf(list), paintedOf(list), testing::WaitLimitMs);
    const QImage unfocused = paintedOf(list);
    QTest::keyClick(before, Qt::Key_Tab);
    QTRY_VERIFY_WITH_TIMEOUT(list.hasFocus(), testing::WaitLimitMs);
    QVERIFY(paintedOf(list) != unfocused);
    // The focus mark is on the keyboard's entry alone; the other looks as it did.
    const auto entryOf = [&list](const QImage &image, int row) {
        return image.copy(list.entryRect(row).translated(list.viewport()->pos()));
    };
    QVERIFY(entryOf(paintedOf(list), 0) != entryOf(unfocused, 0));
    QCOMPARE(entryOf(paintedOf(list), 1), entryOf(unfocused, 1));
    // A repaint takes one pass of the event loop; a missing one would keep a full limit waiting.
    QTRY_COMPARE_WITH_TIMEOUT(shownOf(list), paintedOf(list), 10000);
    // So does an entry added or removed in sight.
    list.AddItem(u"Cy"_s);
    QTRY_COMPARE_WITH_TIMEOUT(shownOf(list), paintedOf(list), 10000);
    list.RemoveItem(1);
    QTRY_COMPARE_WITH_TIMEOUT(shownOf(list), paintedOf(list), 10000);
    // And an entry whose selection Ctrl+Space takes back.
    QTest::keyClick(&list, Qt::Key_Space, Qt::ControlModifier);
    QCOMPARE(list.ListIndex(), -1);
    QTRY_COMPARE_WITH_TIMEOUT(shownOf(list), paintedOf(list), 10000);
    // An option taking the focus shows its focus mark at once too.
    const QImage option = paintedOf(options[0]);
    QTest::keyClick(&list, Qt::Key_Tab);
    QTRY_VERIFY_WITH_TIMEOUT(options[0].hasFocus(), testing::WaitLimitMs);
    QVERIFY(paintedOf(options[0]) != option);
    QTRY_COMPARE_WITH_TIMEOUT(shownOf(options[0]), paintedOf(options[0]), 10000);
}

// A caption disabled while shown turns grey at once.
void TestControls::labelRedrawsWhenDisabled()
{
    ProbeForm form;
    form.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&form, testing::WaitLimitMs));
    QTRY_COMPARE_WITH_TIMEOUT(shownOf(*form.label), paintedOf(*form.label), testing::WaitLimitMs);
    const QImage before = paintedOf(*form.label);
    form.label->setEnabled(false);
    QVERIFY(paintedOf(*form.label) != before);
    QTRY_COMPARE_WITH_TIMEOUT(shownOf(*form.label), paintedOf(*form.label), 10000);
    form.Unload();
}

void TestControls::modalShowReturnsOnHideAndUnload()
{
    ProbeForm form(BorderStyle::FixedDialog, CloseAction::Hide);
    // Shown already, a window cannot be shown modally.
    form.Show(ShowMode::Modeless);
    QCOMPARE(kindOf([&form] { form.Show(ShowMode::Modal); }), ErrorKind::InvalidArgument);
    form.Hide();
    form.onActivate = [&form] { QTimer::singleShot(0, &form, [&form] { form.Hide(); }); };
    form.Show(ShowMode::Modal); // returns once hidden
    QVERIFY(!form.isVisible());
    QVERIFY(!form.isUnloaded());

    // The close box of a hiding window hides it; the modal show returns.
    form.onActivate = [&form] { QTimer::singleShot(0, &form, [&form] { form.close(); }); };
    form.Show(ShowMode::Modal);
    QVERIFY(!form.isVisible());
    QVERIFY(!form.isUnloaded());

    // A cancelled unload says so and leaves the window up; the next one closes it.
    form.cancelUnload = 1;
    std::optional<bool> cancelled;
    bool stayed = false;
    form.onActivate = [&] {
        QTimer::singleShot(0, &form, [&] {
            cancelled = form.Unload();
            stayed = form.isVisible() && !form.isUnloaded();
            form.cancelUnload = 0;
            form.Unload();
        });
    };
    form.Show(ShowMode::Modal);
    QCOMPARE(cancelled, std::optional<bool>(false));
    QVERIFY(stayed);
    QVERIFY(form.isUnloaded());
    QVERIFY(form.Unload()); // once unloaded, it is done without asking the window again
    QCOMPARE(kindOf([&form] { form.Show(); }), ErrorKind::InvalidArgument);
    QCOMPARE(form.unloads, 2);
    QCOMPARE(form.loads, 1);
    QCOMPARE(form.activations, 4);
}

void TestControls::unloadedInstanceIsRecreated()
{
    int created = 0;
    FormInstance<ProbeForm> instance([&created] {
        ++created;
        return std::make_unique<ProbeForm>(BorderStyle::FixedDialog, CloseAction::Unload);
    });
    QVERIFY(!instance.isLoaded());
    instance->text->setText(u"kept while hidden"_s);
    QCOMPARE(instance->loads, 1);
    // A window made again leaves nothing more behind in the application.
    const qsizetype applicationChildren = qApp->children().size();
    bool stayed = false;
    instance->onActivate = [&instance, &stayed] {
        QTimer::singleShot(0, [&instance, &stayed] {
            // The close box unloads; an unload cancelled keeps the window up.
            instance->cancelUnload = 1;
            instance->close();
            stayed = instance->isVisible();
            instance->cancelUnload = 0;
            instance->close();
        });
    };
    instance->Show(ShowMode::Modal);
    QVERIFY(stayed);
    QVERIFY(!instance.isLoaded());
    QCOMPARE(instance->loads, 1); // a fresh window, loaded again
    QCOMPARE(created, 2);
    QCOMPARE(instance->text->Text(), QString());
    QCOMPARE(qApp->children().size(), applicationChildren);
}

void TestControls::activateRunsOncePerShow()
{
    // A real message box over the window, closed by the user, must not set it up again.
    platform::setMessageBox(std::make_unique<ScreenMessageBox>());
    ProbeForm form(BorderStyle::FixedDialog, CloseAction::Hide);
    bool boxSeen = false;
    bool activeAgain = false;
    form.onActivate = [&] {
        if (form.activations > 1)
            return;
        QTimer::singleShot(0, &form, [&] {
            testing::pressOkOnNextMessageBox(boxSeen);
            const auto hide = qScopeGuard([&form] { form.Hide(); });
            MsgBox(u"Hello"_s);
            // No window manager here to hand the activation back.
            form.activateWindow();
            activeAgain = QTest::qWaitFor([&form] { return testing::settleActivation(&form); },
                                          testing::WaitLimitMs);
        });
    };
    form.Show(ShowMode::Modal);
    QVERIFY(boxSeen);
    QVERIFY(activeAgain);
    QCOMPARE(form.activations, 1);
}

void TestControls::failingHandlerIsReportedOnce_data()
{
    QTest::addColumn<int>("thrown"); // 0 the program's own error, 1 a library's, 2 anything else
    QTest::addColumn<QString>("promptHas");
    QTest::addColumn<ErrorKind>("kind");
    QTest::addColumn<bool>("boxFails"); // the message box cannot be shown: the handler throws
    QTest::newRow("program's error") << 0 << u"Overflow"_s << ErrorKind::Overflow << false;
    QTest::newRow("library exception") << 1 << u"no such entry"_s << ErrorKind::Unexpected << false;
    QTest::newRow("non-standard exception") << 2 << u""_s << ErrorKind::Unexpected << false;
    QTest::newRow("message box cannot be shown")
        << 0 << u"Overflow"_s << ErrorKind::Overflow << true;
}

void TestControls::failingHandlerIsReportedOnce()
{
    QFETCH(int, thrown);
    QFETCH(QString, promptHas);
    QFETCH(ErrorKind, kind);
    QFETCH(bool, boxFails);
    if (boxFails)
        m_services->messageBox->onShow = [] { throw std::runtime_error("no display"); };
    ProbeForm form;
    int stepsDone = 0;
    form.onClick(form.other, [&] {
        ++stepsDone;
        if (thrown == 0)
            throw RuntimeError::overflow();
        if (thrown == 1)
            throw std::out_of_range("no such entry");
        throw 42;
    });
    form.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&form, testing::WaitLimitMs));
    QTest::mouseClick(form.other, Qt::LeftButton);
    QCOMPARE(stepsDone, 1);
    QCOMPARE(form.otherClicks, 1); // the handler connected before it still ran
    QCOMPARE(m_services->errors, std::vector{kind});
    QCOMPARE(m_services->messages.size(), std::size_t(1));
    QCOMPARE(m_services->messages[0].title, u"Student Information"_s);
    QVERIFY2(!m_services->messages[0].prompt.isEmpty() &&
                 m_services->messages[0].prompt.contains(promptHas),
             qPrintable(m_services->messages[0].prompt));
    // The event loop is still alive and the window still answers.
    QTest::mouseClick(form.ok, Qt::LeftButton);
    QCOMPARE(form.okClicks, 1);
    form.Unload();
}

void TestControls::messageBoxShowsPlainText_data()
{
    QTest::addColumn<QStringList>("prompts"); // shown one after another
    QTest::addColumn<QStringList>("titles");  // empty: the program's own
    QTest::addColumn<bool>("nested");         // each raised while the one before is up
    QTest::newRow("markup shown as typed")
        << QStringList{u"<b>Bold</b> & <i>name</i>"_s} << QStringList{QString()} << false;
    // The box that served the first message serves the next one with nothing of it left.
    QTest::newRow("a second message: its own text and title")
        << QStringList{u"Please Enter Your Name"_s, u"Units Completed must be a number"_s}
        << QStringList{u"Error"_s, QString()} << false;
    QTest::newRow("a message raised while another is up")
        << QStringList{u"First"_s, u"Second"_s} << QStringList{u"One"_s, u"Two"_s} << true;
}

void TestControls::messageBoxShowsPlainText()
{
    QFETCH(QStringList, prompts);
    QFETCH(QStringList, titles);
    QFETCH(bool, nested);
    platform::setMessageBox(std::make_unique<ScreenMessageBox>());
    const auto titleOf = [&](int i) {
        return titles[i].isEmpty() ? std::nullopt : std::optional<QString>(titles[i]);
    };
    QStringList shown;  // "title: text" of each box as it came up
    QStringList unlike; // what a box showed that the program's message boxes never show
    std::function<void(int)> answer = [&](int index) {
        QWidget *below = QApplication::activeModalWidget();
        testing::whenActive(
            [below]() -> QWidget * {
                QWidget *up = QApplication::activeModalWidget();
                return up != below ? up : nullptr;
            },
            [&, index] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                QVERIFY(box);
                shown << box->windowTitle() + u": "_s + box->text();
                if (box->textFormat() != Qt::PlainText)
                    unlike << u"rich text"_s;
                if (box->icon() != QMessageBox::NoIcon)
                    unlike << u"an icon"_s;
                if (box->buttons().size() != 1)
                    unlike << u"%1 buttons"_s.arg(box->buttons().size());
                // OK has no access key; Enter, which presses it, is none either.
                QAccessibleInterface *ok =
                    QAccessible::queryAccessibleInterface(box->button(QMessageBox::Ok));
                const QString keys = testing::boundKeys(ok) + ok->text(QAccessible::Accelerator);
                if (!keys.isEmpty())
                    unlike << u"a key for OK: "_s + keys;
                if (nested && index + 1 < prompts.size()) {
                    answer(index + 1);
                    MsgBox(prompts[index + 1], titleOf(index + 1));
                }
                box->button(QMessageBox::Ok)->click();
            });
    };
    for (int i = 0; i < prompts.size(); ++i) {
        answer(i);
        MsgBox(prompts[i], titleOf(i));
        if (nested)
            break;
    }
    QStringList expected;
    for (int i = 0; i < prompts.size(); ++i)
        expected << (titles[i].isEmpty() ? u"Student Information"_s : titles[i]) + u": "_s +
                        prompts[i];
    QCOMPARE(shown, expected);
    QCOMPARE(unlike, QStringList());
    QCOMPARE(testing::visibleTopLevelCount(), 0);
}

void TestControls::longCaptionWrapsInsideButton()
{
    QWidget parent;
    CommandButton button(&parent, u"cmdAdd"_s, u"&Add a New Student"_s, twipsRect(0, 0, 1215, 495));
    QStyleOptionButton option;
    option.initFrom(&button);
    const QRect area =
        button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
    const QRect needed = button.fontMetrics().boundingRect(
        area, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, button.text());
    QVERIFY2(area.contains(needed), qPrintable(u"needs %1x%2 in %3x%4"_s.arg(needed.width())
                                                   .arg(needed.height())
                                                   .arg(area.width())
                                                   .arg(area.height())));

    // What is painted: the caption's dark text rows span more than one line, so the second
    // line is there, and none of it touches the button's left or right edge.
    const QImage shot = button.grab().toImage();
    const qreal ratio = shot.devicePixelRatio();
    int top = -1;
    int bottom = -1;
    bool touchesEdge = false;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (qGray(shot.pixel(x, y)) >= 100)
                continue;
            top = top < 0 ? y : top;
            bottom = y;
            touchesEdge = touchesEdge || x < 3 * ratio || x >= shot.width() - 3 * ratio;
        }
    }
    QVERIFY2(top >= 0, "no caption painted");
    const qreal lineHeight = button.fontMetrics().height() * ratio;
    QVERIFY2(bottom - top + 1 > 1.5 * lineHeight,
             qPrintable(u"text rows %1 to %2, one line is %3 high"_s.arg(top).arg(bottom).arg(
                 lineHeight)));
    QVERIFY(!touchesEdge);

    // A caption of one line stands where Qt's own button puts it.
    CommandButton oneLine(&parent, u"cmdExit"_s, u"E&xit"_s, twipsRect(0, 600, 1215, 495));
    QPushButton plain(u"E&xit"_s, &parent);
    plain.setGeometry(oneLine.geometry());
    QCOMPARE(oneLine.grab().toImage(), plain.grab().toImage());
}

SI_TEST_MAIN(TestControls)
#include "tst_controls.moc"
