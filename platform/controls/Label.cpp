#include "platform/controls/Label.h"

#include "platform/controls/placement.h"
#include "platform/forms/accessKey.h"

#include <QEvent>

namespace platform {

Label::Label(QWidget *parent, const QString &name, const QString &caption, QRect geometry,
             Qt::Alignment alignment, QWidget *partner)
    : QLabel(parent)
{
    place(this, name, geometry);
    setTextFormat(Qt::PlainText);
    setAlignment(alignment | Qt::AlignTop);
    if (partner) {
        setText(caption);
        setBuddy(partner);
        if (partner->accessibleName().isEmpty())
            partner->setAccessibleName(withoutAccessKey(caption));
    } else {
        setText(withoutAccessKey(caption));
    }
    m_designRect = geometry;
    fitToCaption();
}

void Label::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitToCaption();
}

void Label::fitToCaption()
{
    setGeometry(m_designRect);
    // Room for one line only: wrapping would cut the second line off, so widen instead,
    // about the centre for a centred caption.
    const bool oneLine = height() < 2 * fontMetrics().lineSpacing();
    setWordWrap(!oneLine);
    if (!oneLine)
        return;
    const int needed = sizeHint().width();
    if (needed <= width())
        return;
    if (alignment() & Qt::AlignHCenter)
        setGeometry(x() - (needed - width() + 1) / 2, y(), needed, height());
    else
        resize(needed, height());
}

} // namespace platform
