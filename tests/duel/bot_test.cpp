// The duel can be played by ear: a player who hears only the rendered stereo
// output (never the scene) and answers with key releases wins an easy and a
// normal duel, and loses after four mistakes when it answers too late.
#include "duel/duel_game.h"
#include "listening/listening_bot.h"
#include "listening/practice.h"

#include <gtest/gtest.h>

namespace {

using duel_test::DuelGame;
using listening::ListeningBot;
using listening::PitchMemory;
using platform::headless::Channel;
using platform::headless::RenderedAudio;

constexpr uint32_t kSliceMs = 10;

std::vector<float> Interleaved(const RenderedAudio& audio) {
    std::vector<float> samples;
    samples.reserve(static_cast<size_t>(audio.Frames()) * 2);
    for (uint32_t i = 0; i < audio.Frames(); ++i) {
        samples.push_back(audio.Sample(Channel::Left, i));
        samples.push_back(audio.Sample(Channel::Right, i));
    }
    return samples;
}

struct Outcome {
    int command = -1;        // what the confirmed end of the duel asked of the main window
    size_t scoreDialogs = 0; // offers to send the result, as the player saw them
    int damage = 0;
    int swings = 0;
    int lowSwings = 0;
    int chances = 0;
    uint32_t seconds = 0;
};

// Runs the duel in 10 ms slices: the clock moves, a due frame runs, the
// output is rendered and heard, and the keys the bot releases reach the game.
Outcome PlayByEar(int level, unsigned seed, int reactionMs, uint32_t maxSeconds) {
    ListeningBot::Options options;
    options.pitch = listening::PractiseSwings(KZ_DATA_DIR);
    options.nReactionMs = reactionMs;
    DuelGame g(level, seed);
    options.nSampleRate = static_cast<int>(g.audio.Rate());
    ListeningBot bot(options);
    Outcome outcome;
    const uint32_t start = g.Now();
    while (g.InDuel() && g.Now() - start < maxSeconds * 1000) {
        RenderedAudio heard = g.Advance(kSliceMs);
        if (!g.InDuel()) {
            break;
        }
        for (unsigned key : bot.Hear(Interleaved(heard))) {
            g.Key(static_cast<int>(key));
            // The judge, not the player, notes what the game was asked.
            if (g.InDuel() && g.Game().m_nCommand >= 0) {
                outcome.command = g.Game().m_nCommand;
                outcome.damage = g.Game().m_nDamage;
            }
        }
    }
    outcome.scoreDialogs = g.system.ScoreDialogs().Dialogs().size();
    outcome.swings = bot.SwingsHeard();
    outcome.lowSwings = bot.LowSwingsHeard();
    outcome.chances = bot.ChancesHeard();
    outcome.seconds = (g.Now() - start) / 1000;
    return outcome;
}

TEST(DuelByEar, TheHighAndLowSwingsSoundApart) {
    PitchMemory memory = listening::PractiseSwings(KZ_DATA_DIR);
    EXPECT_GT(memory.fHighCrossings, 1.5 * memory.fLowCrossings);
}

TEST(DuelByEar, AListeningPlayerWinsAnEasyAndANormalDuelAndLosesWhenLate) {
    struct Case {
        const char* name;
        int level;
        unsigned seed;
        int reactionMs;
        int command;
        int enemies; // chances heard: one per enemy felled
    };
    const Case cases[] = {
        {"easy", 2, 21, 300, 2, 5},
        {"normal", 3, 22, 350, 2, 10},
        {"easy, answering late", 2, 23, 1600, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Outcome outcome = PlayByEar(c.level, c.seed, c.reactionMs, 400);
        EXPECT_EQ(outcome.command, c.command) << "after " << outcome.seconds << " s";
        EXPECT_EQ(outcome.scoreDialogs, c.command == 2 ? 1u : 0u)
            << "only a confirmed win offers the score";
        EXPECT_EQ(outcome.chances, c.enemies);
        if (c.command == 1) {
            EXPECT_EQ(outcome.damage, 4) << "lost at the close after the fourth mistake";
            EXPECT_EQ(outcome.swings, 5);
        } else {
            EXPECT_EQ(outcome.damage, 0) << "every swing answered in time";
        }
        if (c.level == 2) {
            EXPECT_EQ(outcome.lowSwings, 0) << "easy swings all come from above";
        } else {
            EXPECT_GT(outcome.lowSwings, 0);
        }
    }
}

} // namespace
