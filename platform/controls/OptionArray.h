#pragma once

#include <QRadioButton>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace platform {

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

} // namespace platform
