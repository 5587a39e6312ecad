#pragma once

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Controls with the operations the windows call, on top of Qt's widgets. Each is placed at
// a twip rectangle inside its parent and named after the control.
namespace platform {

// Locale-aware, case-insensitive order of list entries; in the C locale it uses English rules.
int compareListTexts(const QString &left, const QString &right);

// Single-line text box with no length limit.
class TextBox : public QLineEdit
{
    Q_OBJECT

public:
    TextBox(QWidget *parent, const QString &name, QRect twips);
    QString Text() const { return text(); }
    void setText(const QString &value) { QLineEdit::setText(value); }
    void SetFocus() { setFocus(Qt::OtherFocusReason); }
};

enum class Sorting { Unsorted, Sorted };

// List box: entries with a 32-bit item data each, sorted or in the order added. Adding or
// removing an entry lays out none of the others, so it costs as little in a long list.
class ListBox : public QAbstractScrollArea
{
    Q_OBJECT

public:
    ListBox(QWidget *parent, const QString &name, QRect twips, Sorting sorting);
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
    class Entries;
    enum class Change { Inserted, Removed };

    void checkIndex(int index) const;
    // Every change of the selected position ends here, so that whoever mirrors the
    // selection hears of it once.
    void setSelected(int index);
    // Selection and the keyboard's current entry are separate, as in Qt's item views: focus
    // marks an entry current without selecting it.
    void select(int index);
    void setCurrent(int index);
    void moveCurrent(int key);
    void keyboardSearch(const QString &text);
    void entriesChanged(int row, Change change);
    void updateEntry(int index);
    void updateRowHeight();
    void updateScrollRange();
    int topRow() const;
    // Entries that fit wholly in the viewport, at least one.
    int pageRows() const;

    std::unique_ptr<Entries> m_entries;
    Sorting m_sorting;
    int m_newIndex = -1;
    int m_selected = -1;
    int m_current = -1;
    int m_rowHeight = 1;
    int m_pressed = -1;
    bool m_selectOnRelease = false;
    // Changes whenever entries move, so that accessible entries know they are stale.
    quint64 m_generation = 0;
    QString m_search;
    QElapsedTimer m_searchTime;
};

// Simple combo box: an edit field above an always open list.
class ComboBox : public QWidget
{
    Q_OBJECT

public:
    ComboBox(QWidget *parent, const QString &name, QRect twips, Sorting sorting);

    QString Text() const { return m_edit->text(); }
    // Shows the text and selects the entry exactly equal to it, or none.
    void setText(const QString &value);
    int ListIndex() const { return m_list->ListIndex(); }
    // Selects the entry and copies its text to the edit field; -1 empties the edit field.
    void setListIndex(int index);
    QString List(int index) const { return m_list->List(index); }
    int ListCount() const { return m_list->ListCount(); }
    void AddItem(const QString &text) { m_list->AddItem(text); }
    int NewIndex() const { return m_list->NewIndex(); }
    std::int32_t ItemData(int index) const { return m_list->ItemData(index); }
    void setItemData(int index, std::int32_t value) { m_list->setItemData(index, value); }
    void SetFocus() { m_edit->setFocus(Qt::OtherFocusReason); }

    // Screen readers announce the edit field and the list by this name.
    void setAccessibleNames(const QString &name);

    QLineEdit *editField() const { return m_edit; }
    ListBox *listPart() const { return m_list; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void selectMatching();
    // The edit field shows the selected entry's text, or nothing when none is selected.
    void showSelection();

    QLineEdit *m_edit;
    ListBox *m_list;
    // While the edit field leads, the list's selection follows it and not the other way.
    bool m_followingEdit = false;
};

// Check box whose value is 0 (unchecked), 1 (checked) or 2 (grayed, set from code only).
class CheckBox : public QCheckBox
{
    Q_OBJECT

public:
    CheckBox(QWidget *parent, const QString &name, const QString &caption, QRect twips);
    int Value() const;
    void setValue(int value);

protected:
    void nextCheckState() override;
    bool hitButton(const QPoint &position) const override { return rect().contains(position); }
};

class OptionArray;

// One element of an option-button array.
class OptionButton : public QRadioButton
{
    Q_OBJECT

public:
    OptionButton(OptionArray &array, int index, QWidget *parent, const QString &caption,
                 QRect twips);
    bool Value() const { return isChecked(); }
    void setValue(bool value);
    int index() const { return m_index; }

protected:
    void nextCheckState() override;
    // The whole control answers a click, not only the circle and the caption.
    bool hitButton(const QPoint &position) const override { return rect().contains(position); }
    void keyPressEvent(QKeyEvent *event) override;

private:
    OptionArray &m_array;
    int m_index;
};

// Option buttons sharing a name and a Click handler that receives the element's index.
class OptionArray
{
public:
    explicit OptionArray(QString name) : m_name(std::move(name)) {}
    Q_DISABLE_COPY_MOVE(OptionArray)

    OptionButton *add(QWidget *parent, const QString &caption, QRect twips);
    OptionButton &operator[](int index) const;
    OptionButton &at(int index) const { return (*this)[index]; }
    int count() const { return static_cast<int>(m_buttons.size()); }
    const QString &name() const { return m_name; }

    void setClickHandler(std::function<void(std::int16_t)> handler);

    // Selecting from code or by the user: the others go off, then Click runs.
    void select(int index);

private:
    QString m_name;
    std::vector<OptionButton *> m_buttons;
    std::function<void(std::int16_t)> m_click;
};

// Command button whose caption wraps onto more lines when it does not fit on one.
class CommandButton : public QPushButton
{
    Q_OBJECT

public:
    CommandButton(QWidget *parent, const QString &name, const QString &caption, QRect twips);
    QString Caption() const { return text(); }
    void setCaption(const QString &caption);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

// Label; an access key in its caption moves the focus to its partner control.
class Label : public QLabel
{
    Q_OBJECT

public:
    Label(QWidget *parent, const QString &name, const QString &caption, QRect twips,
          Qt::Alignment alignment = Qt::AlignLeft, QWidget *partner = nullptr);

protected:
    void changeEvent(QEvent *event) override;

private:
    void fitToCaption();

    QRect m_designRect;
};

// Frame with a caption; controls inside it are placed relative to its top-left corner.
class Frame : public QGroupBox
{
    Q_OBJECT

public:
    Frame(QWidget *parent, const QString &name, const QString &caption, QRect twips);
};

// Image that draws its picture stretched to the whole control.
class Image : public QWidget
{
    Q_OBJECT

public:
    Image(QWidget *parent, const QString &name, QRect twips);
    void setPicture(const QPixmap &picture);
    const QPixmap &picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
};

} // namespace platform
