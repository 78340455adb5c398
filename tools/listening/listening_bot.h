#pragma once
// A player who only listens. It hears the rendered stereo output, nothing
// else: a swing is a sound that sits on one side only (whatever is centred
// cancels out of left minus right), its side says which hand, its pitch says
// high or low. It answers by releasing keys, and strikes when the chance
// sounds right after one of its blocks.
#include <cstdint>
#include <vector>

namespace listening {

// What the bot remembers of a swing's pitch from its practice: the
// zero-crossing rate of a high and of a low swing.
struct PitchMemory {
    double fHighCrossings = 0.0;
    double fLowCrossings = 0.0;
    // Halfway between the two on a log scale, where the ear puts its border.
    double Border() const;
};

// Zero crossings per second of the side signal (left − right) of one sound,
// measured over the listening window the bot uses on a swing.
double SideCrossingsPerSecond(const std::vector<float>& interleaved, int nSampleRate);

class ListeningBot {
public:
    struct Options {
        int nSampleRate = 48000;
        PitchMemory pitch;
        // From the swing's first sound to the release of the block key.
        int nReactionMs = 300;
        // How long without any swing before the bot tries the strike key,
        // which confirms the end of a duel and does nothing otherwise.
        int nConfirmAfterQuietMs = 6000;
    };

    explicit ListeningBot(const Options& options);

    // Feeds the next slice of rendered audio (interleaved L, R). Returns the
    // virtual-key codes the bot releases right after this slice.
    std::vector<unsigned> Hear(const std::vector<float>& interleaved);

    int SwingsHeard() const { return m_nSwings; }
    int ChancesHeard() const { return m_nChances; }

private:
    struct Block {
        double fLeft = 0.0;  // energy of the left channel
        double fRight = 0.0; // energy of the right channel
        double fSide = 0.0;  // energy of left − right
    };

    void AnalyseBlock(const float* pFrames, int nFrames);
    void CollectSwing(const float* pFrames, int nFrames);
    void JudgeSwing();
    void ListenForChance(const Block& block);
    static unsigned KeyFor(bool bLeft, bool bHigh);

    Options m_options;
    int m_nBlockFrames;
    std::vector<float> m_pending; // frames not yet filling a whole block
    int64_t m_nNowMs = 0;         // time at the end of the last block heard

    double m_fSideHistory = 0.0; // running mean of the side energy, about 50 ms
    int64_t m_nLastSwing = -100000;
    int64_t m_nLastKey = -100000;

    // The swing being listened to.
    bool m_bCollecting = false;
    std::vector<float> m_swing;  // interleaved frames from its onset
    double m_fSideBalance = 0.0; // energy left minus energy right

    // The answer waiting to be released.
    bool m_bAnswerDue = false;
    int64_t m_nAnswerAt = 0;
    unsigned m_nAnswerKey = 0;
    bool m_bSwingLeft = false;

    // After a block: is a centred sound starting on the quiet side?
    bool m_bCheckingChance = false;
    int64_t m_nChanceUntil = 0;
    double m_fQuietSideBefore = 0.0;
    double m_fQuietSideAfter = 0.0;
    int m_nQuietSideBlocks = 0;
    bool m_bStrikeDue = false;
    int64_t m_nStrikeAt = 0;

    std::vector<double> m_recentQuietSide; // quiet-side energy of the last blocks

    int m_nSwings = 0;
    int m_nChances = 0;
};

} // namespace listening
