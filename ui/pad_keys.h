#pragma once
#include "ui/dialog_form.h"

#include <vector>

namespace ui {

// The buttons and triggers of a game controller, named by where they sit:
// the south face button is A on some makers' pads and a cross on others'.
enum class PadInput {
    DpadUp,
    DpadDown,
    DpadLeft,
    DpadRight,
    South,
    East,
    West,
    North,
    Back,
    Guide,
    Start,
    LeftStick,
    RightStick,
    LeftShoulder,
    RightShoulder,
    LeftTrigger,
    RightTrigger,
};

// Who the controller is talking to: the game (through its key releases) or
// a dialog open over it (through key presses, as a keyboard works one).
enum class PadTarget { Game, Dialog };

// A key the controller stands for: vk 0 when it stands for none.
struct PadKey {
    int vk = 0;
    KeyMods mods;
};

// Turns a controller into the keys the game and its dialogs already know.
// The game acts on key releases, so a button gives its key when it is let
// go, as a key would. The scenes never learn a controller exists, so one
// mapping serves them all, each code chosen to mean the right thing wherever
// it lands:
//   D-pad up / down  -> Up / Down:  moves the menu; the duel has no use for
//                                   them and ignores them.
//   south            -> Space:      chooses in the menu (as Enter does),
//                                   strikes and confirms in the duel and
//                                   the tutorial.
//   back             -> Escape:     leaves the duel; in the menu it only
//                                   says the item again, as Escape does.
//   left / right shoulder -> 7 / 9, left / right trigger -> 1 / 3: the four
//                                   guards where the blade comes from (upper
//                                   left, upper right, lower left, lower
//                                   right); in the menu they say the item.
// A dialog over the game takes presses: the D-pad's up and down move the
// area choice, left and right move the focus (Shift+Tab, Tab), south is
// Enter, east is Escape.
// A trigger counts as pressed from kTriggerDown and as released only below
// kTriggerUp, so a trigger resting halfway never chatters. A button pressed
// for one target and let go while the other one listens gives nothing: the
// release belongs where the press went.
class PadKeys {
public:
    static constexpr int kTriggerDown = 16384; // half of the way (0 ... 32767)
    static constexpr int kTriggerUp = 8192;    // a quarter

    // A button of controller `pad` went down or up.
    PadKey Button(int pad, PadInput input, bool down, PadTarget target);
    // A trigger moved to value (0 released ... 32767 fully pressed).
    PadKey Trigger(int pad, PadInput trigger, int value, PadTarget target);
    // The controller is gone: what it held down is forgotten, unreleased.
    void Forget(int pad);

    // The key each input stands for, by target.
    static PadKey GameKey(PadInput input);
    static PadKey DialogKey(PadInput input);

private:
    struct Held {
        int pad;
        PadInput input;
        PadTarget target;
    };
    bool IsHeld(int pad, PadInput input) const;

    std::vector<Held> m_held;
};

} // namespace ui
