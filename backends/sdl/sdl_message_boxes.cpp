#include "backends/sdl/sdl_message_boxes.h"

#include "backends/sdl/sdl_window.h"

#include <cstdio>

namespace platform::sdl {

void SdlMessageBoxes::Show(const std::string& text, const std::string& caption, bool owned) {
    // The main window's own boxes carry the exclamation mark; the others none.
    const Uint32 flags = owned ? SDL_MESSAGEBOX_WARNING : 0;
    SDL_Window* owner = owned ? m_windows.Owner() : nullptr;
    if (SDL_ShowSimpleMessageBox(flags, caption.c_str(), text.c_str(), owner) != 0) {
        std::fprintf(stderr, "kirikazeJ: %s%s%s\n", caption.c_str(), caption.empty() ? "" : ": ",
                     text.c_str());
    }
}

} // namespace platform::sdl
