#pragma once
#include "platform/message_box.h"

namespace platform::sdl {

class SdlWindowSystem;

// SDL's own message boxes. While one is open the thread waits in it, so the
// main window gets neither ticks nor keys until it is closed. Without a
// display the text goes to stderr instead.
class SdlMessageBoxes : public MessageBoxes {
public:
    explicit SdlMessageBoxes(SdlWindowSystem& windows) : m_windows(windows) {}
    void Show(const std::string& text, const std::string& caption, bool owned) override;

private:
    SdlWindowSystem& m_windows;
};

} // namespace platform::sdl
