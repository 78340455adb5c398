#include "platform/sdl/sdl_window.h"

#include "platform/clock.h"
#include "platform/sdl/sdl_keys.h"

#include <algorithm>
#include <cstdio>

namespace platform::sdl {

namespace {

// Without a timer the loop still wakes now and then.
constexpr uint32_t kIdleWaitMs = 1000;

SDL_Surface* SurfaceOf(const PixelImage& image) {
    if (image.Empty()) {
        return nullptr;
    }
    return SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(image.pixels.data()),
                                              image.width, image.height, 32, image.width * 4,
                                              SDL_PIXELFORMAT_ARGB8888);
}

} // namespace

SdlWindow::SdlWindow(SDL_Window* window, const WindowSpec& layout, WindowEvents& events,
                     SdlWindowSystem& system)
    : m_window(window), m_events(events), m_system(system), m_canvas(layout.width, layout.height) {
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

void SdlWindow::SetTimer(int timerId, uint32_t periodMs) {
    m_timer.Start(timerId, periodMs, GetTickCount());
}

bool SdlWindow::IsMinimized() const {
    return m_window && (SDL_GetWindowFlags(m_window) & SDL_WINDOW_MINIMIZED) != 0;
}

void SdlWindow::End(WindowEnd reason, int result) {
    if (m_ending) {
        return;
    }
    m_ending = true;
    m_endReason = reason;
    m_result = result;
}

void SdlWindow::Destroy() {
    if (m_destroyed) {
        return;
    }
    m_destroyed = true;
    m_ending = true;
    m_events.OnWindowDestroy();
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
        // The controller's buttons reach the game as the keys they stand for.
        if (const PadKey key = m_system.Pads().KeyFor(event, PadTarget::Game); key.vk) {
            m_events.OnWindowKeyUp(key.vk);
        }
        return;
    }
    switch (event.type) {
    case SDL_QUIT: // the last window closed, or SIGINT / SIGTERM
        End(WindowEnd::Closed, 0);
        break;
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            End(WindowEnd::Closed, 0);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_MAXIMIZED:
            m_repaint = true;
            break;
        default:
            break;
        }
        break;
    case SDL_KEYUP:
        if (TakeOverlayKey(event.key.keysym.scancode)) {
            break;
        }
        if (const int vk = VirtualKeyFromSdl(event.key.keysym.scancode, event.key.keysym.sym,
                                             event.key.keysym.mod)) {
            m_events.OnWindowKeyUp(vk);
        }
        break;
    default:
        break;
    }
}

WindowScaling SdlWindow::Scaling() const {
    int width = m_canvas.Width();
    int height = m_canvas.Height();
    if (m_window) {
        SDL_GetWindowSize(m_window, &width, &height);
    }
    return WindowScaling(m_canvas.Width(), m_canvas.Height(), width, height);
}

void SdlWindow::Present(const PixelImage& image) {
    if (!m_window) {
        return;
    }
    SDL_Surface* target = SDL_GetWindowSurface(m_window);
    if (!target) {
        return;
    }
    const WindowScaling scaling(image.width, image.height, target->w, target->h);
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
    const WindowScaling scaling = Scaling();
    if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) {
        scaling.ToPicture(event.button.x, event.button.y, moved.button.x, moved.button.y);
    } else if (event.type == SDL_MOUSEMOTION) {
        scaling.ToPicture(event.motion.x, event.motion.y, moved.motion.x, moved.motion.y);
    }
    return moved;
}

int SdlWindow::RunModal() {
    while (!m_ending) {
        uint32_t wait = kIdleWaitMs;
        if (m_repaint) {
            wait = 0;
        } else if (m_timer.Running()) {
            wait = m_timer.Remaining(GetTickCount());
        }
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, static_cast<int>(wait))) {
            HandleEvent(event);
            while (!m_ending && SDL_PollEvent(&event)) {
                HandleEvent(event);
            }
        }
        // Only one tick however long the handlers took: missed ones are gone.
        if (!m_ending && m_timer.TakeDue(GetTickCount())) {
            m_events.OnWindowTick(m_timer.Id());
        }
        if (!m_ending && m_repaint) {
            m_repaint = false;
            m_events.OnWindowPaint();
            Present(m_canvas.Pixels());
        }
    }
    Destroy();
    return m_result;
}

bool SdlWindow::TakeOverlayKey(SDL_Scancode scancode) {
    const auto it = std::find(m_overlayKeys.begin(), m_overlayKeys.end(), scancode);
    if (it == m_overlayKeys.end()) {
        return false;
    }
    m_overlayKeys.erase(it);
    return true;
}

bool SdlWindow::HandleOverlayEvent(const SDL_Event& event, SdlOverlay& overlay) {
    if (m_system.Pads().Handles(event)) {
        if (const PadKey key = m_system.Pads().KeyFor(event, PadTarget::Dialog); key.vk) {
            overlay.OnKeyDown(key.vk, key.mods);
        }
        return false;
    }
    switch (event.type) {
    case SDL_QUIT:
        End(WindowEnd::Closed, 0);
        overlay.OnClose();
        return false;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            End(WindowEnd::Closed, 0);
            overlay.OnClose();
            return false;
        }
        return event.window.event == SDL_WINDOWEVENT_EXPOSED ||
               event.window.event == SDL_WINDOWEVENT_RESTORED ||
               event.window.event == SDL_WINDOWEVENT_SHOWN ||
               event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
               event.window.event == SDL_WINDOWEVENT_MAXIMIZED;
    case SDL_KEYDOWN:
        if (!event.key.repeat && std::find(m_overlayKeys.begin(), m_overlayKeys.end(),
                                           event.key.keysym.scancode) == m_overlayKeys.end()) {
            m_overlayKeys.push_back(event.key.keysym.scancode);
        }
        overlay.OnInput(event);
        return false;
    case SDL_KEYUP:
        TakeOverlayKey(event.key.keysym.scancode);
        overlay.OnInput(event);
        return false;
    case SDL_TEXTINPUT:
    case SDL_TEXTEDITING:
    case SDL_MOUSEWHEEL:
        overlay.OnInput(event);
        return false;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        overlay.OnInput(OnCanvas(event));
        return false;
    default:
        return false;
    }
}

void SdlWindow::RunOverlay(SdlOverlay& overlay) {
    bool show = true;
    while (!overlay.Done()) {
        uint32_t wait = kIdleWaitMs;
        if (show || m_repaint) {
            wait = 0;
        } else if (m_timer.Running()) {
            wait = m_timer.Remaining(GetTickCount());
        }
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, static_cast<int>(wait))) {
            show |= HandleOverlayEvent(event, overlay);
            while (!overlay.Done() && SDL_PollEvent(&event)) {
                show |= HandleOverlayEvent(event, overlay);
            }
        }
        if (overlay.Done()) {
            break;
        }
        // The scene behind keeps its frames; the game decides what a tick
        // inside its own handler may do.
        if (!m_ending && m_timer.TakeDue(GetTickCount())) {
            m_events.OnWindowTick(m_timer.Id());
        }
        if (!m_ending && m_repaint) {
            m_repaint = false;
            m_events.OnWindowPaint();
            show = true;
        }
        show |= overlay.TakeDirty();
        if (show && m_window) {
            Canvas frame(m_canvas.Width(), m_canvas.Height());
            frame.Copy(m_canvas.Pixels(), 0, 0);
            overlay.PaintOver(frame);
            Present(frame.Pixels());
            show = false;
        }
    }
    // Gone from the screen at once, even if the game goes on working (and
    // shows a message box) before the next paint.
    Present(m_canvas.Pixels());
    m_repaint = true;
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

std::unique_ptr<Window> SdlWindowSystem::CreateMainWindow(const WindowSpec& layout,
                                                          WindowEvents& events) {
    // Resizable, so a player who needs it larger can maximise it or drag it.
    const int scale = ScaleThatFits(layout.width, layout.height);
    SDL_Window* window = SDL_CreateWindow(
        layout.caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
        layout.width * scale, layout.height * scale, SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
    if (!window) {
        std::fprintf(stderr, "kirikazeJ: cannot open the window: %s\n", SDL_GetError());
        return nullptr;
    }
    return std::make_unique<SdlWindow>(window, layout, events, *this);
}

} // namespace platform::sdl
