#pragma once

#include <QButtonGroup>
#include <QRadioButton>
#include <QString>

#include <cstdint>
#include <functional>

namespace platform {

class OptionArray;

// One element of an option-button array.
class OptionButton : public QRadioButton
{
    Q_OBJECT

public:
    OptionButton(OptionArray &array, int index, QWidget *parent, const QString &caption,
                 QRect geometry);
    bool Value() const { return isChecked(); }
    // On selects it as a click would, Click included; off may leave every element off.
    void setValue(bool value);

protected:
    // Qt answers only on the circle and the caption; here the whole control does.
    bool hitButton(const QPoint &position) const override { return rect().contains(position); }
    // Qt's arrow keys stop at the first and last buttons; here they wrap round.
    void keyPressEvent(QKeyEvent *event) override;

private:
    OptionArray &m_array;
    int m_index;
};

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

    // Selecting from code or by the user: the others go off, then Click runs.
    void select(int index);
    // Turns the element off; Qt's exclusive group alone would refuse to leave none on.
    void deselect(int index);

private:
    QString m_name;
    QButtonGroup m_group;
    std::function<void(std::int16_t)> m_click;
};

} // namespace platform
