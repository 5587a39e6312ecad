#include "platform/controls/CommandButton.h"

#include "platform/controls/placement.h"

#include <QKeyEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace platform {

CommandButton::CommandButton(QWidget *parent, const QString &name, const QString &caption,
                             QRect geometry)
    : QPushButton(caption, parent)
{
    place(this, name, geometry);
    setAutoDefault(false);
}

void CommandButton::setCaption(const QString &caption)
{
    setText(caption);
    update();
}

void CommandButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    // QPushButton never wraps; the caption is drawn here so that it can take two lines.
    const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(area.adjusted(1, 0, -1, 0), flags, caption);
}

void CommandButton::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // Enter on a focused button presses that button, not the window's default one.
        click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

} // namespace platform
