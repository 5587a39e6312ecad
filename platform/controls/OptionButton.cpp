#include "platform/controls/OptionButton.h"

#include "platform/controls/OptionArray.h"
#include "platform/controls/placement.h"
#include "platform/controls/shortcut.h"
#include "platform/services/dispatch.h"

#include <QKeyEvent>
#include <QScopedValueRollback>

namespace platform {

OptionButton::OptionButton(OptionArray &array, int index, QWidget *parent, const QString &caption,
                           QRect geometry)
    : QRadioButton(caption, parent), m_array(array), m_index(index)
{
    place(this, array.name() + QStringLiteral("_%1").arg(index), geometry);
    fitCaption(this);
    // Clicks and code raise Click themselves; whatever else turns the button on (a screen
    // reader's Toggle action calls toggle(), which emits no clicked) raises it here.
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        m_array.updateTabStop();
        if (on && !m_clickRaisedElsewhere)
            dispatch([this] { m_array.select(m_index); });
    });
}

void OptionButton::focusInEvent(QFocusEvent *event)
{
    QRadioButton::focusInEvent(event);
    m_array.updateTabStop();
}

bool OptionButton::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut && pressByAccessKey(this, event))
        return true;
    return QRadioButton::event(event);
}

void OptionButton::setValue(bool value)
{
    if (value)
        m_array.select(m_index);
    else
        m_array.deselect(m_index);
}

void OptionButton::turnOn()
{
    const QScopedValueRollback quiet(m_clickRaisedElsewhere, true);
    setChecked(true);
}

void OptionButton::nextCheckState()
{
    // A click turns the button on here and then emits clicked, which the array answers.
    const QScopedValueRollback quiet(m_clickRaisedElsewhere, true);
    QRadioButton::nextCheckState();
}

void OptionButton::keyPressEvent(QKeyEvent *event)
{
    // The GNOME platform theme makes Enter press a focused radio button; here Enter goes on to
    // the window's default button under every theme.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    int step = 0;
    if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Right)
        step = 1;
    else if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Left)
        step = -1;
    if (step == 0 || event->modifiers() != Qt::NoModifier) {
        QRadioButton::keyPressEvent(event);
        return;
    }
    const int count = m_array.count();
    OptionButton &target = m_array[(m_index + step + count) % count];
    // On before it takes the focus, so that the focus finds it on.
    target.click();
    target.setFocus(Qt::TabFocusReason);
    event->accept();
}

} // namespace platform
