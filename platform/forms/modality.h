#pragma once

class QWidget;

namespace platform {

// Whether a modal window other than the widget's own window (or a window it holds, such as
// one of its menus) is up, so that clicks and keys cannot reach the widget. Assistive
// technology reaches widgets without events; every road it takes asks this first.
bool isBlockedByModalWindow(const QWidget *widget);

} // namespace platform
