#pragma once

#include <QFont>

namespace platform {

// The toolkit's default font for every window and control: MS Sans Serif 8.25 pt, or the
// closest sans serif of that size where it is missing. Call once after QApplication exists.
void installDefaultFont();

// The default font's families (the installed ones, in the same order) at another size.
QFont defaultFont(qreal pointSize);

} // namespace platform
