#include "platform/haptics.h"

#include "platform/services.h"

namespace platform {

Rumble RumbleFor(Haptic event) {
    switch (event) {
    case Haptic::Block:
        return {0x3000, 0x3000, 70};
    case Haptic::Cut:
        return {0xFFFF, 0xFFFF, 300};
    case Haptic::Lost:
        return {0xB000, 0xB000, 1500};
    }
    return {};
}

void Feel(Haptic event) {
    if (Haptics* haptics = GetServices().haptics) {
        haptics->Play(event);
    }
}

} // namespace platform
