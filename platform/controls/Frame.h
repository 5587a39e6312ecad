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
};

} // namespace platform
