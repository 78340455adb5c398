#include "platform/headless/headless_pads.h"

#include <algorithm>

namespace platform::headless {

void HeadlessPads::Connect(int pad, bool canRumble) {
    if (!Connected(pad)) {
        m_pads.push_back({pad, canRumble});
    }
}

bool HeadlessPads::Connected(int pad) const {
    return std::any_of(m_pads.begin(), m_pads.end(), [&](const Pad& p) { return p.id == pad; });
}

void HeadlessPads::Play(Haptic event) {
    for (const Pad& pad : m_pads) {
        if (pad.rumble) {
            m_requests.push_back({pad.id, event, RumbleFor(event)});
        }
    }
}

} // namespace platform::headless
