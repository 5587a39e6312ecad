#pragma once

#include <QRect>

namespace platform {

// 1440 twips to the inch, 15 to a logical pixel; Qt scales logical pixels for high DPI.
constexpr int TwipsPerPixel = 15;
int twipsToPixels(int twips);
QRect twipsRect(int left, int top, int width, int height);

} // namespace platform
