#include "platform/accessibility/interfaces.h"

#include "platform/controls/ComboBox.h"
#include "platform/controls/TextBox.h"
#include "platform/forms/modality.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLineEdit>
#include <QTextBoundaryFinder>

#include <algorithm>

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
        return piece(atCursor(offset), boundaryType, -1, startOffset, endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int *startOffset, int *endOffset) const override
    {
        return piece(atCursor(offset), boundaryType, 1, startOffset, endOffset);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override
    {
        return piece(atCursor(offset), boundaryType, 0, startOffset, endOffset);
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
    // One run without attributes over the whole text. An empty run at each offset (Qt's line
    // edit gives that) makes a screen reader that reads the text run by run drop its last
    // character.
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        const int count = characterCount();
        *startOffset = offset < 0 || offset > count ? -1 : 0;
        *endOffset = offset < 0 || offset > count ? -1 : count;
        return QString();
    }

private:
    QLineEdit *edit() const { return static_cast<QLineEdit *>(widget()); }
    int atCursor(int offset) const { return offset == -2 ? cursorPosition() : offset; }
    // The piece of the text at the offset (step 0), or the one before (-1) or after (1) it. A
    // field holds one line, so a line, sentence or paragraph is the whole text. Qt's default
    // never returns for a word at the end of the text.
    QString piece(int offset, QAccessible::TextBoundaryType boundaryType, int step,
                  int *startOffset, int *endOffset) const
    {
        const QString shown = edit()->displayText();
        const auto count = int(shown.size());
        *startOffset = *endOffset = -1;
        if (offset < 0 || offset > count)
            return QString();
        QList<int> bounds;
        switch (boundaryType) {
        case QAccessible::CharBoundary:
            for (int i = 0; i <= count; ++i)
                bounds << i;
            break;
        case QAccessible::WordBoundary: {
            QTextBoundaryFinder finder(QTextBoundaryFinder::Word, shown);
            for (qsizetype at = 0; at >= 0; at = finder.toNextBoundary())
                bounds << int(at);
            break;
        }
        default:
            bounds << 0 << count;
            break;
        }
        // The piece holding the offset; at the very end, the last one.
        qsizetype index =
            std::upper_bound(bounds.cbegin(), bounds.cend(), offset) - bounds.cbegin() - 1;
        index = std::min(index, bounds.size() - 2) + step;
        if (count == 0 || index < 0 || index + 1 >= bounds.size())
            return QString();
        *startOffset = bounds[index];
        *endOffset = bounds[index + 1];
        return shown.mid(*startOffset, *endOffset - *startOffset);
    }
    void change(const QString &text)
    {
        if (!isBlockedByModalWindow(edit()))
            edit()->setText(text);
    }
};

} // namespace

QAccessibleInterface *accessibility::textInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String(TextBox::staticMetaObject.className()))
        return new TextAccessible(static_cast<TextBox *>(object));
    if (className == QLatin1String(QLineEdit::staticMetaObject.className()) &&
        qobject_cast<ComboBox *>(object->parent()))
        return new TextAccessible(static_cast<QLineEdit *>(object));
    return nullptr;
}

} // namespace platform
