#include "platform/forms/Form.h"

#include "platform/core/RuntimeError.h"
#include "platform/forms/accessKey.h"
#include "platform/services/dispatch.h"
#include "platform/services/focusReturn.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace platform {

namespace {

// Key rules that no one widget can keep, watched for the whole application.
class KeyboardRules final : public QObject
{
public:
    static void install()
    {
        static QPointer<KeyboardRules> rules;
        if (!rules && qApp)
            rules = new KeyboardRules(qApp);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &m_quiet)
            return false;
        switch (event->type()) {
        case QEvent::Shortcut: {
            // An access key (Alt+E) consumed the key between Alt's press and release, yet Qt
            // (before 6.5) lets a menu bar take that release for Alt tapped alone and take the
            // focus, even in a window behind a modal one. Any event of the kind that ends Qt's
            // wait for the release ends it here, for every menu bar.
            QFocusEvent end(QEvent::FocusOut);
            QCoreApplication::sendEvent(&m_quiet, &end);
            m_keySinceAlt = true;
            return false;
        }
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (event->spontaneous()) {
                if (event->type() == QEvent::KeyPress)
                    noteKey(key);
            } else if (key->key() == Qt::Key_Alt && m_keySinceAlt) {
                // Alt handed on late, after its access key answered: an open menu would close
                // on it and a menu bar take its release for Alt alone.
                return true;
            }
            return event->type() == QEvent::KeyPress && isStrayAccessKey(watched, key);
        }
        case QEvent::FocusIn:
            if (auto *bar = qobject_cast<QMenuBar *>(watched);
                bar && m_keySinceAlt &&
                static_cast<QFocusEvent *>(event)->reason() == Qt::MenuBarFocusReason)
                QMetaObject::invokeMethod(
                    bar, [bar] { leaveMenuBar(bar); }, Qt::QueuedConnection);
            return false;
        default:
            return false;
        }
    }

private:
    explicit KeyboardRules(QObject *parent) : QObject(parent)
    {
        qApp->installEventFilter(this);
        trackFocusedControls();
    }

    // Alt with a letter that no control of the window answers reaches the focused control as
    // a key press: a text box would type the letter, a list would search for it. It does
    // nothing, as in any desktop program. Menus answer such keys themselves and are left alone.
    static bool isStrayAccessKey(QObject *watched, const QKeyEvent *key)
    {
        const auto modifiers = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        if (modifiers != Qt::AltModifier || key->text().isEmpty() || !key->text().at(0).isPrint())
            return false;
        const auto *widget = qobject_cast<const QWidget *>(watched);
        return widget && qobject_cast<const Form *>(widget->window());
    }

    // Whether a key other than Alt was pressed since Alt went down, as the keyboard sent them. A
    // screen reader sees each key before the program, which then gets the presses and releases
    // late, after an access key has already answered; Qt's menu bar then takes Alt's release
    // for Alt tapped alone.
    void noteKey(const QKeyEvent *key)
    {
        switch (key->key()) {
        case Qt::Key_Alt:
            m_keySinceAlt = false;
            break;
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Meta:
        case Qt::Key_AltGr:
            break;
        default:
            m_keySinceAlt = true;
            break;
        }
    }

    // A menu bar that took the focus for a release of Alt that followed another key (and opened
    // no menu) gives it back, as Esc does.
    static void leaveMenuBar(QMenuBar *bar)
    {
        if (!bar->hasFocus() || QApplication::activePopupWidget())
            return;
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &escape);
    }

    // Receives only the event that ends menu bars' wait for Alt's release.
    QObject m_quiet;
    bool m_keySinceAlt = false;
};

} // namespace

Form::Form(const FormGeometry &geometry) : m_geometry(geometry)
{
    KeyboardRules::install();
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(geometry.caption);
    setAccessibleName(geometry.caption);

    Qt::WindowFlags flags = Qt::Window;
    switch (geometry.border) {
    case BorderStyle::Sizable:
        break;
    case BorderStyle::SizableTool:
    case BorderStyle::FixedDialog:
        flags = (geometry.border == BorderStyle::FixedDialog ? Qt::Dialog : Qt::Window) |
                Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                Qt::WindowCloseButtonHint;
        break;
    }
    setWindowFlags(flags);

    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setFixedSize(twipsToPixels(geometry.clientWidthTwips),
                           twipsToPixels(geometry.clientHeightTwips));
    m_layout->addWidget(m_client, 0, Qt::AlignLeft | Qt::AlignTop);
    m_layout->addStretch(1);
    // Controls stay where they are placed; a sizable window may also shrink below them.
    m_layout->setSizeConstraint(geometry.border == BorderStyle::FixedDialog
                                    ? QLayout::SetFixedSize
                                    : QLayout::SetNoConstraint);
}

Form::~Form()
{
    endModalLoop();
}

void Form::Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    dispatch([this] { Form_Load(); });
}

void Form::placeOnFirstShow()
{
    if (m_placed)
        return;
    m_placed = true;
    const int menuHeight = m_menuBar ? m_menuBar->sizeHint().height() : 0;
    const QSize size(m_client->width(), m_client->height() + menuHeight);
    if (m_geometry.border == BorderStyle::FixedDialog)
        setFixedSize(size);
    else
        resize(size);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(size.width() / 2, size.height() / 2));
    }
}

void Form::focusFirstControl()
{
    for (const auto &widget : m_tabOrder) {
        if (widget && widget->isVisibleTo(this) && widget->isEnabled() &&
            (widget->focusPolicy() & Qt::TabFocus)) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void Form::Show(ShowMode mode)
{
    if (m_unloaded)
        throw RuntimeError::invalidArgument(QStringLiteral("the window has been unloaded"));
    if (mode == ShowMode::Modal && isVisible())
        throw RuntimeError::invalidArgument(
            QStringLiteral("the window is already shown and cannot be shown modally"));
    // The program, not the window manager's timing, decides where the keyboard goes back to.
    const FocusReturn focusReturn;
    Load();
    placeOnFirstShow();
    setWindowModality(mode == ShowMode::Modal ? Qt::ApplicationModal : Qt::NonModal);
    show();
    raise();
    requestActivation(this);
    focusFirstControl();
    // Activate comes from the show only: Qt's activation events also fire when a message
    // box closes over the window, which must not set the window up again.
    dispatch([this] { Form_Activate(); });
    if (mode == ShowMode::Modeless || !isVisible() || m_unloaded)
        return;
    QEventLoop loop;
    m_modalLoop = &loop;
    loop.exec(QEventLoop::DialogExec);
    m_modalLoop = nullptr;
    focusReturn.restore();
}

void Form::endModalLoop()
{
    if (m_modalLoop)
        m_modalLoop->quit();
}

// Hiding ends a pending modal show (hideEvent), by this path or any other.
void Form::Hide()
{
    hide();
}

bool Form::Unload()
{
    if (m_unloaded)
        return true;
    int cancel = 0;
    dispatch([this, &cancel] { Form_Unload(cancel); });
    if (cancel != 0)
        return false;
    m_unloaded = true;
    hide();
    Q_EMIT unloaded();
    deleteLater();
    return true;
}

void Form::setDefaultButton(QPushButton *button)
{
    if (m_defaultButton)
        m_defaultButton->setDefault(false);
    m_defaultButton = button;
    if (button)
        button->setDefault(true);
}

void Form::setTabOrder(std::initializer_list<QWidget *> order)
{
    m_tabOrder.assign(order.begin(), order.end());
    QWidget *previous = nullptr;
    for (QWidget *widget : order) {
        if (widget->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

QMenu *Form::addMenu(const QString &objectName, const QString &caption)
{
    if (!m_menuBar) {
        m_menuBar = new QMenuBar(this);
        m_menuBar->setObjectName(QStringLiteral("menuBar"));
        m_menuBar->setNativeMenuBar(false);
        m_layout->setMenuBar(m_menuBar);
    }
    QMenu *menu = m_menuBar->addMenu(caption);
    menu->setObjectName(objectName);
    menu->menuAction()->setObjectName(objectName);
    // A screen reader names the open menu by its title.
    menu->setAccessibleName(withoutAccessKey(caption));
    return menu;
}

QAction *Form::addMenuItem(QMenu *menu, const QString &objectName, const QString &caption,
                           std::function<void()> handler)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(objectName);
    connect(action, &QAction::triggered, this,
            [handler = std::move(handler)] { dispatch(handler); });
    return action;
}

QAction *Form::addMenuSeparator(QMenu *menu, const QString &objectName)
{
    QAction *separator = menu->addSeparator();
    separator->setObjectName(objectName);
    return separator;
}

void Form::onClick(QPushButton *button, std::function<void()> handler)
{
    connect(button, &QPushButton::clicked, this,
            [handler = std::move(handler)] { dispatch(handler); });
}

void Form::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (enter && modifiers == Qt::NoModifier) {
        // Only a visible, enabled default button takes Enter (a hidden one must not).
        if (m_defaultButton && m_defaultButton->isVisibleTo(this) && m_defaultButton->isEnabled())
            m_defaultButton->click();
        event->accept();
        return;
    }
    // Esc and every other unhandled key do nothing here.
    event->accept();
}

void Form::closeEvent(QCloseEvent *event)
{
    if (m_unloaded) {
        event->accept();
        return;
    }
    // The close box never closes the window behind our back: each window says what it does.
    event->ignore();
    switch (m_geometry.closeAction) {
    case CloseAction::Unload:
        Unload();
        break;
    case CloseAction::Hide:
        Hide();
        break;
    case CloseAction::Custom:
        dispatch([this] { closeBoxPressed(); });
        break;
    }
}

void Form::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Hidden by any path (hide(), setVisible(false)): a pending modal show returns.
    if (!event->spontaneous())
        endModalLoop();
}

} // namespace platform
