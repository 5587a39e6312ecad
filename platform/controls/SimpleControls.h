#pragma once

#include <QCheckBox>
#include <QGroupBox>
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
    TextBox(QWidget *parent, const QString &name, QRect twips);
    QString Text() const { return text(); }
    void setText(const QString &value) { QLineEdit::setText(value); }
    void SetFocus() { setFocus(Qt::OtherFocusReason); }
};

// Check box whose value is 0 (unchecked), 1 (checked) or 2 (grayed, set from code only).
class CheckBox : public QCheckBox
{
    Q_OBJECT

public:
    CheckBox(QWidget *parent, const QString &name, const QString &caption, QRect twips);
    int Value() const;
    void setValue(int value);

protected:
    void nextCheckState() override;
    bool hitButton(const QPoint &position) const override { return rect().contains(position); }
};

// Frame with a caption; controls inside it are placed relative to its top-left corner.
class Frame : public QGroupBox
{
    Q_OBJECT

public:
    Frame(QWidget *parent, const QString &name, const QString &caption, QRect twips);
};

// Image that draws its picture stretched to the whole control.
class Image : public QWidget
{
    Q_OBJECT

public:
    Image(QWidget *parent, const QString &name, QRect twips);
    void setPicture(const QPixmap &picture);
    const QPixmap &picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
};

} // namespace platform
