#pragma once

#include <QLineEdit>
#include <QRect>
#include <QString>

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

} // namespace platform
