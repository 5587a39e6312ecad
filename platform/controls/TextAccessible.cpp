#include "platform/controls/TextAccessible.h"

#include "platform/controls/ComboBox.h"
#include "platform/controls/TextBox.h"
#include "platform/forms/modality.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLineEdit>

namespace platform {

namespace {

// An edit field as Qt presents it (value, states, text, cursor and selection), except that
// no text changes while a modal window blocks its window: Qt's editable text sets the text
// directly, past anything the field itself could check.
class TextAccessible : public QAccessibleWidget,
                       public QAccessibleTextInterface,
                       public QAccessibleEditableTextInterface
{
public:
    explicit TextAccessible(QLineEdit *edit) : QAccessibleWidget(edit, QAccessible::EditableText)
    {
        addControllingSignal(QStringLiteral("textChanged(const QString&)"));
        addControllingSignal(QStringLiteral("returnPressed()"));
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text type) const override
    {
        const QString value = type == QAccessible::Value ? edit()->displayText() : QString();
        return value.isEmpty() ? QAccessibleWidget::text(type) : value;
    }
    void setText(QAccessible::Text type, const QString &text) override
    {
        if (type != QAccessible::Value)
            QAccessibleWidget::setText(type, text);
        else
            change(text);
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = edit()->isReadOnly();
        state.editable = !state.readOnly;
        state.passwordEdit = edit()->echoMode() != QLineEdit::Normal;
        state.selectableText = true;
        return state;
    }
    void doAction(const QString &actionName) override
    {
        if (!isBlockedByModalWindow(edit()))
            QAccessibleWidget::doAction(actionName);
    }

    // Editable text.
    void deleteText(int startOffset, int endOffset) override
    {
        change(edit()->text().remove(startOffset, endOffset - startOffset));
    }
    void insertText(int offset, const QString &text) override
    {
        change(edit()->text().insert(offset, text));
    }
    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        change(edit()->text().replace(startOffset, endOffset - startOffset, text));
    }

    // Text.
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex != 0)
            return;
        *startOffset = edit()->selectionStart();
        *endOffset = *startOffset + int(edit()->selectedText().size());
    }
    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override
    {
        setSelection(0, startOffset, endOffset);
    }
    void removeSelection(int selectionIndex) override
    {
        if (selectionIndex == 0)
            edit()->deselect();
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override
    {
        if (selectionIndex == 0)
            edit()->setSelection(startOffset, endOffset - startOffset);
    }
    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }
    QString text(int startOffset, int endOffset) const override
    {
        if (startOffset > endOffset)
            return QString();
        return edit()->displayText().mid(startOffset, endOffset - startOffset);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int *startOffset, int *endOffset) const override
    {
        return QAccessibleTextInterface::textBeforeOffset(atCursor(offset), boundaryType,
                                                          startOffset, endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int *startOffset, int *endOffset) const override
    {
        return QAccessibleTextInterface::textAfterOffset(atCursor(offset), boundaryType,
                                                         startOffset, endOffset);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override
    {
        return QAccessibleTextInterface::textAtOffset(atCursor(offset), boundaryType, startOffset,
                                                      endOffset);
    }
    int characterCount() const override { return int(edit()->displayText().size()); }
    QRect characterRect(int offset) const override
    {
        const QString character = text(offset, offset + 1);
        if (character.isEmpty())
            return QRect();
        // Measured from the cursor, whose place Qt reports with the field's scrolling applied.
        const QFontMetrics metrics(edit()->font());
        const QString shown = edit()->displayText();
        const QRect cursor = edit()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const int x = cursor.center().x() + metrics.horizontalAdvance(shown.left(offset)) -
                      metrics.horizontalAdvance(shown.left(edit()->cursorPosition()));
        const QRect local(x, edit()->textMargins().top(), metrics.horizontalAdvance(character),
                          metrics.height());
        return local.translated(edit()->mapToGlobal(QPoint(0, 0)));
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return edit()->cursorPositionAt(edit()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        edit()->setCursorPosition(endIndex);
        edit()->setCursorPosition(startIndex);
    }
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return QString();
    }

private:
    QLineEdit *edit() const { return static_cast<QLineEdit *>(widget()); }
    int atCursor(int offset) const { return offset == -2 ? cursorPosition() : offset; }
    void change(const QString &text)
    {
        if (!isBlockedByModalWindow(edit()))
            edit()->setText(text);
    }
};

} // namespace

void installTextAccessibility()
{
    static const bool installed = (QAccessible::installFactory(accessibleText), true);
    Q_UNUSED(installed);
}

QAccessibleInterface *accessibleText(const QString &className, QObject *object)
{
    if (className == QLatin1String(TextBox::staticMetaObject.className()))
        return new TextAccessible(static_cast<TextBox *>(object));
    if (className == QLatin1String(QLineEdit::staticMetaObject.className()) &&
        qobject_cast<ComboBox *>(object->parent()))
        return new TextAccessible(static_cast<QLineEdit *>(object));
    return nullptr;
}

} // namespace platform
