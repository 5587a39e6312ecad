// Captions fit their controls and windows keep their proportions, at whatever scale the run
// uses: ctest runs this at the default scale and again with QT_SCALE_FACTOR=2.

#include "ProgramFixture.h"

#include <QMenuBar>
#include <QPalette>
#include <QScopeGuard>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QtTest>
#include <QWindow>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

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

// A desktop palette from its colours for window, window text, base, text, button, button text,
// highlight and highlighted text.
QPalette paletteOf(const std::array<QColor, 8> &colours)
{
    const QPalette::ColorRole roles[] = {
        QPalette::Window, QPalette::WindowText, QPalette::Base,      QPalette::Text,
        QPalette::Button, QPalette::ButtonText, QPalette::Highlight, QPalette::HighlightedText};
    QPalette palette;
    for (std::size_t i = 0; i < colours.size(); ++i)
        palette.setColor(roles[i], colours[i]);
    return palette;
}

double colourDistance(QRgb a, QRgb b)
{
    return std::hypot(qRed(a) - qRed(b), qGreen(a) - qGreen(b), qBlue(a) - qBlue(b));
}

QString colourText(QRgb c)
{
    return QStringLiteral("(%1,%2,%3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

// Where the middle of what a control paints lies, in pixels from the left of its window's
// client area: half-way between the first and the last column that differs from the
// control's background.
std::optional<qreal> paintedCentre(QWidget *control, Form &form)
{
    const QImage image = control->grab().toImage();
    const QRgb background = image.pixel(0, 0) & RGB_MASK;
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (colourDistance(image.pixel(x, y) & RGB_MASK, background) > 64) {
                first = first < 0 ? x : first;
                last = x;
                break;
            }
        }
    }
    if (first < 0)
        return std::nullopt;
    return control->mapTo(form.client(), QPoint(0, 0)).x() +
           (first + last + 1) / 2.0 / image.devicePixelRatio();
}

// What one area of a grabbed window should show: a background and, where the control has
// a caption or an entry, text drawn over it.
struct Paint
{
    QString what;
    QRect area; // in the image's pixels
    QColor background;
    QColor text;
    bool hasText;
    // The style shades button faces and tints the default button with the highlight.
    double backgroundTolerance = 8;
};

// Whether the area is painted in its palette colours: the most common pixel is the
// background, every other pixel a blend of background and text as antialiasing makes them,
// and text, when there is some, reaches well towards its colour.
QString paintProblem(const QImage &image, const Paint &paint)
{
    const QRect area = paint.area.intersected(image.rect());
    if (area.isEmpty())
        return paint.what + u": nothing to look at"_s;
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y) & RGB_MASK];
    QRgb background = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > counts.value(background))
            background = it.key();
    if (colourDistance(background, paint.background.rgb()) > paint.backgroundTolerance)
        return QStringLiteral("%1: background %2, expected %3")
            .arg(paint.what, colourText(background), colourText(paint.background.rgb()));
    const QRgb text = paint.text.rgb();
    const double length = colourDistance(background, text);
    double inkiest = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const QRgb c = it.key();
        // The text cursor inverts what is under it.
        if (c == (~background & RGB_MASK))
            continue;
        // Position along the line from background to text colour, and distance from it.
        const double along =
            ((qRed(c) - qRed(background)) * (qRed(text) - qRed(background)) +
             (qGreen(c) - qGreen(background)) * (qGreen(text) - qGreen(background)) +
             (qBlue(c) - qBlue(background)) * (qBlue(text) - qBlue(background))) /
            std::max(1.0, length * length);
        const double t = std::clamp(along, 0.0, 1.0);
        const QRgb nearest =
            qRgb(qRound(qRed(background) + t * (qRed(text) - qRed(background))),
                 qRound(qGreen(background) + t * (qGreen(text) - qGreen(background))),
                 qRound(qBlue(background) + t * (qBlue(text) - qBlue(background))));
        if (colourDistance(c, nearest) > 24)
            return QStringLiteral("%1: %2 is neither background %3 nor text %4")
                .arg(paint.what, colourText(c), colourText(background), colourText(text));
        inkiest = std::max(inkiest, t);
    }
    if (paint.hasText && inkiest < 0.5)
        return QStringLiteral("%1: no text in %2 over %3")
            .arg(paint.what, colourText(text), colourText(background));
    return {};
}

// The areas of a window that show its palette: every list's entries and empty space, text
// fields, button captions and labels.
QStringList paletteProblems(Form &form, const QPalette &palette)
{
    const QImage image = form.grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    // A widget's rectangle in image pixels, less a pixel all round where edges blend.
    const auto inImage = [&](const QWidget *widget, const QRect &rect) {
        const QRectF inForm(widget->mapTo(&form, rect.topLeft()), rect.size());
        const QRectF scaled(inForm.topLeft() * ratio, inForm.size() * ratio);
        return scaled.toAlignedRect().adjusted(1, 1, -1, -1);
    };
    std::vector<Paint> paints;
    for (ListBox *list : form.findChildren<ListBox *>()) {
        if (!list->isVisibleTo(&form))
            continue;
        const QWidget *viewport = list->viewport();
        int usedHeight = 0;
        for (int row = 0; row < list->ListCount(); ++row) {
            const QRect rect = list->entryRect(row);
            if (rect.intersects(viewport->rect()))
                usedHeight = std::max(usedHeight, rect.bottom() + 1);
            // Only whole entries: a cut-off one may show no text at all.
            if (!viewport->rect().contains(rect))
                continue;
            const bool selected = row == list->ListIndex();
            paints.push_back({QStringLiteral("%1 entry %2").arg(list->objectName()).arg(row),
                              inImage(viewport, rect),
                              palette.color(selected ? QPalette::Highlight : QPalette::Base),
                              palette.color(selected ? QPalette::HighlightedText : QPalette::Text),
                              !list->List(row).isEmpty()});
        }
        const QRect empty(0, usedHeight, viewport->width(), viewport->height() - usedHeight);
        if (empty.height() > 2)
            paints.push_back({list->objectName() + u" background"_s, inImage(viewport, empty),
                              palette.color(QPalette::Base), palette.color(QPalette::Base), false});
    }
    for (QLineEdit *field : form.findChildren<QLineEdit *>()) {
        if (field->isVisibleTo(&form))
            paints.push_back({field->objectName(),
                              inImage(field, field->rect().adjusted(2, 2, -2, -2)),
                              palette.color(QPalette::Base), palette.color(QPalette::Text),
                              !field->text().isEmpty()});
    }
    for (CommandButton *button : form.findChildren<CommandButton *>()) {
        if (!button->isVisibleTo(&form))
            continue;
        const Caption caption = buttonCaption(button);
        paints.push_back(
            {button->objectName(), inImage(button, caption.drawn.intersected(caption.room)),
             palette.color(QPalette::Button), palette.color(QPalette::ButtonText), true, 64});
    }
    for (QLabel *label : form.findChildren<QLabel *>()) {
        if (label->isVisibleTo(&form) && !label->text().isEmpty()) {
            const Caption caption = labelCaption(label);
            paints.push_back(
                {label->objectName(), inImage(label, caption.drawn.intersected(caption.room)),
                 palette.color(QPalette::Window), palette.color(QPalette::WindowText), true});
        }
    }
    QStringList problems;
    for (const Paint &paint : paints) {
        const QString problem = paintProblem(image, paint);
        if (!problem.isEmpty())
            problems << problem;
    }
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
    void windowsFollowThePalette_data();
    void windowsFollowThePalette();

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
    QVERIFY(QTest::qWaitForWindowExposed(&main(), testing::WaitLimitMs));
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
        QVERIFY(testing::whileShown([this] { return student(); },
                                    [this] { QTest::mouseClick(main().cmdAdd, Qt::LeftButton); },
                                    [this](QWidget &) {
                                        QTest::keyClicks(student()->txtName,
                                                         u"Christopher Columbus"_s);
                                        student()->optLevel[0].setValue(true);
                                        QTest::mouseClick(student()->cmdAction, Qt::LeftButton);
                                    }));
        main().lstStudent->setListIndex(0);
        opener = state == u"display" ? main().cmdDisplay : main().cmdRemove;
    }
    const bool about = state == u"about";
    const auto find = [this, about]() -> QWidget * {
        return about ? m_program->about() : static_cast<QWidget *>(student());
    };
    const auto open = [this, about, opener] {
        about ? main().mnuAbout->trigger() : QTest::mouseClick(opener, Qt::LeftButton);
    };
    const bool shown =
        testing::whileShown(find, open, [&](QWidget &form) { inside(static_cast<Form &>(form)); });
    QVERIFY2(shown || testing::failed(), "the window never came up");
}

void TestLayout::captionsFit_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("actionCaption");
    // A caption centred on its place: the control's name and the middle of its design box in
    // twips from the left of the client area.
    QTest::addColumn<QString>("centred");
    QTest::addColumn<int>("centreTwips");
    QTest::addColumn<qreal>("centredPoints"); // its type size
    // A wider type set for it once the window is up (a substitute for a missing font), 0: none.
    QTest::addColumn<qreal>("widerPoints");
    QTest::newRow("main window") << u"main"_s << QString() << QString() << 0 << 0.0 << 0.0;
    QTest::newRow("student window, add")
        << u"add"_s << u"Add Student"_s << QString() << 0 << 0.0 << 0.0;
    QTest::newRow("student window, remove")
        << u"remove"_s << u"Remove this Student?"_s << QString() << 0 << 0.0 << 0.0;
    QTest::newRow("student window, display")
        << u"display"_s << u"Student Display"_s << QString() << 0 << 0.0 << 0.0;
    QTest::newRow("about box") << u"about"_s << QString() << u"Label1"_s << 840 + 2415 / 2 << 9.75
                               << 0.0;
    // The title widens about its centre, at once.
    QTest::newRow("about box, its title in a wider type")
        << u"about"_s << QString() << u"Label1"_s << 840 + 2415 / 2 << 14.0 << 14.0;
}

void TestLayout::captionsFit()
{
    QFETCH(QString, state);
    QFETCH(QString, actionCaption);
    QFETCH(QString, centred);
    QFETCH(int, centreTwips);
    QFETCH(qreal, centredPoints);
    QFETCH(qreal, widerPoints);
    QStringList problems;
    QString shownCaption;
    int captioned = 0;
    inWindow(state, [&](Form &form) {
        if (widerPoints > 0) {
            auto *title = form.findChild<QWidget *>(centred);
            QFont wider = title->font();
            wider.setPointSizeF(widerPoints);
            title->setFont(wider);
        }
        problems = captionProblems(form);
        if (!centred.isEmpty()) {
            const auto centre = paintedCentre(form.findChild<QWidget *>(centred), form);
            // Within a pixel and a half: the ends of the letters are not the ends of their
            // advances.
            if (!centre || std::abs(*centre - centreTwips / 15.0) > 1.5)
                problems << QStringLiteral("%1 is painted about %2 px, not centred on %3 px")
                                .arg(centred)
                                .arg(centre.value_or(-1))
                                .arg(centreTwips / 15.0);
            const QFont font = form.findChild<QWidget *>(centred)->font();
            if (font.pointSizeF() != centredPoints || font.bold() || font.italic())
                problems << QStringLiteral("%1 is in %2 points%3, not %4 regular")
                                .arg(centred)
                                .arg(font.pointSizeF())
                                .arg(font.bold() || font.italic() ? u" bold or italic"_s
                                                                  : QString())
                                .arg(centredPoints);
        }
        for (QWidget *control : controlsOf(form))
            captioned += qobject_cast<QAbstractButton *>(control) ||
                         qobject_cast<QLabel *>(control) || qobject_cast<QGroupBox *>(control);
        if (auto *w = qobject_cast<frmStudent *>(&form))
            shownCaption = w->cmdAction->text();
    });
    QVERIFY(captioned >= 2);
    QCOMPARE(shownCaption, actionCaption); // the mode's own caption was measured
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u"; "_s)));
}

void TestLayout::windowsKeepProportions_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QSize>("clientTwips");
    QTest::addColumn<QSize>("clientPixels"); // 15 twips to the pixel, rounded
    QTest::addColumn<bool>("sizable");       // resizing then moves and resizes no control
    QTest::newRow("main window") << u"main"_s << QSize(5565, 3195) << QSize(371, 213) << true;
    QTest::newRow("student window") << u"add"_s << QSize(5280, 3900) << QSize(352, 260) << false;
    QTest::newRow("about box") << u"about"_s << QSize(4470, 3405) << QSize(298, 227) << true;
}

void TestLayout::windowsKeepProportions()
{
    QFETCH(QString, state);
    QFETCH(QSize, clientTwips);
    QFETCH(QSize, clientPixels);
    QFETCH(bool, sizable);
    QSize client;
    QSize window;
    int menuHeight = 0;
    qreal ratio = 0;
    QStringList moved;
    inWindow(state, [&](Form &form) {
        client = form.client()->size();
        window = form.size();
        menuHeight = form.menuBar() ? form.menuBar()->height() : 0;
        ratio = form.windowHandle()->devicePixelRatio();
        if (!sizable)
            return;
        std::vector<std::pair<QWidget *, QRect>> before;
        for (QWidget *control : controlsOf(form))
            before.emplace_back(control, control->geometry());
        const QSize grown = window + QSize(window.width() / 2, window.height() / 2);
        form.resize(grown);
        if (!QTest::qWaitFor([&] { return form.size() == grown; }, testing::WaitLimitMs)) {
            moved << u"the window did not grow"_s;
            return;
        }
        for (const auto &[control, rect] : before) {
            if (control->geometry() != rect)
                moved << control->objectName();
        }
    });
    QVERIFY2(moved.isEmpty(), qPrintable(moved.join(u", "_s)));
    // Logical pixels are the same at every scale; the scale multiplies them all alike.
    QCOMPARE(ratio, expectedScale());
    QCOMPARE(client, clientPixels);
    QVERIFY(qAbs(double(client.width()) / client.height() -
                 double(clientTwips.width()) / clientTwips.height()) < 0.01);
    // The window is its client area under the menu bar: nothing cut off, nothing stretched.
    QCOMPARE(window, client + QSize(0, menuHeight));
}

void TestLayout::windowsFollowThePalette_data()
{
    QTest::addColumn<QPalette>("palette");
    QTest::addColumn<QString>("state");
    // Desktop palettes whose roles all differ, so that a pixel tells which role painted it.
    const std::pair<const char *, QPalette> palettes[] = {
        {"dark", paletteOf({QColor(45, 45, 48), QColor(230, 230, 230), QColor(30, 30, 60),
                            QColor(250, 220, 120), QColor(60, 60, 60), QColor(120, 250, 160),
                            QColor(200, 60, 140), QColor(255, 255, 255)})},
        {"high contrast", paletteOf({Qt::black, Qt::white, Qt::black, Qt::white, Qt::black,
                                     Qt::yellow, Qt::cyan, Qt::black})}};
    for (const auto &[name, palette] : palettes) {
        for (const QString &state : {u"main"_s, u"add"_s, u"about"_s})
            QTest::addRow("%s, %s", name, qPrintable(state)) << palette << state;
    }
}

void TestLayout::windowsFollowThePalette()
{
    QFETCH(QPalette, palette);
    QFETCH(QString, state);
    const QPalette previous = QApplication::palette();
    const auto restore = qScopeGuard([&previous] { QApplication::setPalette(previous); });
    // Widgets take up a new application palette only while QApplication::exec runs, which a
    // test never starts: the windows are made afresh, as on a desktop that starts dark.
    m_program.reset();
    QApplication::setPalette(palette);
    init();
    main().lstStudent->AddItem(u"Ann Lee"_s);
    main().lstStudent->AddItem(u"Bob Ray"_s);
    main().lstStudent->setListIndex(0);
    QStringList problems;
    inWindow(state, [&](Form &form) {
        if (auto *w = qobject_cast<frmStudent *>(&form)) {
            QTest::keyClicks(w->txtName, u"Ann Lee"_s);
            w->lstMajor->setListIndex(1);
        }
        problems = paletteProblems(form, palette);
    });
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u"; "_s)));
}

SI_TEST_MAIN(TestLayout)
#include "tst_layout.moc"
