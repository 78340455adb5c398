// A window low-vision players can enlarge: the game keeps drawing its fixed
// picture, and the window shows it as large as it is, shape kept, sharp.
#include "platform/headless/recorded_speech.h"
#include "platform/score_dialog.h"
#include "platform/sdl/sdl_system.h"
#include "shell_game.h"
#include "ui/dialog_painter.h"
#include "ui/window_scaling.h"

#include "sdl_window_events.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using platform::PixelImage;
using ui::Rect;
using ui::WindowScaling;

constexpr int kW = 732;
constexpr int kH = 570;
constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kYellow = 0xFFFFFF00;

int CountOf(const PixelImage& image, uint32_t pixel, const Rect& r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            n += image.At(x, y) == pixel;
        }
    }
    return n;
}

TEST(WindowScaling, PictureFillsTheWindowShapeKeptCentred) {
    struct Case {
        int windowW, windowH;
        Rect expected;
    };
    const Case cases[] = {
        {kW, kH, {0, 0, kW, kH}},
        {2 * kW, 2 * kH, {0, 0, 2 * kW, 2 * kH}},
        {4 * kW, 4 * kH, {0, 0, 4 * kW, 4 * kH}},
        // A maximised window on a wide screen: bars left and right.
        {1920, 1080, {267, 0, 1653, 1080}},
        // A tall one: bars above and below.
        {kW, 2000, {0, 715, kW, 1285}},
        {1000, kH, {134, 0, 866, kH}},
        // Smaller than the picture still shows all of it, smaller.
        {366, 285, {0, 0, 366, 285}},
        {3, 1, {1, 0, 2, 1}},
        {0, 500, {}},
        {500, -4, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WindowScaling(kW, kH, c.windowW, c.windowH).Placement(), c.expected)
            << c.windowW << "x" << c.windowH;
    }
}

TEST(WindowScaling, TheMouseLandsOnThePicturePointUnderIt) {
    struct Case {
        int windowW, windowH, x, y;
        int pictureX, pictureY;
    };
    const Case cases[] = {
        {kW, kH, 10, 20, 10, 20},
        {2 * kW, 2 * kH, 21, 41, 10, 20},
        {2 * kW, 2 * kH, 2 * kW - 1, 2 * kH - 1, kW - 1, kH - 1},
        {1920, 1080, 267, 0, 0, 0},
        {1920, 1080, 1652, 1079, kW - 1, kH - 1},
        // On the black bars: outside the picture on either side.
        {1920, 1080, 266, 500, -1, 264},
        {1920, 1080, 1653, 500, kW, 264},
    };
    for (const Case& c : cases) {
        int x = 0;
        int y = 0;
        WindowScaling(kW, kH, c.windowW, c.windowH).ToPicture(c.x, c.y, x, y);
        EXPECT_EQ(x, c.pictureX) << c.windowW << "x" << c.windowH << " at " << c.x << "," << c.y;
        EXPECT_EQ(y, c.pictureY) << c.windowW << "x" << c.windowH << " at " << c.x << "," << c.y;
    }
    // A rectangle of the picture (the caret) lands where the window shows it.
    EXPECT_EQ(WindowScaling(kW, kH, 2 * kW, 2 * kH).ToWindow({10, 20, 12, 40}),
              (Rect{20, 40, 24, 80}));
}

// The menu as the player sees it, in a window opened at `scale`.
PixelImage MenuShownAt(int scale) {
    kztest::Game game;
    game.system.Windows().SetStartScale(scale);
    platform::headless::HeadlessWindow& window = game.Start();
    window.ReleaseKey(VK_DOWN);
    return window.Shown();
}

TEST(WindowScaling, TheMenuAtScaleTwoIsTheMenuAtScaleOneTwiceAsLarge) {
    const PixelImage one = MenuShownAt(1);
    const PixelImage two = MenuShownAt(2);
    ASSERT_EQ(one.width, kW);
    ASSERT_EQ(one.height, kH);
    ASSERT_EQ(two.width, 2 * kW);
    ASSERT_EQ(two.height, 2 * kH);
    ASSERT_GT(CountOf(one, kYellow, {0, 0, kW, kH}), 200) << "the highlighted item is drawn";
    int different = 0;
    for (int y = 0; y < two.height; ++y) {
        for (int x = 0; x < two.width; ++x) {
            different += two.At(x, y) != one.At(x / 2, y / 2);
        }
    }
    EXPECT_EQ(different, 0);
}

TEST(WindowScaling, AMaximisedWindowShowsTheWholeMenuLargerBetweenBlackBars) {
    const PixelImage one = MenuShownAt(1);
    kztest::Game game;
    platform::headless::HeadlessWindow& window = game.Start();
    window.ReleaseKey(VK_DOWN);
    window.SetWindowSize(1920, 1080);
    const PixelImage shown = window.Shown();
    ASSERT_EQ(shown.width, 1920);
    const Rect place = WindowScaling(kW, kH, 1920, 1080).Placement();
    // Everything outside the picture is black.
    EXPECT_EQ(CountOf(shown, kBlack, {0, 0, place.left, 1080}), place.left * 1080);
    EXPECT_EQ(CountOf(shown, kBlack, {place.right, 0, 1920, 1080}), (1920 - place.right) * 1080);
    // The highlighted item covers as much more as the picture grew.
    const double grown = double(place.Width()) * place.Height() / (kW * kH);
    const double yellow = CountOf(shown, kYellow, place);
    const double expected = CountOf(one, kYellow, {0, 0, kW, kH}) * grown;
    EXPECT_NEAR(yellow, expected, expected * 0.05);
    // And in the same place: the second item's row, 90 ... 130 on the picture.
    const Rect row = WindowScaling(kW, kH, 1920, 1080).ToWindow({0, 90, kW, 146});
    EXPECT_NEAR(CountOf(shown, kYellow, row), yellow, yellow * 0.01);
}

// What the SDL window's surface shows at (x, y).
uint32_t SurfacePixel(SDL_Surface* surface, int x, int y) {
    Uint32 pixel = 0;
    const auto* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
    std::memcpy(&pixel, row + x * surface->format->BytesPerPixel, surface->format->BytesPerPixel);
    Uint8 r = 0;
    Uint8 g = 0;
    Uint8 b = 0;
    SDL_GetRGB(pixel, surface->format, &r, &g, &b);
    return 0xFF000000u | platform::Rgb(r, g, b);
}

// Paints a fine pattern that any blur or misplacement would spoil.
class Checkers : public platform::WindowEvents {
public:
    void OnWindowTick(int) override {
        if (onTick) {
            onTick();
        }
    }
    void OnWindowKeyUp(int) override {}
    void OnWindowPaint() override {
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                const platform::Color c =
                    ((x + y) % 2) ? platform::Rgb(255, 255, 0) : platform::Rgb(0, 0, 255);
                canvas->FillRect({x, y, x + 1, y + 1}, c);
            }
        }
    }
    void OnWindowDestroy() override {}
    ui::Canvas* canvas = nullptr;
    std::function<void()> onTick;
};

// A window opened at `scale` on a screen with `room` ("x,y,w,h") to spare.
std::unique_ptr<platform::Window> OpenAt(platform::sdl::SdlSystem& system, const char* room,
                                         int scale, platform::WindowEvents& events) {
    SDL_SetHint(SDL_HINT_DISPLAY_USABLE_BOUNDS, room);
    auto* windows = static_cast<platform::sdl::SdlWindowSystem*>(system.Installed().windows);
    windows->SetStartScale(scale);
    return platform::CreateMainWindow({kW, kH, "test", {}}, events);
}

TEST(WindowScaling, TheSdlWindowOpensAtTheLargestAskedScaleTheScreenHasRoomFor) {
    platform::sdl::SdlSystem system;
    if (!system.Ready()) {
        GTEST_SKIP() << "no SDL video here";
    }
    struct Case {
        const char* room;
        int scale;
        int expected;
    };
    const Case cases[] = {
        {"0,0,3000,2400", 1, 1}, {"0,0,3000,2400", 2, 2}, {"0,0,3000,2400", 4, 4},
        {"0,0,2560,1440", 3, 2}, {"0,0,1920,1080", 4, 1}, {"0,0,3000,2400", 9, 4},
        {"0,0,3000,2400", 0, 1}, {"0,0,640,480", 1, 1},
    };
    for (const Case& c : cases) {
        Checkers events;
        auto window = OpenAt(system, c.room, c.scale, events);
        ASSERT_TRUE(window);
        int width = 0;
        int height = 0;
        auto* sdlWindow = static_cast<platform::sdl::SdlWindow*>(window.get());
        SDL_GetWindowSize(sdlWindow->Handle(), &width, &height);
        EXPECT_EQ(width, kW * c.expected) << c.room << " scale " << c.scale;
        EXPECT_EQ(height, kH * c.expected) << c.room << " scale " << c.scale;
        EXPECT_NE(SDL_GetWindowFlags(sdlWindow->Handle()) & SDL_WINDOW_RESIZABLE, 0u);
        EXPECT_EQ(window->GetCanvas().Width(), kW) << "the game's picture keeps its size";
    }
    SDL_ResetHint(SDL_HINT_DISPLAY_USABLE_BOUNDS);
}

TEST(WindowScaling, TheSdlWindowShowsThePictureTwiceAsLargeAndSharp) {
    platform::sdl::SdlSystem system;
    if (!system.Ready()) {
        GTEST_SKIP() << "no SDL video here";
    }
    Checkers events;
    auto window = OpenAt(system, "0,0,3000,2400", 2, events);
    SDL_ResetHint(SDL_HINT_DISPLAY_USABLE_BOUNDS);
    ASSERT_TRUE(window);
    auto* sdlWindow = static_cast<platform::sdl::SdlWindow*>(window.get());
    events.canvas = &window->GetCanvas();
    int wrong = -1;
    events.onTick = [&] {
        window->EndModal(0);
        SDL_Surface* surface = SDL_GetWindowSurface(sdlWindow->Handle());
        if (!surface || surface->w != 2 * kW || surface->h != 2 * kH) {
            return;
        }
        wrong = 0;
        SDL_LockSurface(surface);
        const PixelImage& picture = window->GetCanvas().Pixels();
        for (int y = 0; y < 2 * kH; ++y) {
            for (int x = 0; x < 2 * kW; ++x) {
                wrong += SurfacePixel(surface, x, y) != picture.At(x / 2, y / 2);
            }
        }
        SDL_UnlockSurface(surface);
    };
    window->SetTimer(1, 100);
    window->RunModal();
    EXPECT_EQ(wrong, 0);
}

void PushClick(int x, int y) {
    for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
        SDL_Event event{};
        event.type = type;
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button.x = x;
        event.button.y = y;
        SDL_PushEvent(&event);
    }
}

TEST(WindowScaling, AClickOnTheEnlargedDialogPressesTheButtonShownThere) {
    platform::sdl::SdlSystem system;
    if (!system.Ready()) {
        GTEST_SKIP() << "no SDL video here";
    }
    platform::headless::RecordedSpeech speech;
    kztest::SilenceSpeech(system, speech);
    Checkers events;
    auto window = OpenAt(system, "0,0,3000,2400", 2, events);
    SDL_ResetHint(SDL_HINT_DISPLAY_USABLE_BOUNDS);
    ASSERT_TRUE(window);
    events.canvas = &window->GetCanvas();

    ui::DialogTemplate t;
    t.title = "test";
    t.width = 200;
    t.height = 100;
    t.fontFace = "ＭＳ ＵＩ ゴシック";
    for (int id : {ui::kDialogOk, ui::kDialogCancel}) {
        ui::DialogControl button;
        button.kind = ui::DialogControl::Kind::Button;
        button.id = id;
        button.text = id == ui::kDialogOk ? "送信" : "閉じる";
        button.rect = id == ui::kDialogOk ? Rect{10, 60, 90, 90} : Rect{110, 60, 190, 90};
        button.tabStop = true;
        t.controls.push_back(button);
    }
    ui::DialogForm form(t);
    const Rect client = ui::DialogPainter::Place(form, kW, kH);
    // The middle of 閉じる, where the window twice as large shows it; on
    // the plain-size picture that point lies outside the dialog.
    const int x = 2 * (client.left + 150);
    const int y = 2 * (client.top + 75);
    ASSERT_FALSE(x < client.right && y < client.bottom);
    int ticks = 0;
    events.onTick = [&] {
        if (++ticks == 2) {
            PushClick(x, y);
        } else if (ticks == 50) {
            form.EndDialog(99);
        }
    };
    window->SetTimer(1, 100);
    EXPECT_EQ(platform::RunScoreDialog(form), ui::kDialogCancel);
}

} // namespace
