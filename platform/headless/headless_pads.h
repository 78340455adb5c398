#pragma once
#include "platform/haptics.h"
#include "ui/pad_keys.h"

#include <vector>

namespace platform::headless {

// Game controllers without hardware: a test connects and unplugs them,
// presses their buttons through the headless window (or dialog), and reads
// back every rumble the game asked of them.
class HeadlessPads : public Haptics {
public:
    struct Request {
        int pad = 0;
        Haptic event = Haptic::Block;
        Rumble rumble;
    };

    void Connect(int pad, bool canRumble = true);
    bool Connected(int pad) const;

    ui::PadKeys& Keys() { return m_keys; }
    const std::vector<Request>& Requests() const { return m_requests; }
    void ClearRequests() { m_requests.clear(); }

    // Haptics: every connected controller that can rumble does.
    void Play(Haptic event) override;

private:
    struct Pad {
        int id;
        bool rumble;
    };
    std::vector<Pad> m_pads;
    ui::PadKeys m_keys;
    std::vector<Request> m_requests;
};

} // namespace platform::headless
