#pragma once
#include "platform/pixels.h"
#include "ui/canvas.h"

#include <vector>

namespace ui {

// How the game's picture, always drawn at its own fixed size, sits in a window
// of any size: as large as fits with its shape kept, centred, the rest black.
// Enlarging picks the nearest pixel, so whole multiples stay perfectly sharp
// and no size ever blurs the text a low-vision player is reading.
class WindowScaling {
public:
    WindowScaling(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight);

    // Where the picture lands in the window; empty when either size is empty.
    Rect Placement() const { return m_place; }
    bool Identity() const;
    int WindowWidth() const { return m_windowWidth; }
    int WindowHeight() const { return m_windowHeight; }

    // The picture point under a window point (the mouse); points on the black
    // bars land outside the picture, where nothing of the game is.
    void ToPicture(int x, int y, int& pictureX, int& pictureY) const;
    // The window rectangle covering a rectangle of the picture.
    Rect ToWindow(const Rect& picture) const;

    // The whole window as it is shown: the picture scaled into its place and
    // black around it. window is resized to the window's size.
    void Render(const platform::PixelImage& picture, platform::PixelImage& window) const;

private:
    int m_pictureWidth;
    int m_pictureHeight;
    int m_windowWidth;
    int m_windowHeight;
    Rect m_place;
    std::vector<int> m_columns; // the picture column shown in each placed column
};

} // namespace ui
