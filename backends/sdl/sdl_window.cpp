#include "backends/sdl/sdl_window.h"

#include "backends/sdl/sdl_keys.h"
#include "platform/clock.h"

#include <algorithm>
#include <cstdio>

namespace platform::sdl {

namespace {

SDL_Surface* SurfaceOf(const PixelImage& image) {
    if (image.Empty()) {
        return nullptr;
    }
    return SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(image.pixels.data()),
                                              image.width, image.height, 32, image.width * 4,
                                              SDL_PIXELFORMAT_ARGB8888);
}

} // namespace

SdlWindow::SdlWindow(SDL_Window* window, const ui::WindowSpec& layout, ui::WindowEvents& events,
                     SdlWindowSystem& system)
    : m_window(window), m_system(system), m_loop(layout.width, layout.height, events, *this) {
    if (SDL_Surface* icon = SurfaceOf(layout.icon)) {
        SDL_SetWindowIcon(m_window, icon);
        SDL_FreeSurface(icon);
    }
    m_system.m_owner = m_window;
    m_system.m_main = this;
}

SdlWindow::~SdlWindow() {
    if (m_system.m_owner == m_window) {
        m_system.m_owner = nullptr;
    }
    if (m_system.m_main == this) {
        m_system.m_main = nullptr;
    }
    if (m_window) {
        SDL_DestroyWindow(m_window);
    }
}

bool SdlWindow::IsMinimized() const {
    return m_window && (SDL_GetWindowFlags(m_window) & SDL_WINDOW_MINIMIZED) != 0;
}

uint32_t SdlWindow::Now() {
    return GetTickCount();
}

void SdlWindow::Destroy() {
    if (!m_loop.Destroy()) {
        return;
    }
    if (m_system.m_owner == m_window) {
        m_system.m_owner = nullptr;
    }
    if (m_system.m_main == this) {
        m_system.m_main = nullptr;
    }
    SDL_DestroyWindow(m_window);
    m_window = nullptr;
}

void SdlWindow::HandleEvent(const SDL_Event& event) {
    if (m_system.Pads().Handles(event)) {
        // The controller's buttons reach the game as the keys they stand for,
        // and an overlay as the keys it answers to.
        if (m_overlay) {
            if (const ui::PadKey key = m_system.Pads().KeyFor(event, ui::PadTarget::Dialog);
                key.vk) {
                m_overlay->OnKeyDown(key.vk, key.mods);
            }
        } else {
            m_loop.KeyUp(m_system.Pads().KeyFor(event, ui::PadTarget::Game).vk);
        }
        return;
    }
    switch (event.type) {
    case SDL_QUIT: // the last window closed, or SIGINT / SIGTERM
        m_loop.Close();
        return;
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            m_loop.Close();
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_MAXIMIZED:
            m_loop.Expose();
            break;
        default:
            break;
        }
        return;
    default:
        break;
    }
    if (m_overlay) {
        HandleOverlayInput(event, *m_overlay);
    } else if (event.type == SDL_KEYUP && !TakeOverlayKey(event.key.keysym.scancode)) {
        m_loop.KeyUp(VirtualKeyFromSdl(event.key.keysym.scancode, event.key.keysym.sym,
                                       event.key.keysym.mod));
    }
}

ui::WindowScaling SdlWindow::Scaling() const {
    const ui::Size canvas = GetCanvasSize();
    int width = canvas.cx;
    int height = canvas.cy;
    if (m_window) {
        SDL_GetWindowSize(m_window, &width, &height);
    }
    return ui::WindowScaling(canvas.cx, canvas.cy, width, height);
}

void SdlWindow::Present(const PixelImage& image) {
    if (!m_window) {
        return;
    }
    SDL_Surface* target = SDL_GetWindowSurface(m_window);
    if (!target) {
        return;
    }
    const ui::WindowScaling scaling(image.width, image.height, target->w, target->h);
    const PixelImage* shown = &image;
    if (!scaling.Identity()) {
        scaling.Render(image, m_scaled);
        shown = &m_scaled;
    }
    if (SDL_Surface* source = SurfaceOf(*shown)) {
        SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
        SDL_BlitSurface(source, nullptr, target, nullptr);
        SDL_UpdateWindowSurface(m_window);
        SDL_FreeSurface(source);
    }
}

SDL_Event SdlWindow::OnCanvas(const SDL_Event& event) const {
    SDL_Event moved = event;
    const ui::WindowScaling scaling = Scaling();
    if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) {
        scaling.ToPicture(event.button.x, event.button.y, moved.button.x, moved.button.y);
    } else if (event.type == SDL_MOUSEMOTION) {
        scaling.ToPicture(event.motion.x, event.motion.y, moved.motion.x, moved.motion.y);
    }
    return moved;
}

int SdlWindow::RunModal() {
    const int result = m_loop.RunModal();
    Destroy();
    return result;
}

void SdlWindow::WaitForInput(uint32_t waitMs) {
    SDL_Event event;
    if (!SDL_WaitEventTimeout(&event, static_cast<int>(waitMs))) {
        return;
    }
    do {
        HandleEvent(event);
    } while (!(m_overlay ? m_overlay->Done() : m_loop.Ending()) && SDL_PollEvent(&event));
}

bool SdlWindow::TakeOverlayKey(SDL_Scancode scancode) {
    const auto it = std::find(m_overlayKeys.begin(), m_overlayKeys.end(), scancode);
    if (it == m_overlayKeys.end()) {
        return false;
    }
    m_overlayKeys.erase(it);
    return true;
}

void SdlWindow::HandleOverlayInput(const SDL_Event& event, SdlOverlay& overlay) {
    switch (event.type) {
    case SDL_KEYDOWN:
        if (!event.key.repeat && std::find(m_overlayKeys.begin(), m_overlayKeys.end(),
                                           event.key.keysym.scancode) == m_overlayKeys.end()) {
            m_overlayKeys.push_back(event.key.keysym.scancode);
        }
        overlay.OnInput(event);
        break;
    case SDL_KEYUP:
        TakeOverlayKey(event.key.keysym.scancode);
        overlay.OnInput(event);
        break;
    case SDL_TEXTINPUT:
    case SDL_TEXTEDITING:
    case SDL_MOUSEWHEEL:
        overlay.OnInput(event);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        overlay.OnInput(OnCanvas(event));
        break;
    default:
        break;
    }
}

void SdlWindow::RunOverlay(SdlOverlay& overlay) {
    SdlOverlay* const outer = m_overlay;
    m_overlay = &overlay;
    m_loop.RunOverlay(overlay);
    m_overlay = outer;
}

int SdlWindowSystem::ScaleThatFits(int width, int height) const {
    int scale = std::clamp(m_startScale, 1, 4);
    SDL_Rect room{};
    if (scale == 1 || SDL_GetDisplayUsableBounds(0, &room) != 0) {
        return scale;
    }
    while (scale > 1 && (width * scale > room.w || height * scale > room.h)) {
        --scale;
    }
    return scale;
}

std::unique_ptr<ui::Window> SdlWindowSystem::CreateMainWindow(const ui::WindowSpec& layout,
                                                              ui::WindowEvents& events) {
    // Resizable, so a player who needs it larger can maximise it or drag it.
    const int scale = ScaleThatFits(layout.width, layout.height);
    SDL_Window* window = SDL_CreateWindow(
        layout.caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
        layout.width * scale, layout.height * scale, SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
    if (!window) {
        std::fprintf(stderr, "kirikazeJ: cannot open the window: %s\n", SDL_GetError());
        return nullptr;
    }
    // SDL starts with text input on, and an input method in kana mode would
    // take the duel's letter and digit keys for composition. Only our text
    // fields turn it on, while they have the focus.
    SDL_StopTextInput();
    return std::make_unique<SdlWindow>(window, layout, events, *this);
}

} // namespace platform::sdl
