// The tutorial as a listener and a reader gets it: when each narration
// starts, what the screen says meanwhile, which sounds are demonstrated where
// and how high, and what every key does in every step; then the way back to
// the menu, and Escape at any moment.
#include "duel/duel_game.h"
#include "platform/haptics.h"

#include <gtest/gtest.h>

namespace {

using duel_test::DuelGame;

constexpr int32_t kLeft = -10000;
constexpr int32_t kRight = 10000;
constexpr int32_t kCentre = 0;

// The keys tried in every step, in this order, and what each one does there:
//   '-' nothing is heard and nothing changes
//   'c' the clash, on the side being taught (a controller feels a block)
//   'w' the cut: "\sound\sasu2", and the line "DAMAGE!0" (a controller
//       feels a cut)
//   's' the strike lands: "\sound\sasu1", and the enemy is struck down
const int kKeys[] = {'7', 'A', '9', 'K', '1', 'Z', '3', 'M', VK_SPACE, '5', 'S'};
constexpr char kSilent[] = "-- -- -- -- -- -";

struct Demonstration {
    const char* sound = nullptr; // none
    int32_t pan = 0;
    uint32_t rate = 0;
    const char* keys = kSilent; // within its 1000 ms
};

struct Step {
    uint32_t at; // ms from the start of the scene to the narration
    std::vector<std::string> lines;
    // Before the narration; from then on a clash sounds on its side.
    Demonstration demonstration = {};
    const char* keys = kSilent; // within the 5000 ms after the narration starts
};

// The run opens with the tutorial, so the first swing that asks for a rate is
// the run's first request: it plays at the sample's own rate (22050 Hz) times
// 1.1 rather than high. Every later one is 1.1 × 22000 or 1.1 × 12000.
const Step kSteps[] = {
    {1000, {"あなたは、勇敢な侍です。あなたは敵を倒します"}},
    {6000, {"あなたは、1対1で敵と戦います。"}},
    {11000, {"敵は、刀で襲ってきます。"}},
    {16000, {"あなたは、相手の刀を受けとめながら", "チャンスを見つけて攻撃します"}},
    {22000,
     {"左のスピーカーから高い音がすれば刀は左上"},
     {"\\sound\\huri", kLeft, 24255, "cc ww ww ww -- -"}},
    {27000, {"7か、Ａを押してください"}, {}, "cc ww ww ww -- -"},
    {33000, {"左のスピーカーから低い音がすれば刀は左下"}, {"\\sound\\huri", kLeft, 13200}},
    {38000, {"1か、Ｚを押してください"}, {}, "ww ww cc ww -- -"},
    {44000, {"右のスピーカーから高い音がすれば刀は右上"}, {"\\sound\\huri", kRight, 24200}},
    {49000, {"9か、Ｋを押してください"}, {}, "ww cc ww ww -- -"},
    {55000, {"右のスピーカーから低い音がすれば刀は右下"}, {"\\sound\\huri", kRight, 13200}},
    {60000, {"3か、Ｍを押してください"}, {}, "ww ww ww cc -- -"},
    {66000,
     {"あなたは、チャンスの音が聞こえたら", "5か、スペースキーを押してください"},
     {"\\sound\\chance", kCentre, 22050},
     "ww ww ww ww ss -"},
    {71000, {"倒すことができれば、次の敵が現れます"}},
    {76000, {"５回間違えると負けです"}},
    {81000, {"イージーモードでは、5人の敵を倒せば勝ちです"}},
    {86000, {"ノーマルモードでは、10人の敵を倒せば勝ちです"}},
    {91000, {"ハードモードでは、50人の敵を倒せば勝ちです"}},
    {96000, {"これでチュートリアルを終わります"}},
};

struct Tutorial {
    Tutorial() { g.system.Pads().Connect(0); }
    DuelGame g{1};
    uint32_t start = g.Now(); // the scene began here

    uint32_t Elapsed() const { return g.Now() - start; }
    // Frames until something starts; the names of what did.
    std::vector<std::string> NextSounds(int maxFrames = 100) {
        g.log.Clear();
        for (int i = 0; i < maxFrames && g.InDuel() && g.log.Started().empty(); ++i) {
            g.Frame();
        }
        return g.log.Started();
    }
};

// Releases each key of kKeys in turn and checks it against the expected
// effects, one character per key (blanks only group them).
void TryKeys(Tutorial& t, const char* effects, int32_t clashSide) {
    std::string codes = effects;
    std::erase(codes, ' ');
    ASSERT_EQ(codes.size(), std::size(kKeys));
    for (size_t i = 0; i < codes.size(); ++i) {
        const int key = kKeys[i];
        SCOPED_TRACE(testing::Message() << "key " << key << " expecting " << codes[i]);
        DuelGame& g = t.g;
        const std::vector<std::string> linesBefore = g.LinesShown();
        const int pictureBefore = g.Game().m_nPicture;
        g.log.Clear();
        g.system.Pads().ClearFelt();
        g.Key(key);
        const std::vector<std::string> started = g.log.Started();
        const auto& felt = g.system.Pads().Felt();
        switch (codes[i]) {
        case '-':
            EXPECT_TRUE(started.empty()) << started.front();
            EXPECT_EQ(g.LinesShown(), linesBefore);
            EXPECT_EQ(g.Game().m_nPicture, pictureBefore);
            EXPECT_TRUE(felt.empty());
            break;
        case 'c':
            EXPECT_EQ(started, std::vector<std::string>{"\\sound\\kin"});
            EXPECT_EQ(g.log.PanOf("\\sound\\kin"), clashSide);
            EXPECT_EQ(g.LinesShown(), linesBefore);
            EXPECT_EQ(g.Game().m_bArm, 0) << "practice blocks show no arm";
            EXPECT_EQ(felt, std::vector<platform::Haptic>{platform::Haptic::Block});
            break;
        case 'w':
            EXPECT_EQ(started, std::vector<std::string>{"\\sound\\sasu2"});
            EXPECT_EQ(g.LinesShown(), std::vector<std::string>{"DAMAGE!0"});
            EXPECT_EQ(felt, std::vector<platform::Haptic>{platform::Haptic::Cut});
            break;
        case 's':
            EXPECT_EQ(started, std::vector<std::string>{"\\sound\\sasu1"});
            EXPECT_EQ(g.Game().m_nPicture, 5) << "struck down";
            EXPECT_TRUE(felt.empty()) << "a strike is only heard, as in the duel";
            break;
        default:
            FAIL() << "unknown effect";
        }
    }
}

TEST(Tutorial, EveryStepSpeaksShowsAndAnswersItsKeys) {
    Tutorial t;
    EXPECT_TRUE(t.g.LinesShown().empty()) << "nothing to read before the first step";
    int32_t clashSide = kCentre;
    for (size_t n = 0; n < std::size(kSteps); ++n) {
        const Step& step = kSteps[n];
        SCOPED_TRACE(testing::Message() << "step " << n);
        const Demonstration& demo = step.demonstration;
        if (demo.sound) {
            clashSide = demo.pan;
            EXPECT_EQ(t.NextSounds(), std::vector<std::string>{demo.sound});
            EXPECT_EQ(t.Elapsed(), step.at - 1000);
            EXPECT_EQ(t.g.log.PanOf(demo.sound), demo.pan);
            EXPECT_EQ(t.g.log.RateOf(demo.sound), demo.rate);
            TryKeys(t, demo.keys, demo.pan);
        }
        const std::string narration = "\\sound\\text\\" + std::to_string(n + 1);
        EXPECT_EQ(t.NextSounds(), std::vector<std::string>{narration});
        EXPECT_EQ(t.Elapsed(), step.at);
        EXPECT_EQ(t.g.LinesShown(), step.lines);
        TryKeys(t, step.keys, clashSide);
    }
    // After the last narration's 5000 ms the scene hands back to the menu,
    // whose title is heard again.
    const std::vector<std::string> menu = t.NextSounds();
    ASSERT_FALSE(menu.empty());
    EXPECT_EQ(menu.front(), "\\sound\\maintitle");
    EXPECT_EQ(t.Elapsed(), 101000u);
    EXPECT_FALSE(t.g.InDuel());
    EXPECT_EQ(t.g.dlg->m_nScene, 1);
    EXPECT_TRUE(t.g.system.MessageBoxes().Boxes().empty());
}

// Every red line the duel can show, in the font the system really has: the
// long tutorial lines drawn smaller so their ends stay in the window, the
// short ones at the scene's size, all at their place in red.
TEST(Tutorial, EveryLineFitsTheWindowInTheFontFound) {
    std::vector<std::string> lines = {std::string(texts::kDuelDamage) + "4", texts::kDuelChance,
                                      texts::kDuelWon};
    for (const auto& step : texts::kTutorialLines) {
        for (const char* line : step) {
            if (*line) {
                lines.emplace_back(line);
            }
        }
    }
    DuelGame g(1, 22);
    auto& canvas = g.window->GetCanvas();
    const int fullSize = g.Game().m_pFont->PixelHeight();
    int smaller = 0;
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        g.Game().SetTextLines(line, line, "");
        ASSERT_EQ(g.LinesShown().size(), 2u);
        for (const auto& drawn : canvas.TextLog()) {
            ASSERT_GT(drawn.extent.cx, 0) << "no Japanese font found";
            EXPECT_EQ(drawn.x, 10);
            EXPECT_EQ(drawn.fg, 0xFF0000u);
            EXPECT_LE(drawn.x + drawn.extent.cx, 732 - 10) << "its end is cut off";
            EXPECT_LE(drawn.pixelHeight, fullSize);
            if (drawn.pixelHeight < fullSize) {
                EXPECT_GT(drawn.extent.cx, 712 * 9 / 10) << "no smaller than it must be";
            }
        }
        EXPECT_EQ(canvas.TextLog()[1].y, 60) << "the second line stays in its place";
        smaller += canvas.TextLog()[0].pixelHeight < fullSize;
    }
    EXPECT_GT(smaller, 0) << "some lines are wider than the window at full size";
    EXPECT_LT(smaller, static_cast<int>(lines.size())) << "short lines keep their size";
}

} // namespace
