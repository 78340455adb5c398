#include "listening/listening_bot.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace listening {

namespace {

constexpr int kBlockMs = 5;
// How much of a swing the bot listens to before it makes up its mind.
constexpr int kListenMs = 80;
// Side energy (mean square of left − right) that counts as a sound.
constexpr double kSideOn = 1e-5;
// A swing is a sudden rise over the last 50 ms of side energy.
constexpr double kOnsetRise = 10.0;
constexpr int kHistoryBlocks = 10;
// Swings come at least 1.7 s apart in easy and normal; within a second of one
// a rise is still the same swing.
constexpr int kSameSwingMs = 1000;
// Right after its own block key the bot hears its own clash on the same side.
constexpr int kOwnClashMs = 250;
// After the block key: a centred sound starting on the quiet side is the chance.
constexpr int kChanceListenMs = 80;
constexpr double kChanceRise = 4.0;
constexpr int kStrikeAfterChanceMs = 150;
// Below this a sample is silence, not a crossing.
constexpr float kCrossingFloor = 1e-4f;

constexpr unsigned kKeyStrike = 0x20;

double Mean(const std::vector<double>& values) {
    if (values.empty()) {
        return 0.0;
    }
    return std::accumulate(values.begin(), values.end(), 0.0) / values.size();
}

} // namespace

double PitchMemory::Border() const {
    return std::sqrt(fHighCrossings * fLowCrossings);
}

double SideCrossingsPerSecond(const std::vector<float>& interleaved, int nSampleRate) {
    size_t nFrames = interleaved.size() / 2;
    size_t nStart = 0;
    while (nStart < nFrames &&
           std::fabs(interleaved[2 * nStart] - interleaved[2 * nStart + 1]) < kCrossingFloor) {
        ++nStart;
    }
    size_t nEnd = std::min(nFrames, nStart + static_cast<size_t>(nSampleRate) * kListenMs / 1000);
    int nCrossings = 0;
    int nLastSign = 0;
    for (size_t i = nStart; i < nEnd; ++i) {
        float fSide = interleaved[2 * i] - interleaved[2 * i + 1];
        if (std::fabs(fSide) < kCrossingFloor) {
            continue;
        }
        int nSign = fSide > 0 ? 1 : -1;
        if (nLastSign != 0 && nSign != nLastSign) {
            ++nCrossings;
        }
        nLastSign = nSign;
    }
    if (nEnd <= nStart) {
        return 0.0;
    }
    return nCrossings * static_cast<double>(nSampleRate) / static_cast<double>(nEnd - nStart);
}

ListeningBot::ListeningBot(const Options& options)
    : m_options(options), m_nBlockFrames(options.nSampleRate * kBlockMs / 1000) {}

std::vector<unsigned> ListeningBot::Hear(const std::vector<float>& interleaved) {
    std::vector<unsigned> keys;
    m_pending.insert(m_pending.end(), interleaved.begin(), interleaved.end());
    size_t nBlockSamples = static_cast<size_t>(m_nBlockFrames) * 2;
    size_t nUsed = 0;
    while (m_pending.size() - nUsed >= nBlockSamples) {
        AnalyseBlock(m_pending.data() + nUsed, m_nBlockFrames);
        nUsed += nBlockSamples;
    }
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<long>(nUsed));

    if (m_bAnswerDue && m_nNowMs >= m_nAnswerAt) {
        m_bAnswerDue = false;
        keys.push_back(m_nAnswerKey);
        m_nLastKey = m_nNowMs;
        // What was on the quiet side just before the block is the yardstick.
        m_bCheckingChance = true;
        m_nChanceUntil = m_nNowMs + kChanceListenMs;
        m_fQuietSideBefore = Mean(m_recentQuietSide);
        m_fQuietSideAfter = 0.0;
        m_nQuietSideBlocks = 0;
    }
    if (m_bStrikeDue && m_nNowMs >= m_nStrikeAt) {
        m_bStrikeDue = false;
        keys.push_back(kKeyStrike);
        m_nLastKey = m_nNowMs;
    }
    if (m_nNowMs - std::max({m_nLastSwing, m_nLastKey, int64_t{0}}) >=
        m_options.nConfirmAfterQuietMs) {
        keys.push_back(kKeyStrike);
        m_nLastKey = m_nNowMs;
    }
    return keys;
}

void ListeningBot::AnalyseBlock(const float* pFrames, int nFrames) {
    Block block;
    for (int i = 0; i < nFrames; ++i) {
        double fLeft = pFrames[2 * i];
        double fRight = pFrames[2 * i + 1];
        block.fLeft += fLeft * fLeft;
        block.fRight += fRight * fRight;
        block.fSide += (fLeft - fRight) * (fLeft - fRight);
    }
    block.fLeft /= nFrames;
    block.fRight /= nFrames;
    block.fSide /= nFrames;
    m_nNowMs += kBlockMs;

    if (m_bCollecting) {
        CollectSwing(pFrames, nFrames);
    }
    if (m_bCheckingChance) {
        ListenForChance(block);
    }

    double fQuiet = m_bSwingLeft ? block.fRight : block.fLeft;
    m_recentQuietSide.push_back(fQuiet);
    if (m_recentQuietSide.size() > kHistoryBlocks) {
        m_recentQuietSide.erase(m_recentQuietSide.begin());
    }

    bool bRise = block.fSide > kSideOn && block.fSide > kOnsetRise * (m_fSideHistory + kSideOn);
    bool bNewSwing = bRise && !m_bCollecting && m_nNowMs - m_nLastSwing >= kSameSwingMs &&
                     m_nNowMs - m_nLastKey >= kOwnClashMs;
    m_fSideHistory = (m_fSideHistory * (kHistoryBlocks - 1) + block.fSide) / kHistoryBlocks;
    if (bNewSwing) {
        m_nLastSwing = m_nNowMs - kBlockMs;
        m_bCollecting = true;
        m_swing.assign(pFrames, pFrames + 2 * nFrames);
        m_fSideBalance = 0.0;
    }
    if (m_bCollecting) {
        m_fSideBalance += block.fLeft - block.fRight;
    }
}

void ListeningBot::CollectSwing(const float* pFrames, int nFrames) {
    m_swing.insert(m_swing.end(), pFrames, pFrames + 2 * nFrames);
    size_t nWanted = static_cast<size_t>(m_options.nSampleRate) * kListenMs / 1000 * 2;
    if (m_swing.size() >= nWanted) {
        JudgeSwing();
    }
}

void ListeningBot::JudgeSwing() {
    m_bCollecting = false;
    bool bLeft = m_fSideBalance > 0;
    bool bHigh = SideCrossingsPerSecond(m_swing, m_options.nSampleRate) > m_options.pitch.Border();
    ++m_nSwings;
    m_bSwingLeft = bLeft;
    m_bAnswerDue = true;
    m_nAnswerAt = m_nLastSwing + m_options.nReactionMs;
    m_nAnswerKey = KeyFor(bLeft, bHigh);
}

void ListeningBot::ListenForChance(const Block& block) {
    m_fQuietSideAfter += m_bSwingLeft ? block.fRight : block.fLeft;
    ++m_nQuietSideBlocks;
    if (m_nNowMs < m_nChanceUntil) {
        return;
    }
    m_bCheckingChance = false;
    double fAfter = m_fQuietSideAfter / m_nQuietSideBlocks;
    if (fAfter > kChanceRise * m_fQuietSideBefore + kSideOn) {
        ++m_nChances;
        m_bStrikeDue = true;
        m_nStrikeAt = m_nLastKey + kStrikeAfterChanceMs;
    }
}

unsigned ListeningBot::KeyFor(bool bLeft, bool bHigh) {
    if (bHigh) {
        return bLeft ? 'A' : 'K';
    }
    return bLeft ? 'Z' : 'M';
}

} // namespace listening
