#pragma once
#include "platform/haptics.h"
#include "ui/pad_keys.h"

#include <algorithm>
#include <vector>

namespace platform::headless {

// Game controllers without hardware: a test connects them, presses their
// buttons through the headless window (or dialog), and reads back what the
// game made each of them feel.
class HeadlessPads : public Haptics {
public:
    void Connect(int pad) {
        if (!Connected(pad)) {
            m_pads.push_back(pad);
        }
    }
    bool Connected(int pad) const { return std::count(m_pads.begin(), m_pads.end(), pad) > 0; }

    ui::PadKeys& Keys() { return m_keys; }
    const std::vector<Haptic>& Felt() const { return m_felt; }
    void ClearFelt() { m_felt.clear(); }

    // Haptics: every connected controller feels it.
    void Play(Haptic event) override { m_felt.insert(m_felt.end(), m_pads.size(), event); }

private:
    std::vector<int> m_pads;
    ui::PadKeys m_keys;
    std::vector<Haptic> m_felt;
};

} // namespace platform::headless
