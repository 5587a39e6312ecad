#pragma once

#include <QLabel>
#include <QPixmap>
#include <QRect>
#include <QString>

namespace platform {

// Image: its picture stretched to the whole control, pixel for pixel.
class Image : public QLabel
{
    Q_OBJECT

public:
    Image(QWidget *parent, const QString &name, QRect geometry);
    void setPicture(const QPixmap &picture) { setPixmap(picture); }

protected:
    // QLabel smooths a scaled picture, which turns a 16-colour picture into hundreds of colours.
    void paintEvent(QPaintEvent *event) override;
};

} // namespace platform
