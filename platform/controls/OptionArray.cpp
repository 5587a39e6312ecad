#include "platform/controls/OptionArray.h"

#include "platform/controls/placement.h"
#include "platform/core/RuntimeError.h"
#include "platform/services/dispatch.h"

#include <QKeyEvent>

#include <utility>

namespace platform {

OptionButton::OptionButton(OptionArray &array, int index, QWidget *parent, const QString &caption,
                           QRect twips)
    : QRadioButton(caption, parent), m_array(array), m_index(index)
{
    place(this, array.name() + QStringLiteral("_%1").arg(index), twips);
    fitCaption(this);
    // Left auto-exclusive: screen readers announce a non-exclusive one as a check box.
    connect(this, &QAbstractButton::clicked, this,
            [this] { dispatch([this] { m_array.select(m_index); }); });
}

void OptionButton::setValue(bool value)
{
    if (value) {
        m_array.select(m_index);
    } else {
        // The checked button of an exclusive set refuses to go off; all of them may be off.
        setAutoExclusive(false);
        setChecked(false);
        setAutoExclusive(true);
    }
}

void OptionButton::nextCheckState()
{
    // A click always selects, never clears.
    setChecked(true);
}

void OptionButton::keyPressEvent(QKeyEvent *event)
{
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
    const int next = (m_index + step + count) % count;
    OptionButton &target = m_array[next];
    target.setFocus(Qt::TabFocusReason);
    target.click();
    event->accept();
}

OptionButton *OptionArray::add(QWidget *parent, const QString &caption, QRect twips)
{
    auto *button = new OptionButton(*this, count(), parent, caption, twips);
    m_buttons.push_back(button);
    return button;
}

OptionButton &OptionArray::operator[](int index) const
{
    if (index < 0 || index >= count())
        throw RuntimeError::invalidArgument(
            QStringLiteral("control array element %1 does not exist").arg(index));
    return *m_buttons[static_cast<std::size_t>(index)];
}

void OptionArray::setClickHandler(std::function<void(std::int16_t)> handler)
{
    m_click = std::move(handler);
}

void OptionArray::select(int index)
{
    for (int i = 0; i < count(); ++i)
        m_buttons[static_cast<std::size_t>(i)]->setChecked(i == index);
    if (m_click)
        m_click(static_cast<std::int16_t>(index));
}

} // namespace platform
