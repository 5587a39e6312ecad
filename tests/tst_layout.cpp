// Captions fit their controls and windows keep their proportions, at whatever scale the run
// uses: ctest runs this at the default scale and again with QT_SCALE_FACTOR=2.

#include "ProgramFixture.h"

#include "about/frmAbout.h"
#include "app/Forms.h"
#include "app/frmMain.h"
#include "student_window/frmStudent.h"

#include <QMenuBar>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QtTest>
#include <QWindow>

using namespace platform;
using namespace Qt::StringLiterals;

namespace {

QString sizeText(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

// Where the caption is drawn, in the control's own coordinates, and the room it has there.
struct Caption
{
    QRect drawn;
    QRect room;
};

Caption buttonCaption(CommandButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    if (button->isDefault())
        option.features |= QStyleOptionButton::DefaultButton;
    if (button->autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    // The same area and flags the button paints its wrapped caption with.
    const QRect room = button->style()
                           ->subElementRect(QStyle::SE_PushButtonContents, &option, button)
                           .adjusted(1, 0, -1, 0);
    const QRect drawn = button->fontMetrics().boundingRect(
        room, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, button->text());
    return {drawn, room};
}

Caption labelCaption(QLabel *label)
{
    int flags = int(label->alignment());
    if (label->wordWrap())
        flags |= Qt::TextWordWrap;
    flags |= label->buddy() ? Qt::TextShowMnemonic : Qt::TextHideMnemonic;
    const QRect room = label->contentsRect();
    return {label->fontMetrics().boundingRect(room, flags, label->text()), room};
}

Caption frameCaption(QGroupBox *frame)
{
    QStyleOptionGroupBox option;
    option.initFrom(frame);
    option.text = frame->title();
    option.lineWidth = 1;
    option.textAlignment = frame->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect drawn = frame->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                       QStyle::SC_GroupBoxLabel, frame);
    return {drawn, frame->rect()};
}

// The window's controls: the children of its client area and of its frames.
QList<QWidget *> controlsOf(Form &form)
{
    QList<QWidget *> controls;
    for (QWidget *child : form.client()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        controls << child;
        if (qobject_cast<QGroupBox *>(child))
            controls << child->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    }
    return controls;
}

Caption optionCaption(QAbstractButton *button)
{
    // The size hint's width covers indicator and caption. Its height adds a focus margin
    // above and below that the 255-twip design height never had; the line and the
    // indicator are what must fit.
    const bool radio = qobject_cast<QRadioButton *>(button) != nullptr;
    const int indicator = button->style()->pixelMetric(
        radio ? QStyle::PM_ExclusiveIndicatorHeight : QStyle::PM_IndicatorHeight, nullptr, button);
    const QSize needed(button->sizeHint().width(),
                       std::max(indicator, button->fontMetrics().height()));
    const QRect room = button->rect();
    return {QRect(QPoint(0, (room.height() - needed.height()) / 2), needed), room};
}

// True when upper paints over lower: later children of a widget paint over earlier ones.
bool stackedAbove(const QWidget *upper, const QWidget *lower)
{
    for (const QWidget *a = upper; a; a = a->parentWidget()) {
        for (const QWidget *b = lower; b; b = b->parentWidget()) {
            if (a != b && a->parentWidget() && a->parentWidget() == b->parentWidget()) {
                const QObjectList &siblings = a->parentWidget()->children();
                return siblings.indexOf(a) > siblings.indexOf(b);
            }
        }
    }
    return false;
}

// Every caption that is cut off, runs out of its window or frame, runs into another caption
// or lies under another control.
QStringList captionProblems(Form &form)
{
    QStringList problems;
    QList<QWidget *> controls;
    QHash<QWidget *, QRect> drawnInForm;
    for (QWidget *control : controlsOf(form)) {
        if (!control->isVisibleTo(&form))
            continue;
        controls << control;
        Caption caption;
        if (auto *button = qobject_cast<CommandButton *>(control))
            caption = buttonCaption(button);
        else if (auto *label = qobject_cast<QLabel *>(control))
            caption = labelCaption(label);
        else if (auto *frame = qobject_cast<QGroupBox *>(control))
            caption = frameCaption(frame);
        else if (auto *option = qobject_cast<QAbstractButton *>(control))
            caption = optionCaption(option);
        else
            continue;
        const QString name = control->objectName();
        if (!caption.room.contains(caption.drawn))
            problems << QStringLiteral("%1 needs %2, has %3")
                            .arg(name, sizeText(caption.drawn.size()),
                                 sizeText(caption.room.size()));
        const QWidget *parent = control->parentWidget();
        if (!parent->rect().contains(control->geometry()))
            problems << QStringLiteral("%1 runs out of %2").arg(name, parent->objectName());
        const QRect visible = caption.drawn.intersected(control->rect());
        drawnInForm.insert(control,
                           QRect(control->mapTo(&form, visible.topLeft()), visible.size()));
    }
    for (auto it = drawnInForm.cbegin(); it != drawnInForm.cend(); ++it) {
        QWidget *control = it.key();
        for (QWidget *other : controls) {
            if (other == control || other->isAncestorOf(control) || control->isAncestorOf(other))
                continue;
            const QRect otherArea(other->mapTo(&form, QPoint(0, 0)), other->size());
            if (drawnInForm.contains(other) && control->objectName() < other->objectName() &&
                drawnInForm.value(other).intersects(it.value()))
                problems << QStringLiteral("the captions of %1 and %2 run into each other")
                                .arg(control->objectName(), other->objectName());
            if (stackedAbove(other, control) && otherArea.intersects(it.value()))
                problems << QStringLiteral("%1's caption lies under %2")
                                .arg(control->objectName(), other->objectName());
        }
    }
    problems.sort();
    return problems;
}

double expectedScale()
{
    bool ok = false;
    const double scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    return ok ? scale : 1.0;
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void captionsFit_data();
    void captionsFit();
    void windowsKeepProportions_data();
    void windowsKeepProportions();

private:
    frmMain &main() { return m_program->main(); }
    frmStudent *student() { return m_program->student(); }
    // Runs inside while the window is shown in the given state; the student window's
    // display and remove modes show a student added first.
    void inWindow(const QString &state, const std::function<void(Form &)> &inside);

    std::unique_ptr<testing::Program> m_program;
};

void TestLayout::init()
{
    m_program = std::make_unique<testing::Program>();
    QVERIFY(QTest::qWaitForWindowExposed(&main()));
}

void TestLayout::cleanup()
{
    m_program.reset();
    QCOMPARE(testing::visibleTopLevelCount(), 0);
}

void TestLayout::inWindow(const QString &state, const std::function<void(Form &)> &inside)
{
    if (state == u"main") {
        inside(main());
        return;
    }
    QPushButton *opener = main().cmdAdd;
    if (state == u"display" || state == u"remove") {
        testing::whenVisible([this] { return student(); },
                             [this] {
                                 QTest::keyClicks(student()->txtName, u"Christopher Columbus"_s);
                                 QTest::mouseClick(student()->cmdAction, Qt::LeftButton);
                             });
        QTest::mouseClick(main().cmdAdd, Qt::LeftButton);
        main().lstStudent->setListIndex(0);
        opener = state == u"display" ? main().cmdDisplay : main().cmdRemove;
    }
    const auto find = [this, state]() -> Form * {
        if (state == u"about")
            return m_program->forms->frmAbout.existing();
        return student();
    };
    bool ran = false;
    testing::whenVisible(find, [&] {
        ran = true;
        inside(*find());
        find()->Hide();
    });
    if (state == u"about")
        main().mnuAbout->trigger();
    else
        QTest::mouseClick(opener, Qt::LeftButton);
    QVERIFY(ran);
}

void TestLayout::captionsFit_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("actionCaption");
    QTest::newRow("main window") << u"main"_s << QString();
    QTest::newRow("student window, add") << u"add"_s << u"Add Student"_s;
    QTest::newRow("student window, remove") << u"remove"_s << u"Remove this Student?"_s;
    QTest::newRow("student window, display") << u"display"_s << u"Student Display"_s;
    QTest::newRow("about box") << u"about"_s << QString();
}

void TestLayout::captionsFit()
{
    QFETCH(QString, state);
    QFETCH(QString, actionCaption);
    QStringList problems;
    QString shownCaption;
    int captioned = 0;
    inWindow(state, [&](Form &form) {
        problems = captionProblems(form);
        for (QWidget *control : controlsOf(form))
            captioned += qobject_cast<QAbstractButton *>(control) ||
                         qobject_cast<QLabel *>(control) || qobject_cast<QGroupBox *>(control);
        if (auto *w = qobject_cast<frmStudent *>(&form))
            shownCaption = w->cmdAction->Caption();
    });
    QVERIFY(captioned >= 2);
    QCOMPARE(shownCaption, actionCaption); // the mode's own caption was measured
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u"; "_s)));
}

void TestLayout::windowsKeepProportions_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QSize>("clientTwips");
    QTest::newRow("main window") << u"main"_s << QSize(5565, 3195);
    QTest::newRow("student window") << u"add"_s << QSize(5280, 3900);
    QTest::newRow("about box") << u"about"_s << QSize(4470, 3405);
}

void TestLayout::windowsKeepProportions()
{
    QFETCH(QString, state);
    QFETCH(QSize, clientTwips);
    QSize client;
    QSize window;
    int menuHeight = 0;
    qreal ratio = 0;
    inWindow(state, [&](Form &form) {
        client = form.client()->size();
        window = form.size();
        menuHeight = form.menuBar() ? form.menuBar()->height() : 0;
        ratio = form.windowHandle()->devicePixelRatio();
    });
    // Logical pixels are the same at every scale; the scale multiplies them all alike.
    QCOMPARE(ratio, expectedScale());
    QCOMPARE(client,
             QSize(twipsToPixels(clientTwips.width()), twipsToPixels(clientTwips.height())));
    QVERIFY(qAbs(double(client.width()) / client.height() -
                 double(clientTwips.width()) / clientTwips.height()) < 0.01);
    // The window is its client area under the menu bar: nothing cut off, nothing stretched.
    QCOMPARE(window, client + QSize(0, menuHeight));
}

SI_TEST_MAIN(TestLayout)
#include "tst_layout.moc"
