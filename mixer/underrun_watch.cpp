#include "mixer/underrun_watch.h"

#include <algorithm>

namespace mixer {

namespace {
// The first seconds hold the output's filling up: they set no standard.
constexpr int kSettlingWindows = 2;
} // namespace

void UnderrunWatch::Start(uint32_t rate, uint32_t period) {
    m_rate = rate;
    m_slack = 0.5 * period / rate;
    m_started = false;
    m_underruns.store(0, std::memory_order_relaxed);
}

void UnderrunWatch::Asked(uint32_t frames, double seconds) {
    if (!m_started) {
        m_started = true;
        m_start = seconds;
        m_frames = 0;
        m_window = 0;
        m_windowEnd = seconds + 1;
        m_lead = m_lastLead = -1e9;
    }
    m_frames += frames;
    m_lead = std::max(m_lead, static_cast<double>(m_frames) / m_rate - (seconds - m_start));
    if (seconds < m_windowEnd) {
        return;
    }
    if (++m_window > kSettlingWindows && m_lead < m_lastLead - m_slack) {
        m_underruns.fetch_add(1, std::memory_order_relaxed);
    }
    m_lastLead = m_lead;
    m_lead = -1e9;
    m_windowEnd = seconds + 1;
}

} // namespace mixer
