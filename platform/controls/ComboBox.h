#pragma once

#include "platform/controls/ListBox.h"

#include <QLineEdit>
#include <QString>
#include <QWidget>

#include <cstdint>

namespace platform {

// Simple combo box: an edit field above an always open list.
class ComboBox : public QWidget
{
    Q_OBJECT

public:
    ComboBox(QWidget *parent, const QString &name, QRect geometry, Sorting sorting);

    QString Text() const { return m_edit->text(); }
    // Shows the text and selects the entry exactly equal to it, or none, as every change of
    // the edit field's text does.
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

protected:
    // A line edit ignores Up and Down; here they move through the list.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void selectMatching();
    // The edit field shows the selected entry's text, or nothing when none is selected.
    void showSelection();

    QLineEdit *m_edit;
    ListBox *m_list;
    // While one part leads, the other follows it and not the other way.
    bool m_followingEdit = false;
    bool m_followingList = false;
};

} // namespace platform
