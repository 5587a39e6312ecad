// How a list box answers focus, the keyboard and the mouse.

#include "platform/controls/ListBox.h"

#include "platform/controls/ListEntries.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace platform {

void ListBox::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    // Reaching the list by keyboard marks its first entry as current without selecting it.
    if (m_current < 0 && ListCount() > 0 && event->reason() != Qt::MouseFocusReason) {
        m_current = 0;
        updateEntry(0);
    }
    viewport()->update();
    // A screen reader hears the list take the focus after this handler, then its entry; a click
    // names the entry it makes current itself.
    m_announcePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_announcePending)
                announceCurrent();
        },
        Qt::QueuedConnection);
}

void ListBox::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void ListBox::moveCurrent(int key)
{
    const int count = ListCount();
    if (count == 0)
        return;
    const int step = std::max(1, pageRows() - 1);
    int next = 0;
    if (m_current >= 0) {
        switch (key) {
        case Qt::Key_Up:
            next = m_current - 1;
            break;
        case Qt::Key_Down:
            next = m_current + 1;
            break;
        case Qt::Key_PageUp:
            next = m_current - step;
            break;
        case Qt::Key_PageDown:
            next = m_current + step;
            break;
        case Qt::Key_End:
            next = count - 1;
            break;
        default:
            break;
        }
    }
    // At either end the key selects the entry it stays on, as a list box does.
    moveTo(std::clamp(next, 0, count - 1));
}

void ListBox::moveTo(int row)
{
    const bool stays = row == m_current && row != m_selected;
    setCurrent(row);
    select(row);
    scrollToEntry(row);
    // Selected where the keyboard stood: no focus moved, so a screen reader would say nothing;
    // the entry tells it its new state.
    if (stays)
        announceSelectedState();
}

void ListBox::keyboardSearch(const QString &text)
{
    const int count = ListCount();
    if (count == 0)
        return;
    // Keys typed in quick succession extend the search, as in Qt's views; a new search, or the
    // same letter again, starts after the current entry so that repeated letters move on.
    const bool fresh = text.isEmpty() || !m_searchTime.isValid() ||
                       m_searchTime.elapsed() > QApplication::keyboardInputInterval();
    m_searchTime.start();
    bool skipCurrent = false;
    if (fresh) {
        m_search = text;
        skipCurrent = m_current >= 0;
    } else {
        m_search += text;
    }
    // One letter typed again and again looks for that letter alone.
    const bool sameLetter =
        m_search.size() > 1 && m_search.count(m_search.back()) == m_search.size();
    if (sameLetter)
        skipCurrent = true;
    const QString wanted = sameLetter ? m_search.left(1) : m_search;
    int start = std::max(0, m_current);
    if (skipCurrent)
        start = (start + 1) % count;
    for (int i = 0; i < count; ++i) {
        const int row = (start + i) % count;
        if (m_entries->at(row).text.startsWith(wanted, Qt::CaseInsensitive)) {
            moveTo(row);
            return;
        }
    }
}

void ListBox::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        if (m_current >= 0)
            QGuiApplication::clipboard()->setText(List(m_current));
        event->accept();
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        moveCurrent(event->key());
        event->accept();
        return;
    case Qt::Key_Space:
    case Qt::Key_Select:
        // Ctrl+Space takes the selection back; Space also continues a search ("Ann Lee").
        if (m_current >= 0)
            select((modifiers & Qt::ControlModifier) && m_current == m_selected ? -1 : m_current);
        if (event->key() == Qt::Key_Space)
            keyboardSearch(event->text());
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The window's default button takes Enter.
        event->ignore();
        return;
    default:
        break;
    }
    const QString text = event->text();
    const bool typed = !text.isEmpty() && text.front().isPrint() &&
                       !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (typed) {
        keyboardSearch(text);
        event->accept();
        return;
    }
    event->ignore();
}

void ListBox::mousePressEvent(QMouseEvent *event)
{
    const int row = entryAt(event->position().toPoint());
    m_pressed = row;
    // A press on the selected entry (or on no entry) decides on release: Ctrl+click deselects.
    m_selectOnRelease = row < 0 || row == m_selected;
    if (row < 0)
        return;
    setCurrent(row);
    select(row);
}

void ListBox::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || ListCount() == 0)
        return;
    // Dragging with the button down moves the selection, scrolling past either edge.
    const QPoint position = event->position().toPoint();
    int row = entryAt(position);
    if (position.y() < 0)
        row = std::max(0, topRow() - 1);
    else if (position.y() >= viewport()->height())
        row = std::min(ListCount() - 1, topRow() + pageRows());
    if (row < 0)
        return;
    setCurrent(row);
    select(row);
    scrollToEntry(row);
}

void ListBox::mouseReleaseEvent(QMouseEvent *event)
{
    const int row = entryAt(event->position().toPoint());
    if (m_selectOnRelease && row >= 0) {
        const bool deselect = (event->modifiers() & Qt::ControlModifier) && row == m_selected;
        select(deselect ? -1 : row);
    }
    m_selectOnRelease = false;
}

void ListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click on the entry just pressed changes nothing.
    const int row = entryAt(event->position().toPoint());
    if (row < 0 || row != m_pressed)
        mousePressEvent(event);
}

} // namespace platform
