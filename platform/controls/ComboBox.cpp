#include "platform/controls/ComboBox.h"

#include "platform/controls/placement.h"

#include <QKeyEvent>
#include <QScopedValueRollback>

#include <algorithm>
#include <limits>

namespace platform {

ComboBox::ComboBox(QWidget *parent, const QString &name, QRect geometry, Sorting sorting)
    : QWidget(parent), m_edit(new QLineEdit(this)),
      m_list(new ListBox(this, name + QStringLiteral("_list"), QRect(), sorting))
{
    place(this, name, geometry);
    m_edit->setObjectName(name + QStringLiteral("_edit"));
    m_edit->setMaxLength(std::numeric_limits<int>::max());
    const int editHeight = std::min(height(), m_edit->sizeHint().height());
    m_edit->setGeometry(0, 0, width(), editHeight);
    m_list->setGeometry(0, editHeight, width(), std::max(0, height() - editHeight));
    // One tab stop: the edit field. The list is reached with the mouse or the arrow keys.
    m_list->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_edit);
    m_edit->installEventFilter(this);

    // Every change of the text, not only typing: paste, undo, the program, and a screen
    // reader's editable text, which sets the text without an edit.
    connect(m_edit, &QLineEdit::textChanged, this, [this] {
        if (!m_followingList)
            selectMatching();
    });
    connect(m_list, &ListBox::selectionChanged, this, [this] {
        if (!m_followingEdit)
            showSelection();
    });
}

void ComboBox::setAccessibleNames(const QString &name)
{
    setAccessibleName(name);
    m_edit->setAccessibleName(name);
    m_list->setAccessibleName(name);
}

void ComboBox::selectMatching()
{
    const int match = m_list->findExact(m_edit->text());
    if (match != m_list->ListIndex()) {
        // A typed text that matches no entry stays in the edit field.
        const QScopedValueRollback following(m_followingEdit, true);
        m_list->setListIndex(match);
    }
}

void ComboBox::showSelection()
{
    const int index = m_list->ListIndex();
    const QString text = index == -1 ? QString() : m_list->List(index);
    // Setting an equal text would still move the cursor and drop the undo history.
    if (m_edit->text() != text) {
        // Of equal entries, the one picked stays selected rather than the first.
        const QScopedValueRollback following(m_followingList, true);
        m_edit->setText(text);
    }
}

void ComboBox::setText(const QString &value)
{
    m_edit->setText(value);
    selectMatching();
}

void ComboBox::setListIndex(int index)
{
    m_list->setListIndex(index);
    // Also when the selection did not change: -1 empties a typed text.
    showSelection();
}

bool ComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const int count = m_list->ListCount();
        if ((key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) && count > 0) {
            const int current = m_list->ListIndex();
            int next = 0;
            if (current >= 0)
                next = key->key() == Qt::Key_Down ? std::min(current + 1, count - 1)
                                                  : std::max(current - 1, 0);
            setListIndex(next);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace platform
