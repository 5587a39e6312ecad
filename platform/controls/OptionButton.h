#pragma once

#include <QRadioButton>
#include <QString>

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
    // Qt's arrow keys stop at the first and last buttons; here they wrap round. Enter is left
    // to the window.
    void keyPressEvent(QKeyEvent *event) override;
    void nextCheckState() override;
    // Qt moves the tab stop to a button that takes the focus; here the array keeps it.
    void focusInEvent(QFocusEvent *event) override;
    // An access key turns the button on before it takes the focus, not 100 ms after, so that
    // the focus finds it on.
    bool event(QEvent *event) override;

private:
    friend class OptionArray;
    // Turns it on for the array, which raises Click itself.
    void turnOn();

    OptionArray &m_array;
    int m_index;
    // Set while a click or the array turns the button on: they raise Click themselves.
    bool m_clickRaisedElsewhere = false;
};

} // namespace platform
