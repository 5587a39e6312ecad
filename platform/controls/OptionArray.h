#pragma once

#include "platform/controls/OptionButton.h"

#include <QButtonGroup>
#include <QString>

#include <cstdint>
#include <functional>

namespace platform {

// Option buttons sharing a name and a Click handler that receives the element's index; an
// exclusive button group keeps at most one of them on.
class OptionArray
{
public:
    explicit OptionArray(QString name);
    Q_DISABLE_COPY_MOVE(OptionArray)

    OptionButton *add(QWidget *parent, const QString &caption, QRect geometry);
    OptionButton &operator[](int index) const;
    int count() const { return static_cast<int>(m_group.buttons().size()); }
    const QString &name() const { return m_name; }

    void setClickHandler(std::function<void(std::int16_t)> handler);

    // Every way an element turns on ends here: the others go off, then Click runs once, also
    // for an element that was on already.
    void select(int index);
    // Turns the element off; Qt's exclusive group alone would refuse to leave none on.
    void deselect(int index);
    // The array is one stop in the tab order: the element that is on, the first when none is.
    // The others take the focus only from a click, an arrow key or an access key.
    void updateTabStop();

private:
    QString m_name;
    QButtonGroup m_group;
    std::function<void(std::int16_t)> m_click;
};

} // namespace platform
