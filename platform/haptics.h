#pragma once
#include <cstdint>

namespace platform {

// Moments of the duel a player holding a controller may also feel. Felt
// only, never instead of their sounds; and nothing here says from which side
// an attack came.
enum class Haptic {
    Block, // a blow blocked with the right key
    Cut,   // the player is cut (a mistake)
    Lost,  // the duel is lost
};

// How a controller rumbles for a moment: the strength of its two motors and
// how long. Both motors always run alike: on most controllers the heavy one
// sits in the left grip and the light one in the right, so an uneven pulse
// would point to a side.
struct Rumble {
    uint16_t low = 0;  // the heavy, low-frequency motor
    uint16_t high = 0; // the light, high-frequency motor
    uint32_t ms = 0;
    bool operator==(const Rumble&) const = default;
};

// A short light pulse for a block, a strong one for a cut, a long one for a
// lost duel.
Rumble RumbleFor(Haptic event);

// What a backend does with these moments: rumble every connected controller
// that can, unless the player turned rumble off.
class Haptics {
public:
    virtual ~Haptics() = default;
    virtual void Play(Haptic event) = 0;
};

// Through the installed backend; without one (or without a controller that
// rumbles) nothing happens. The game calls it at the moment itself, so it
// never has to know whether a controller is there.
void Feel(Haptic event);

} // namespace platform
