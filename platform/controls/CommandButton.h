#pragma once

#include <QPushButton>
#include <QString>

namespace platform {

// Command button whose caption wraps onto more lines when it does not fit on one.
class CommandButton : public QPushButton
{
    Q_OBJECT

public:
    CommandButton(QWidget *parent, const QString &name, const QString &caption, QRect twips);
    QString Caption() const { return text(); }
    void setCaption(const QString &caption);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace platform
