#pragma once
#include "platform/pixels.h"

// The main window's template: its client size in pixels and its icon.
namespace resources {

// 488 x 351 dialog units in an 8-point dialog font, read at 96 dpi (6 x 13
// pixel base units): 488 * 6 / 4 = 732 and 351 * 13 / 8 = 570 (rounded down).
// The menu's last item (top at 490, one 40-point line of about 56 pixels) and
// the duel's pictures on the bottom edge fit in it.
inline constexpr int kClientWidth = 732;
inline constexpr int kClientHeight = 570;

// The standard icon size the minimised window centres its icon by.
inline constexpr int kIconSize = 32;

// The game's icon: a blade crossing a red sun, drawn here so no picture file
// has to travel with the program. Drawn for `size` pixels square; the
// desktop's menus get it at their own sizes from the same drawing.
platform::PixelImage MakeIcon(int size = kIconSize);

} // namespace resources
