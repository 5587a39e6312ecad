#pragma once

namespace platform {

// Lets assistive technology find the program's own accessible interfaces for its windows,
// controls and menus. Called once at start-up, before the first window is made.
void installAccessibility();

} // namespace platform
