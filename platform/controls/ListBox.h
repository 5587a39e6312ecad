#pragma once

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QString>

#include <cstdint>
#include <memory>

namespace platform {

class ListEntries;

enum class Sorting { Unsorted, Sorted };

// List box: entries with a 32-bit item data each, sorted or in the order added. Adding or
// removing an entry lays out none of the others, so it costs as little in a long list.
class ListBox : public QAbstractScrollArea
{
    Q_OBJECT

public:
    ListBox(QWidget *parent, const QString &name, QRect geometry, Sorting sorting);
    ~ListBox() override;
    Q_DISABLE_COPY_MOVE(ListBox)

    // At the end, or at its alphabetical place after equal entries when sorted.
    void AddItem(const QString &text);
    int NewIndex() const { return m_newIndex; }
    void RemoveItem(int index);
    int ListIndex() const { return m_selected; }
    void setListIndex(int index);
    std::int32_t ItemData(int index) const;
    void setItemData(int index, std::int32_t value);
    QString List(int index) const;
    int ListCount() const;
    // The selected entry's text, empty when none.
    QString Text() const;
    // Selects the first entry with exactly this text, none when there is none.
    void setText(const QString &value);
    void SetFocus() { setFocus(Qt::OtherFocusReason); }

    // Position of the first entry with exactly this text, -1 if none.
    int findExact(const QString &text) const;
    // Position of the first entry with this item data, -1 if none.
    int findItemData(std::int32_t value) const;
    // Where the entry is drawn, in viewport coordinates; outside the viewport when scrolled away.
    QRect entryRect(int index) const;
    // The entry drawn at a viewport position, -1 if none.
    int entryAt(QPoint position) const;
    // Scrolls as little as needed to show the whole entry.
    void scrollToEntry(int index);

Q_SIGNALS:
    // The selected entry or its position changed, whatever changed it: the mouse, the
    // keyboard, a screen reader, code, or entries added or removed above it.
    void selectionChanged(int index);

protected:
    // A scroll area draws no entries and answers no keys or clicks of its own: these do what
    // QListView would, on the block storage.
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    friend class ListBoxAccessible;
    friend class ListEntryAccessible;
    enum class Change { Inserted, Removed };

    void checkIndex(int index) const;
    // Every change of the selected position ends here, so that whoever mirrors the
    // selection hears of it once.
    void setSelected(int index);
    // Selection and the keyboard's current entry are separate, as in Qt's item views: focus
    // marks an entry current without selecting it.
    void select(int index);
    void setCurrent(int index);
    // Tells assistive technology that the focus is on the current entry.
    void announceCurrent();
    // Tells a screen reader whether the current entry is selected.
    void announceSelectedState();
    void moveCurrent(int key);
    // Makes the entry current and selected, as the keyboard does.
    void moveTo(int row);
    void keyboardSearch(const QString &text);
    void entriesChanged(int row, Change change);
    void updateEntry(int index);
    void updateRowHeight();
    void updateScrollRange();
    int topRow() const;
    // Entries that fit wholly in the viewport, at least one.
    int pageRows() const;

    std::unique_ptr<ListEntries> m_entries;
    Sorting m_sorting;
    int m_newIndex = -1;
    int m_selected = -1;
    int m_current = -1;
    int m_rowHeight = 1;
    int m_pressed = -1;
    bool m_selectOnRelease = false;
    // Set when the list takes the focus, until its current entry has been named.
    bool m_announcePending = false;
    // Changes whenever entries move, so that accessible entries know they are stale.
    quint64 m_generation = 0;
    QString m_search;
    QElapsedTimer m_searchTime;
};

} // namespace platform
