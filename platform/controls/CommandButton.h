#pragma once

#include <QPushButton>
#include <QString>

namespace platform {

// Command button whose caption wraps onto more lines when it does not fit on one.
class CommandButton : public QPushButton
{
    Q_OBJECT

public:
    CommandButton(QWidget *parent, const QString &name, const QString &caption, QRect geometry);
    void setCaption(const QString &caption);

protected:
    // QPushButton never wraps its caption; this one takes a second line when it must.
    void paintEvent(QPaintEvent *event) override;
    // Qt presses a focused button on Enter only when it may become the default one.
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace platform
