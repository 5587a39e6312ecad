#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
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

// List box: entries with a 32-bit item data each, sorted or in the order added.
class ListBox : public QListWidget
{
    Q_OBJECT

public:
    ListBox(QWidget *parent, const QString &name, QRect twips, Sorting sorting);

    // At the end, or at its alphabetical place after equal entries when sorted.
    void AddItem(const QString &text);
    int NewIndex() const { return m_newIndex; }
    void RemoveItem(int index);
    int ListIndex() const;
    void setListIndex(int index);
    std::int32_t ItemData(int index) const;
    void setItemData(int index, std::int32_t value);
    QString List(int index) const;
    int ListCount() const { return count(); }
    // The selected entry's text, empty when none.
    QString Text() const;
    // Selects the first entry with exactly this text, none when there is none.
    void setText(const QString &value);
    void SetFocus() { setFocus(Qt::OtherFocusReason); }

    // Position of the first entry with exactly this text, -1 if none.
    int findExact(const QString &text) const;

private:
    void checkIndex(int index) const;

    Sorting m_sorting;
    int m_newIndex = -1;
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

    QLineEdit *m_edit;
    ListBox *m_list;
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
    void select(int index, bool fromUser);

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
