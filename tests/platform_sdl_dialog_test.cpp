// The score dialog on the SDL backend (SDL's dummy video driver in the test
// run, a real display when there is one): its own loop keeps the main
// window's ticks going, takes typed and composed text, and lets no key
// through to the game.
#include "platform/headless/recorded_speech.h"
#include "platform/keys.h"
#include "platform/score_dialog.h"
#include "platform/sdl/sdl_system.h"
#include "ui/dialog_painter.h"

#include "sdl_window_events.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

using ui::DialogControl;
using Kind = DialogControl::Kind;

constexpr int kEdit = 1002;

using RecordedEvents = kztest::RecordedWindowEvents;

ui::DialogTemplate NameTemplate() {
    ui::DialogTemplate t;
    t.title = "ネットに記録しますか?";
    t.width = 291;
    t.height = 159;
    t.fontFace = "ＭＳ ＵＩ ゴシック";
    t.fontTenthsOfPoint = 110;
    t.background = 0;
    DialogControl edit;
    edit.kind = Kind::Edit;
    edit.id = kEdit;
    edit.rect = {82, 11, 280, 50};
    edit.tabStop = true;
    t.controls.push_back(edit);
    DialogControl ok;
    ok.kind = Kind::Button;
    ok.id = 1;
    ok.text = "送信";
    ok.rect = {36, 125, 111, 147};
    ok.tabStop = true;
    ok.defaultButton = true;
    t.controls.push_back(ok);
    return t;
}

void PushKey(Uint32 type, SDL_Scancode scancode, SDL_Keycode sym) {
    SDL_Event event{};
    event.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = sym;
    SDL_PushEvent(&event);
}

void PushText(Uint32 type, const char* text) {
    SDL_Event event{};
    event.type = type;
    if (type == SDL_TEXTINPUT) {
        std::strncpy(event.text.text, text, sizeof(event.text.text) - 1);
    } else {
        std::strncpy(event.edit.text, text, sizeof(event.edit.text) - 1);
        event.edit.start = 3;
    }
    SDL_PushEvent(&event);
}

uint32_t PixelAt(SDL_Surface* surface, int x, int y) {
    Uint32 pixel = 0;
    SDL_LockSurface(surface);
    const auto* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
    std::memcpy(&pixel, row + x * surface->format->BytesPerPixel, surface->format->BytesPerPixel);
    SDL_UnlockSurface(surface);
    Uint8 r = 0;
    Uint8 g = 0;
    Uint8 b = 0;
    SDL_GetRGB(pixel, surface->format, &r, &g, &b);
    return platform::Rgb(r, g, b);
}

TEST(SdlScoreDialog, TicksGoOnTextComesInAndNoKeyReachesTheGame) {
    platform::sdl::SdlSystem system;
    if (!system.Ready()) {
        GTEST_SKIP() << "no SDL video here";
    }
    // Nothing is said aloud from a test.
    platform::headless::RecordedSpeech speech;
    kztest::SilenceSpeech(system, speech);

    RecordedEvents events;
    auto window = platform::CreateMainWindow({732, 570, "test", {}}, events);
    ASSERT_TRUE(window);
    window->SetTimer(1, 100);
    ui::DialogForm form(NameTemplate());
    auto* sdlWindow = static_cast<platform::sdl::SdlWindow*>(window.get());
    const ui::Rect client = ui::DialogPainter::Place(form, 732, 570);

    std::string composingSeen;
    bool endedEarly = false;
    uint32_t captionColour = 0;
    events.onTick = [&](int tick) {
        switch (tick) {
        case 2:
            // Enter while the input method composes belongs to it.
            PushText(SDL_TEXTEDITING, "むさし");
            PushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN);
            PushKey(SDL_KEYUP, SDL_SCANCODE_RETURN, SDLK_RETURN);
            break;
        case 3:
            composingSeen = form.CompositionText();
            endedEarly = form.Ended();
            captionColour =
                PixelAt(SDL_GetWindowSurface(sdlWindow->Handle()), client.left + 2, client.top - 3);
            PushText(SDL_TEXTINPUT, "武蔵");
            PushKey(SDL_KEYUP, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
            PushKey(SDL_KEYUP, SDL_SCANCODE_SPACE, SDLK_SPACE);
            break;
        case 5:
            // Released only once the dialog is gone, as a quick finger does.
            PushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN);
            break;
        case 50: {
            // Bounded: five seconds at most, then the window closes.
            SDL_Event quit{};
            quit.type = SDL_QUIT;
            SDL_PushEvent(&quit);
            break;
        }
        default:
            break;
        }
    };
    const int result = platform::RunScoreDialog(form);

    EXPECT_EQ(result, ui::kDialogOk);
    EXPECT_EQ(form.GetWindowText(kEdit), "武蔵");
    EXPECT_EQ(composingSeen, "むさし") << "the composition shows in the field";
    EXPECT_FALSE(endedEarly);
    EXPECT_GE(events.ticks, 5) << "the main window kept its ticks";
    EXPECT_GT(events.paints, 0);
    EXPECT_TRUE(events.keys.empty()) << "no key reached the game";
    EXPECT_EQ(captionColour, platform::Rgb(0x0A, 0x24, 0x6A)) << "the caption bar was on screen";
    EXPECT_EQ(PixelAt(SDL_GetWindowSurface(sdlWindow->Handle()), client.left + 2, client.top - 3),
              0u)
        << "gone from the screen as soon as it closed (the game may show a box next)";
    EXPECT_EQ(speech.Texts().front(), "ネットに記録しますか?");

    // Back in the game's own loop: the release of the Enter that sent the
    // dialog is not a key for the game; a key pressed afterwards is.
    PushKey(SDL_KEYUP, SDL_SCANCODE_RETURN, SDLK_RETURN);
    PushKey(SDL_KEYUP, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
    const int ticksThen = events.ticks;
    events.onTick = [&](int tick) {
        if (tick >= ticksThen + 2) {
            window->EndModal(0);
        }
    };
    window->RunModal();
    EXPECT_EQ(events.keys, std::vector<int>{VK_ESCAPE});
}

} // namespace
