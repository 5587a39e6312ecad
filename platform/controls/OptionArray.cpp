#include "platform/controls/OptionArray.h"

#include "platform/core/RuntimeError.h"
#include "platform/services/dispatch.h"

#include <utility>

namespace platform {

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
    updateTabStop();
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
    (*this)[index].turnOn();
    if (m_click)
        m_click(static_cast<std::int16_t>(index));
}

void OptionArray::deselect(int index)
{
    OptionButton &button = (*this)[index];
    m_group.setExclusive(false);
    button.setChecked(false);
    m_group.setExclusive(true);
    updateTabStop();
}

void OptionArray::updateTabStop()
{
    const QAbstractButton *on = m_group.checkedButton();
    const auto buttons = m_group.buttons();
    for (QAbstractButton *button : buttons) {
        const bool stop = on ? button == on : button == buttons.front();
        button->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

} // namespace platform
