#pragma once
#include <SDL.h>

namespace platform::sdl {

// The virtual-key code of an SDL key, 0 for keys the game has no code for.
// Letters follow the keyboard layout, the digit row and the keypad follow the
// key's position; the keypad digits give VK_NUMPAD0..9 with Num Lock on and
// the navigation codes with it off, as the game's keys were always read.
int VirtualKeyFromSdl(SDL_Scancode scancode, SDL_Keycode keycode, Uint16 modifiers);

} // namespace platform::sdl
