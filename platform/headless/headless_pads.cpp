#include "platform/headless/headless_pads.h"

#include <algorithm>

namespace platform::headless {

void HeadlessPads::Connect(int pad, bool canRumble) {
    if (!Connected(pad)) {
        m_pads.push_back({pad, canRumble});
    }
}

void HeadlessPads::Disconnect(int pad) {
    std::erase_if(m_pads, [&](const Pad& p) { return p.id == pad; });
    m_keys.Forget(pad);
}

bool HeadlessPads::Connected(int pad) const {
    return std::any_of(m_pads.begin(), m_pads.end(), [&](const Pad& p) { return p.id == pad; });
}

void HeadlessPads::Play(Haptic event) {
    if (!m_rumble) {
        return;
    }
    for (const Pad& pad : m_pads) {
        if (pad.rumble) {
            m_requests.push_back({pad.id, event, RumbleFor(event)});
        }
    }
}

} // namespace platform::headless
