// What the duel shows: the enemy growing as he walks in, standing at full
// size on the bottom edge, the arm over him after a block, the red lines, and
// when the window is asked to draw again.
#include "duel/duel_play.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using duel_test::AwaitAttack;
using duel_test::BlockAttack;
using duel_test::DuelGame;
using platform::Color;

constexpr Color kBlack = 0x000000;
constexpr Color kRed = 0xFF0000;

struct Box {
    int left = 1 << 30;
    int top = 1 << 30;
    int right = -1; // inclusive
    int bottom = -1;
    bool Empty() const { return right < 0; }
};

// The non-black pixels of a picture, or of the canvas below the text band.
Box NonBlack(const platform::PixelImage& image, int fromY = 0) {
    Box box;
    for (int y = fromY; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if ((image.At(x, y) & 0xFFFFFF) != kBlack) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
        }
    }
    return box;
}

CImage Picture(const std::string& name) {
    CImage image;
    image.Load(std::string(KZ_DATA_DIR) + "\\image\\" + name + ".ypg");
    return image;
}

const platform::PixelImage& Painted(DuelGame& g) {
    g.window->RequestRepaint();
    g.window->Pump();
    return g.window->GetCanvas().Pixels();
}

TEST(DuelDrawing, TheEnemyGrowsAsHeWalksInStandingOnTheBottomEdge) {
    struct Case {
        int frames; // into the approach
        float scale;
    };
    const Case cases[] = {{0, 0.2f}, {15, 0.5f}};
    const CImage guard = Picture("sam1");
    ASSERT_FALSE(guard.IsNull());
    const Box source = NonBlack(guard.Bitmap());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frames);
        DuelGame g(2, 18);
        g.Frames(c.frames);
        const platform::PixelImage& canvas = Painted(g);
        const int W = canvas.width;
        const int H = canvas.height;
        const int pw = guard.Width();
        const int ph = guard.Height();
        const int x = static_cast<int>((W - pw * c.scale) * 0.5);
        const int y = static_cast<int>(H - ph * c.scale);
        const Box drawn = NonBlack(canvas, 100); // below the enemy's number
        ASSERT_FALSE(drawn.Empty());
        EXPECT_NEAR(drawn.left, x + source.left * c.scale, 2.0);
        EXPECT_NEAR(drawn.right, x + source.right * c.scale, 2.0);
        EXPECT_NEAR(drawn.top, y + source.top * c.scale, 2.0);
        EXPECT_NEAR(drawn.bottom, y + source.bottom * c.scale, 2.0);
    }
}

TEST(DuelDrawing, AfterABlockTheArmLiesOverTheAttackPoseWithBlackLeftClear) {
    DuelGame g(2, 19);
    ASSERT_TRUE(AwaitAttack(g));
    const int direction = g.Game().m_nPicture;
    BlockAttack(g);
    const platform::PixelImage& canvas = Painted(g);
    const CImage enemy = Picture("sam" + std::to_string(direction + 1));
    const CImage arm = Picture("ude");
    ASSERT_FALSE(enemy.IsNull());
    ASSERT_EQ(arm.Width(), enemy.Width()) << "the pack draws the arm at the enemy's size";
    ASSERT_EQ(arm.Height(), enemy.Height());
    const int x = (canvas.width - enemy.Width()) / 2;
    const int y = canvas.height - enemy.Height();
    int armPixels = 0;
    int enemyPixels = 0;
    int wrong = 0;
    for (int py = 0; py < enemy.Height(); ++py) {
        for (int px = 0; px < enemy.Width(); ++px) {
            const Color a = arm.Bitmap().At(px, py) & 0xFFFFFF;
            const Color e = enemy.Bitmap().At(px, py) & 0xFFFFFF;
            const Color shown = canvas.At(x + px, y + py) & 0xFFFFFF;
            if (py + y < 60) {
                continue; // the line band at the top may cover him
            }
            const Color expected = a != kBlack ? a : e;
            wrong += shown != expected;
            armPixels += a != kBlack;
            enemyPixels += a == kBlack && e != kBlack;
        }
    }
    EXPECT_GT(armPixels, 100);
    EXPECT_GT(enemyPixels, 100);
    EXPECT_EQ(wrong, 0);
}

TEST(DuelDrawing, TheLinesStandInRedAtTheirPlaces) {
    struct Case {
        std::vector<std::string> lines;
    };
    const Case cases[] = {{{}}, {{"DAMAGE!1"}}, {{"一行目", "二行目", "三行目"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.size());
        DuelGame g(2, 20);
        ASSERT_TRUE(g.RunUntil(CSceenGame::kChallenge));
        std::string lines[3];
        for (size_t i = 0; i < c.lines.size(); ++i) {
            lines[i] = c.lines[i];
        }
        g.Game().SetTextLines(lines[0], lines[1], lines[2]);
        auto& canvas = g.window->GetCanvas();
        canvas.ClearTextLog();
        Painted(g);
        const auto& drawn = canvas.TextLog();
        ASSERT_EQ(drawn.size(), c.lines.size());
        for (size_t i = 0; i < drawn.size(); ++i) {
            EXPECT_EQ(drawn[i].text, c.lines[i]);
            EXPECT_EQ(drawn[i].x, 10);
            EXPECT_EQ(drawn[i].y, 10 + 50 * static_cast<int>(i));
            EXPECT_EQ(drawn[i].fg, kRed);
            EXPECT_EQ(drawn[i].bg, kBlack);
            // Red really reached the screen inside the line's band.
            bool red = false;
            for (int y = drawn[i].y; y < drawn[i].y + drawn[i].extent.cy && !red; ++y) {
                for (int x = 10; x < 10 + drawn[i].extent.cx && !red; ++x) {
                    red = canvas.ColorAt(x, y) == kRed;
                }
            }
            EXPECT_TRUE(red);
        }
    }
}

TEST(DuelDrawing, WithoutPicturesOnlyTheLinesShowOnBlack) {
    const std::filesystem::path empty =
        std::filesystem::temp_directory_path() / "kz-duel-no-pictures";
    std::filesystem::create_directories(empty / "sound");
    {
        DuelGame g(2, 21, 1000, empty.string());
        g.Frames(25); // approach over: the enemy would stand at full size
        const platform::PixelImage& canvas = Painted(g);
        EXPECT_TRUE(NonBlack(canvas, 100).Empty());
        EXPECT_EQ(g.LinesShown(), std::vector<std::string>{"1"});
    }
    std::filesystem::remove_all(empty);
}

TEST(DuelDrawing, TheSceneAsksForARepaintOnKeysAndOnFramesWithNews) {
    struct Case {
        const char* name;
        int state;  // reached first
        bool key;   // a key release (else one frame)
        bool paint; // a paint followed
    };
    const Case cases[] = {
        {"key in the approach", CSceenGame::kApproach, true, true},
        {"key in the pause", CSceenGame::kPause, true, true},
        {"frame in the approach", CSceenGame::kApproach, false, true},
        {"frame in the pause, deadline ahead", CSceenGame::kPause, false, false},
        {"frame in the challenge, deadline ahead", CSceenGame::kChallenge, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DuelGame g(2, 22);
        ASSERT_TRUE(g.RunUntil(c.state));
        const int before = g.window->PaintCount();
        if (c.key) {
            g.Key('S');
        } else {
            g.Frame();
        }
        EXPECT_EQ(g.window->PaintCount() - before, c.paint ? 1 : 0);
    }
    // Every frame whose deadline has passed is drawn: the end of a wait.
    DuelGame g(2, 22);
    ASSERT_TRUE(g.RunUntil(CSceenGame::kChallenge));
    int paints = 0;
    while (g.Game().m_nState == CSceenGame::kChallenge) {
        const int before = g.window->PaintCount();
        g.Frame();
        paints += g.window->PaintCount() - before;
    }
    EXPECT_EQ(paints, 1) << "ten frames of challenge, one of them at its deadline";
}

} // namespace
