#pragma once

namespace platform {

// The toolkit's default font for every window and control: MS Sans Serif 8.25 pt, or the
// closest sans serif of that size where it is missing. Call once after QApplication exists.
void installDefaultFont();

} // namespace platform
