#pragma once

#include <QCheckBox>
#include <QRect>
#include <QString>

namespace platform {

// Check box whose value is 0 (unchecked), 1 (checked) or 2 (grayed, set from code only).
class CheckBox : public QCheckBox
{
    Q_OBJECT

public:
    CheckBox(QWidget *parent, const QString &name, const QString &caption, QRect geometry);
    int Value() const;
    void setValue(int value);

protected:
    // Qt's tristate box takes the user through grayed as well; here a click only toggles.
    void nextCheckState() override;
    // Qt answers only on the box and the caption; here the whole control does.
    bool hitButton(const QPoint &position) const override { return rect().contains(position); }
    // Enter is left to the window's default button, under every platform theme.
    void keyPressEvent(QKeyEvent *event) override;
    // The access key ticks the box before it takes the focus.
    bool event(QEvent *event) override;
};

} // namespace platform
