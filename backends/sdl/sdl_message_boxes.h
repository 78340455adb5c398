#pragma once
#include "platform/message_box.h"

namespace platform::sdl {

class SdlWindowSystem;

// SDL's own message boxes, for when the game has no window to draw its own
// in. While one is open the thread waits in it, so the main window gets
// neither ticks nor keys until it is closed. Where SDL cannot show one (no
// display, or no core fonts on the X server) the text goes to stderr instead.
class SdlMessageBoxes : public MessageBoxes {
public:
    explicit SdlMessageBoxes(SdlWindowSystem& windows) : m_windows(windows) {}
    void Show(const std::string& text, const std::string& caption, bool owned) override;

private:
    SdlWindowSystem& m_windows;
};

} // namespace platform::sdl
