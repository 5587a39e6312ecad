#include "platform/controls/OptionArray.h"

#include "platform/controls/ButtonAccessible.h"
#include "platform/controls/placement.h"
#include "platform/core/RuntimeError.h"
#include "platform/services/dispatch.h"

#include <QKeyEvent>

#include <utility>

namespace platform {

OptionButton::OptionButton(OptionArray &array, int index, QWidget *parent, const QString &caption,
                           QRect geometry)
    : QRadioButton(caption, parent), m_array(array), m_index(index)
{
    installButtonAccessibility();
    place(this, array.name() + QStringLiteral("_%1").arg(index), geometry);
    fitCaption(this);
}

void OptionButton::setValue(bool value)
{
    if (value)
        m_array.select(m_index);
    else
        m_array.deselect(m_index);
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
    OptionButton &target = m_array[(m_index + step + count) % count];
    target.setFocus(Qt::TabFocusReason);
    target.click();
    event->accept();
}

OptionArray::OptionArray(QString name) : m_name(std::move(name))
{
    // Screen readers announce a radio button that is not auto-exclusive as a check box, so the
    // buttons stay auto-exclusive; in a group, the group decides.
    m_group.setExclusive(true);
    QObject::connect(&m_group, &QButtonGroup::idClicked, &m_group,
                     [this](int index) { dispatch([this, index] { select(index); }); });
}

OptionButton *OptionArray::add(QWidget *parent, const QString &caption, QRect geometry)
{
    const int index = count();
    auto *button = new OptionButton(*this, index, parent, caption, geometry);
    m_group.addButton(button, index);
    return button;
}

OptionButton &OptionArray::operator[](int index) const
{
    auto *button = static_cast<OptionButton *>(m_group.button(index));
    if (!button)
        throw RuntimeError::invalidArgument(
            QStringLiteral("control array element %1 does not exist").arg(index));
    return *button;
}

void OptionArray::setClickHandler(std::function<void(std::int16_t)> handler)
{
    m_click = std::move(handler);
}

void OptionArray::select(int index)
{
    (*this)[index].setChecked(true);
    if (m_click)
        m_click(static_cast<std::int16_t>(index));
}

void OptionArray::deselect(int index)
{
    OptionButton &button = (*this)[index];
    m_group.setExclusive(false);
    button.setChecked(false);
    m_group.setExclusive(true);
}

} // namespace platform
