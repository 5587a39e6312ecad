#pragma once

class QAbstractButton;
class QEvent;

namespace platform {

// Answers the access key of an option button or check box: the button is pressed at once and
// then takes the focus, so that the focus finds it in its new state (Qt takes the focus first
// and presses 100 ms later). False for an ambiguous key, which Qt's own handling answers.
bool pressByAccessKey(QAbstractButton *button, QEvent *event);

} // namespace platform
