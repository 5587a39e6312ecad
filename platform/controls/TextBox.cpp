#include "platform/controls/TextBox.h"

#include "platform/controls/placement.h"

#include <limits>

namespace platform {

TextBox::TextBox(QWidget *parent, const QString &name, QRect geometry) : QLineEdit(parent)
{
    place(this, name, geometry);
    setMaxLength(std::numeric_limits<int>::max());
}

} // namespace platform
