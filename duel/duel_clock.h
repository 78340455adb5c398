#pragma once
#include <cstdint>

namespace duel {

// The duel's time in milliseconds from its start, as a replay carries it.
// Frames fall every 100 ms after the first, however late the window's timer
// delivers them, and a key released between two frames is placed between
// them; so a replay needs only the first frame's offset and each key's time
// to run the duel again exactly as it was played.
class DuelClock {
public:
    static constexpr int kFrameMs = 100;

    // The duel began at this tick of the window's clock.
    void Begin(uint32_t tick) {
        m_startTick = tick;
        m_frames = 0;
    }
    // A replay's first frame falls where the played one did.
    void FixFirstFrame(int ms) {
        m_firstFrame = ms;
        m_firstFixed = true;
    }

    // The duel time of the frame the window delivers at this tick.
    int Frame(uint32_t tick) {
        if (m_frames == 0 && !m_firstFixed) {
            m_firstFrame = Clamp(Since(m_startTick, tick), 0, kFrameMs);
        }
        m_lastFrameTick = tick;
        m_frames += 1;
        return Now();
    }
    // The duel time of a key released at this tick: after the last frame and
    // before the next.
    int Key(uint32_t tick) const {
        if (m_frames == 0) {
            return Clamp(Since(m_startTick, tick), 0, kFrameMs - 1);
        }
        return Now() + Clamp(Since(m_lastFrameTick, tick), 0, kFrameMs - 1);
    }
    // The duel time of the last frame (0 before the first).
    int Now() const { return m_frames == 0 ? 0 : FrameTime(m_firstFrame, m_frames - 1); }
    int FirstFrame() const { return m_firstFrame; }

    static int FrameTime(int firstFrame, int index) { return firstFrame + kFrameMs * index; }

private:
    static int Since(uint32_t from, uint32_t to) {
        return static_cast<int>(static_cast<int32_t>(to - from));
    }
    static int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

    uint32_t m_startTick = 0;
    uint32_t m_lastFrameTick = 0;
    int m_firstFrame = kFrameMs;
    bool m_firstFixed = false;
    int m_frames = 0;
};

} // namespace duel
