#include "controls.h"

#include "dispatch.h"
#include "RuntimeError.h"

#include <QCollator>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <limits>

namespace platform {

namespace {

QCollator makeCollator()
{
    QLocale locale = QLocale::system();
    // In the C/POSIX locale QCollator only folds case; English rules sort accents sensibly.
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    return collator;
}

void place(QWidget *widget, const QString &name, QRect twips)
{
    widget->setObjectName(name);
    widget->setGeometry(twips);
}

// A caption is never cut off: a control too narrow for its caption in this font grows to fit.
void fitCaption(QWidget *widget)
{
    const int needed = widget->sizeHint().width();
    if (needed > widget->width())
        widget->resize(needed, widget->height());
}

QString withoutAccessKey(QString caption)
{
    QString result;
    result.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) {
            ++i;
        }
        result.append(caption[i]);
    }
    return result;
}

} // namespace

int compareListTexts(const QString &left, const QString &right)
{
    static const QCollator collator = makeCollator();
    return collator.compare(left, right);
}

TextBox::TextBox(QWidget *parent, const QString &name, QRect twips) : QLineEdit(parent)
{
    place(this, name, twips);
    setMaxLength(std::numeric_limits<int>::max());
}

ListBox::ListBox(QWidget *parent, const QString &name, QRect twips, Sorting sorting)
    : QListWidget(parent), m_sorting(sorting)
{
    place(this, name, twips);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
}

void ListBox::checkIndex(int index) const
{
    if (index < 0 || index >= count())
        throw RuntimeError::invalidArgument(
            QStringLiteral("list position %1 does not exist").arg(index));
}

void ListBox::AddItem(const QString &text)
{
    int position = count();
    if (m_sorting == Sorting::Sorted) {
        // Upper bound: an entry equal to existing ones goes after them.
        int low = 0;
        int high = count();
        while (low < high) {
            const int mid = low + (high - low) / 2;
            if (compareListTexts(text, item(mid)->text()) < 0)
                high = mid;
            else
                low = mid + 1;
        }
        position = low;
    }
    auto *entry = new QListWidgetItem(text);
    entry->setData(Qt::UserRole, std::int32_t{0});
    insertItem(position, entry);
    m_newIndex = position;
}

void ListBox::RemoveItem(int index)
{
    checkIndex(index);
    const bool wasSelected = ListIndex() == index;
    delete takeItem(index);
    m_newIndex = -1;
    // Qt moves the current entry on; the removed entry's selection must not pass to another.
    if (wasSelected)
        setListIndex(-1);
}

int ListBox::ListIndex() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ListBox::setListIndex(int index)
{
    if (index == -1) {
        clearSelection();
        setCurrentRow(-1, QItemSelectionModel::Clear);
        return;
    }
    checkIndex(index);
    setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

std::int32_t ListBox::ItemData(int index) const
{
    checkIndex(index);
    return item(index)->data(Qt::UserRole).value<std::int32_t>();
}

void ListBox::setItemData(int index, std::int32_t value)
{
    checkIndex(index);
    item(index)->setData(Qt::UserRole, value);
}

QString ListBox::List(int index) const
{
    // An index past the end reads as empty text, as the original list boxes do.
    if (index < -1)
        throw RuntimeError::invalidArgument(
            QStringLiteral("list position %1 does not exist").arg(index));
    if (index == -1 || index >= count())
        return QString();
    return item(index)->text();
}

QString ListBox::Text() const
{
    const int index = ListIndex();
    return index < 0 ? QString() : item(index)->text();
}

int ListBox::findExact(const QString &text) const
{
    for (int i = 0; i < count(); ++i) {
        if (item(i)->text() == text)
            return i;
    }
    return -1;
}

void ListBox::setText(const QString &value)
{
    setListIndex(findExact(value));
}

ComboBox::ComboBox(QWidget *parent, const QString &name, QRect twips, Sorting sorting)
    : QWidget(parent), m_edit(new QLineEdit(this)),
      m_list(new ListBox(this, name + QStringLiteral("_list"), QRect(), sorting))
{
    place(this, name, twips);
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

    connect(m_edit, &QLineEdit::textEdited, this, [this] { selectMatching(); });
    connect(m_list, &QListWidget::itemPressed, this,
            [this](QListWidgetItem *entry) { setListIndex(m_list->row(entry)); });
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
    if (match != m_list->ListIndex())
        m_list->setListIndex(match);
}

void ComboBox::setText(const QString &value)
{
    m_edit->setText(value);
    selectMatching();
}

void ComboBox::setListIndex(int index)
{
    m_list->setListIndex(index);
    m_edit->setText(index == -1 ? QString() : m_list->List(index));
    if (index >= 0)
        m_list->scrollToItem(m_list->item(index));
}

bool ComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) && m_list->count() > 0) {
            const int current = m_list->ListIndex();
            int next = 0;
            if (current >= 0)
                next = key->key() == Qt::Key_Down ? std::min(current + 1, m_list->count() - 1)
                                                  : std::max(current - 1, 0);
            setListIndex(next);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

CheckBox::CheckBox(QWidget *parent, const QString &name, const QString &caption, QRect twips)
    : QCheckBox(caption, parent)
{
    place(this, name, twips);
    fitCaption(this);
}

int CheckBox::Value() const
{
    switch (checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    }
    return 0;
}

void CheckBox::setValue(int value)
{
    if (value < 0 || value > 2)
        throw RuntimeError::invalidArgument(
            QStringLiteral("%1 is not a check box value (0, 1 or 2)").arg(value));
    setTristate(value == 2);
    setCheckState(value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked);
}

void CheckBox::nextCheckState()
{
    // The user only toggles between unchecked and checked; grayed is set from code.
    const bool wasChecked = checkState() == Qt::Checked;
    setTristate(false);
    setCheckState(wasChecked ? Qt::Unchecked : Qt::Checked);
}

OptionButton::OptionButton(OptionArray &array, int index, QWidget *parent, const QString &caption,
                           QRect twips)
    : QRadioButton(caption, parent), m_array(array), m_index(index)
{
    place(this, array.name() + QStringLiteral("_%1").arg(index), twips);
    fitCaption(this);
    // Left auto-exclusive: screen readers announce a non-exclusive one as a check box.
    connect(this, &QAbstractButton::clicked, this,
            [this] { dispatch([this] { m_array.select(m_index, true); }); });
}

void OptionButton::setValue(bool value)
{
    if (value) {
        m_array.select(m_index, false);
    } else {
        // The checked button of an exclusive set refuses to go off; all of them may be off.
        setAutoExclusive(false);
        setChecked(false);
        setAutoExclusive(true);
    }
}

void OptionButton::nextCheckState()
{
    // A click always selects, never clears.
    setChecked(true);
}

void OptionButton::keyPressEvent(QKeyEvent *event)
{
    int step = 0;
    if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Right)
        step = 1;
    else if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Left)
        step = -1;
    if (step == 0 || event->modifiers() != Qt::NoModifier) {
        QRadioButton::keyPressEvent(event);
        return;
    }
    const int count = m_array.count();
    const int next = (m_index + step + count) % count;
    OptionButton &target = m_array[next];
    target.setFocus(Qt::TabFocusReason);
    target.click();
    event->accept();
}

OptionButton *OptionArray::add(QWidget *parent, const QString &caption, QRect twips)
{
    auto *button = new OptionButton(*this, count(), parent, caption, twips);
    m_buttons.push_back(button);
    return button;
}

OptionButton &OptionArray::operator[](int index) const
{
    if (index < 0 || index >= count())
        throw RuntimeError::invalidArgument(
            QStringLiteral("control array element %1 does not exist").arg(index));
    return *m_buttons[static_cast<std::size_t>(index)];
}

void OptionArray::setClickHandler(std::function<void(std::int16_t)> handler)
{
    m_click = std::move(handler);
}

void OptionArray::select(int index, bool fromUser)
{
    Q_UNUSED(fromUser);
    for (int i = 0; i < count(); ++i)
        m_buttons[static_cast<std::size_t>(i)]->setChecked(i == index);
    if (m_click)
        m_click(static_cast<std::int16_t>(index));
}

CommandButton::CommandButton(QWidget *parent, const QString &name, const QString &caption,
                             QRect twips)
    : QPushButton(caption, parent)
{
    place(this, name, twips);
    setAutoDefault(false);
}

void CommandButton::setCaption(const QString &caption)
{
    setText(caption);
    update();
}

QSize CommandButton::sizeHint() const
{
    return size();
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

Label::Label(QWidget *parent, const QString &name, const QString &caption, QRect twips,
             Qt::Alignment alignment, QWidget *partner)
    : QLabel(parent)
{
    place(this, name, twips);
    setTextFormat(Qt::PlainText);
    setAlignment(alignment | Qt::AlignTop);
    if (partner) {
        setText(caption);
        setBuddy(partner);
        if (partner->accessibleName().isEmpty())
            partner->setAccessibleName(withoutAccessKey(caption));
    } else {
        setText(withoutAccessKey(caption));
    }
    m_designRect = twips;
    fitToCaption();
}

void Label::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitToCaption();
}

void Label::fitToCaption()
{
    setGeometry(m_designRect);
    // Room for one line only: wrapping would cut the second line off, so widen instead,
    // about the centre for a centred caption.
    const bool oneLine = height() < 2 * fontMetrics().lineSpacing();
    setWordWrap(!oneLine);
    if (!oneLine)
        return;
    const int needed = sizeHint().width();
    if (needed <= width())
        return;
    if (alignment() & Qt::AlignHCenter)
        setGeometry(x() - (needed - width() + 1) / 2, y(), needed, height());
    else
        resize(needed, height());
}

Frame::Frame(QWidget *parent, const QString &name, const QString &caption, QRect twips)
    : QGroupBox(caption, parent)
{
    place(this, name, twips);
    setFlat(false);
}

Image::Image(QWidget *parent, const QString &name, QRect twips) : QWidget(parent)
{
    place(this, name, twips);
}

void Image::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    update();
}

void Image::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawPixmap(rect(), m_picture);
}

} // namespace platform
