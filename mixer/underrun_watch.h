#pragma once
// Tells from the times an output asks for its periods whether it ran dry. An
// output that never runs dry asks, over any second, for as many frames as a
// second holds: a late period is made up by the next ones coming early. One
// that ran dry played silence meanwhile and then went on from where it stood,
// so from then on it has asked for fewer frames than the clock says, for good.
// Measured over whole seconds, by the most the frames asked for were ahead of
// the clock: a late period lowers that only for the moment.
// Fed on the audio thread; Underruns may be read from any thread.

#include <atomic>
#include <cstdint>

namespace mixer {

class UnderrunWatch {
public:
    // A new output at that rate and period: counting starts over.
    void Start(uint32_t rate, uint32_t period);
    // The output asked for `frames` more at `seconds` on a steady clock.
    void Asked(uint32_t frames, double seconds);
    uint32_t Underruns() const { return m_underruns.load(std::memory_order_relaxed); }

private:
    double m_rate = 1;
    double m_slack = 0; // seconds a second's lead may lose without a run dry
    bool m_started = false;
    double m_start = 0;
    uint64_t m_frames = 0;
    int m_window = 0;
    double m_windowEnd = 0;
    double m_lead = 0;     // the most the frames were ahead in this second
    double m_lastLead = 0; // the same for the one before
    std::atomic<uint32_t> m_underruns{0};
};

} // namespace mixer
