#pragma once
#include "picture_files.h"

#include <string>

// Every picture of the duel has this size: at its own size it stands well
// inside the 732 × 570 window, and even twice as large it still fits.
inline constexpr int kPictureWidth = 360;
inline constexpr int kPictureHeight = 280;

// Draws the picture named in the data table ("guard", "upper-left", ...);
// false for a name we do not know.
bool DrawPicture(const std::string& name, RgbPicture& out);
