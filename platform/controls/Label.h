#pragma once

#include <QLabel>
#include <QString>

namespace platform {

// Label; an access key in its caption moves the focus to its partner control.
class Label : public QLabel
{
    Q_OBJECT

public:
    Label(QWidget *parent, const QString &name, const QString &caption, QRect geometry,
          Qt::Alignment alignment = Qt::AlignLeft, QWidget *partner = nullptr);

protected:
    // Qt keeps a placed label's size when the font changes; the caption must stay whole.
    void changeEvent(QEvent *event) override;

private:
    void fitToCaption();

    QRect m_designRect;
};

} // namespace platform
