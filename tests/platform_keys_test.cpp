#include "platform/keys.h"
#include "platform/sdl/sdl_keys.h"

#include <gtest/gtest.h>

namespace {

TEST(SdlKeys, EveryKeyTheGameUsesGetsItsVirtualKeyCode) {
    struct Case {
        SDL_Scancode scancode;
        SDL_Keycode keycode;
        Uint16 mod;
        int vk;
    };
    const Case cases[] = {
        {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 0, VK_ESCAPE},
        {SDL_SCANCODE_RETURN, SDLK_RETURN, 0, VK_RETURN},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, KMOD_NUM, VK_RETURN},
        {SDL_SCANCODE_SPACE, SDLK_SPACE, 0, VK_SPACE},
        {SDL_SCANCODE_UP, SDLK_UP, 0, VK_UP},
        {SDL_SCANCODE_DOWN, SDLK_DOWN, KMOD_NUM, VK_DOWN},
        {SDL_SCANCODE_LEFT, SDLK_LEFT, 0, VK_LEFT},
        {SDL_SCANCODE_RIGHT, SDLK_RIGHT, 0, VK_RIGHT},
        {SDL_SCANCODE_HOME, SDLK_HOME, 0, VK_HOME},
        {SDL_SCANCODE_END, SDLK_END, 0, VK_END},
        {SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, 0, VK_PRIOR},
        {SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN, 0, VK_NEXT},
        {SDL_SCANCODE_INSERT, SDLK_INSERT, 0, VK_INSERT},
        {SDL_SCANCODE_DELETE, SDLK_DELETE, 0, VK_DELETE},
        {SDL_SCANCODE_1, SDLK_1, 0, '1'},
        {SDL_SCANCODE_0, SDLK_0, 0, '0'},
        {SDL_SCANCODE_9, SDLK_9, KMOD_SHIFT, '9'},
        {SDL_SCANCODE_A, SDLK_a, 0, 'A'},
        {SDL_SCANCODE_Z, SDLK_z, KMOD_CAPS, 'Z'},
        {SDL_SCANCODE_Q, SDLK_a, 0, 'A'}, // a French layout: the letter, not the place
        {SDL_SCANCODE_F1, SDLK_F1, 0, VK_F1},
        {SDL_SCANCODE_F12, SDLK_F12, 0, VK_F12},
        {SDL_SCANCODE_F24, SDLK_F24, 0, VK_F24},
        {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, 0, VK_SHIFT},
        {SDL_SCANCODE_RCTRL, SDLK_RCTRL, 0, VK_CONTROL},
        {SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON, 0, VK_OEM_1},
        {SDL_SCANCODE_SLASH, SDLK_SLASH, 0, VK_OEM_2},
        {SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE, 0, VK_DIVIDE},
        {SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS, KMOD_NUM, VK_ADD},
        // The keypad digits with Num Lock on ...
        {SDL_SCANCODE_KP_0, SDLK_KP_0, KMOD_NUM, VK_NUMPAD0},
        {SDL_SCANCODE_KP_1, SDLK_KP_1, KMOD_NUM, VK_NUMPAD1},
        {SDL_SCANCODE_KP_5, SDLK_KP_5, KMOD_NUM, VK_NUMPAD5},
        {SDL_SCANCODE_KP_7, SDLK_KP_7, KMOD_NUM | KMOD_SHIFT, VK_NUMPAD7},
        {SDL_SCANCODE_KP_9, SDLK_KP_9, KMOD_NUM, VK_NUMPAD9},
        {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, KMOD_NUM, VK_DECIMAL},
        // ... and with it off: the navigation keys printed beside them.
        {SDL_SCANCODE_KP_0, SDLK_KP_0, 0, VK_INSERT},
        {SDL_SCANCODE_KP_1, SDLK_KP_1, 0, VK_END},
        {SDL_SCANCODE_KP_2, SDLK_KP_2, 0, VK_DOWN},
        {SDL_SCANCODE_KP_3, SDLK_KP_3, 0, VK_NEXT},
        {SDL_SCANCODE_KP_4, SDLK_KP_4, 0, VK_LEFT},
        {SDL_SCANCODE_KP_5, SDLK_KP_5, 0, VK_CLEAR},
        {SDL_SCANCODE_KP_6, SDLK_KP_6, 0, VK_RIGHT},
        {SDL_SCANCODE_KP_7, SDLK_KP_7, 0, VK_HOME},
        {SDL_SCANCODE_KP_8, SDLK_KP_8, 0, VK_UP},
        {SDL_SCANCODE_KP_9, SDLK_KP_9, 0, VK_PRIOR},
        {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, 0, VK_DELETE},
        // Keys the game has no code for.
        {SDL_SCANCODE_AUDIOPLAY, SDLK_AUDIOPLAY, 0, 0},
        {SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::sdl::VirtualKeyFromSdl(c.scancode, c.keycode, c.mod), c.vk)
            << SDL_GetScancodeName(c.scancode) << " mod " << c.mod;
    }
}

} // namespace
