#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QString>
#include <QWidget>

// The controls that add little to Qt's widgets: a text box, a check box, a frame and an image.
namespace platform {

// Single-line text box with no length limit.
class TextBox : public QLineEdit
{
    Q_OBJECT

public:
    TextBox(QWidget *parent, const QString &name, QRect geometry);
    QString Text() const { return text(); }
    void setText(const QString &value) { QLineEdit::setText(value); }
    void SetFocus() { setFocus(Qt::OtherFocusReason); }
};

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
};

// Frame with a caption; controls inside it are placed relative to its top-left corner.
class Frame : public QGroupBox
{
    Q_OBJECT

public:
    Frame(QWidget *parent, const QString &name, const QString &caption, QRect geometry);

protected:
    // Enter from a control inside goes on to the window's default button.
    bool event(QEvent *event) override;
};

// Image: its picture stretched to the whole control.
class Image : public QLabel
{
    Q_OBJECT

public:
    Image(QWidget *parent, const QString &name, QRect geometry);
    void setPicture(const QPixmap &picture) { setPixmap(picture); }
    QPixmap picture() const { return pixmap(); }
};

} // namespace platform
