// The name and password prompt on the SDL backend (SDL's dummy video driver
// in the test run): it is the one a server's 401 brings up, typed text comes
// back from it and Escape cancels it.
#include "platform/credentials.h"
#include "platform/headless/recorded_speech.h"
#include "platform/sdl/sdl_system.h"

#include "sdl_window_events.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

using Ticks = kztest::RecordedWindowEvents;

void PushKey(SDL_Scancode scancode, SDL_Keycode sym) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = sym;
    SDL_PushEvent(&event);
}

void PushText(const char* text) {
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    std::strncpy(event.text.text, text, sizeof(event.text.text) - 1);
    SDL_PushEvent(&event);
}

void PushQuitAt(int tick) {
    // Bounded: a prompt that never closes is closed after five seconds.
    if (tick == 50) {
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    }
}

TEST(SdlCredentialPrompt, TypedNameAndPasswordComeBackAndEscapeCancels) {
    platform::sdl::SdlSystem system;
    if (!system.Ready()) {
        GTEST_SKIP() << "no SDL video here";
    }
    platform::headless::RecordedSpeech speech;
    kztest::SilenceSpeech(system, speech);

    Ticks events;
    auto window = platform::CreateMainWindow({732, 570, "test", {}}, events);
    ASSERT_TRUE(window);
    window->SetTimer(1, 100);

    events.onTick = [](int tick) {
        if (tick == 2) {
            PushText("武蔵");
            PushKey(SDL_SCANCODE_TAB, SDLK_TAB);
            PushText("s3cret");
            PushKey(SDL_SCANCODE_RETURN, SDLK_RETURN);
        }
        PushQuitAt(tick);
    };
    const std::optional<platform::Credentials> given =
        platform::AskCredentials("127.0.0.1", "score room");
    ASSERT_TRUE(given) << "OK by Enter";
    EXPECT_EQ(given->user, "武蔵");
    EXPECT_EQ(given->password, "s3cret");
    ASSERT_FALSE(speech.Texts().empty());
    EXPECT_EQ(speech.Texts().front(), "score room (127.0.0.1)");
    for (const std::string& said : speech.Texts()) {
        EXPECT_EQ(said.find("s3cret"), std::string::npos) << said;
    }

    const int ticksThen = events.ticks;
    events.onTick = [ticksThen](int tick) {
        if (tick == ticksThen + 2) {
            PushText("kojiro");
            PushKey(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
        }
        PushQuitAt(tick - ticksThen);
    };
    EXPECT_FALSE(platform::AskCredentials("127.0.0.1", "")) << "Escape cancels";
    EXPECT_GE(events.ticks, ticksThen + 2) << "it was open while the game ticked";
    EXPECT_EQ(speech.Texts().back(), "kojiro") << "the name typed before Escape";
}

} // namespace
