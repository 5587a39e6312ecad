#pragma once

#include <QGroupBox>
#include <QRect>
#include <QString>

namespace platform {

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

} // namespace platform
