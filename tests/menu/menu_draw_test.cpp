// The menu as a sighted player sees it: seven lines of large text on black,
// the highlighted one yellow, the others white.
#include "shell_game.h"

#include <gtest/gtest.h>

namespace {

using platform::Color;
using ui::Canvas;

// Text is drawn smoothed: its pixels run from the background to the text
// colour. Yellow shades have no blue; white shades are grey.
bool Yellowish(Color c) {
    return c != 0 && (c & 0xFF) == 0 && (c >> 16) == ((c >> 8) & 0xFF);
}
bool Greyish(Color c) {
    return c != 0 && (c & 0xFF) == (c >> 16) && (c & 0xFF) == ((c >> 8) & 0xFF);
}

struct Band {
    int yellow = 0, white = 0, pureYellow = 0, pureWhite = 0, other = 0;
    int left = 1 << 30, top = 1 << 30, bottom = -1;
};

Band Look(const Canvas& canvas, int top, int bottom) {
    Band b;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            const Color c = canvas.ColorAt(x, y);
            if (c == 0) {
                continue;
            }
            b.left = std::min(b.left, x);
            b.top = std::min(b.top, y);
            b.bottom = std::max(b.bottom, y + 1);
            b.pureYellow += c == 0xFFFF00;
            b.pureWhite += c == 0xFFFFFF;
            b.yellow += Yellowish(c);
            b.white += Greyish(c);
            b.other += !Yellowish(c) && !Greyish(c);
        }
    }
    return b;
}

TEST(MenuDraw, TheHighlightedItemIsYellowTheOthersWhiteOnBlack) {
    struct Case {
        std::vector<int> keys;
        int highlighted;
    };
    const Case cases[] = {
        {{}, 0},
        {{VK_DOWN, VK_DOWN, VK_DOWN}, 3},
        {{VK_DOWN, VK_DOWN, VK_UP, VK_ESCAPE}, 1},
        {std::vector<int>(9, VK_DOWN), 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "highlighted " << c.highlighted);
        kztest::Game game;
        auto& window = game.Start();
        window.Pump();
        for (int key : c.keys) {
            window.ReleaseKey(key);
        }
        const Canvas& canvas = window.GetCanvas();
        // Each item owns the 80 pixel band it starts at; above the first and
        // below the last there is only black.
        EXPECT_EQ(Look(canvas, 0, 10).bottom, -1) << "black above the first item";
        EXPECT_EQ(Look(canvas, 10 + 80 * 7, canvas.Height()).bottom, -1) << "black below";
        int leftmost = canvas.Width();
        for (int i = 0; i < 7; ++i) {
            SCOPED_TRACE(testing::Message() << "item " << i);
            const int y = 10 + 80 * i;
            const Band b = Look(canvas, y, y + 80);
            EXPECT_EQ(b.other, 0) << "only the text colour on black";
            if (i == c.highlighted) {
                EXPECT_GT(b.pureYellow, 100);
                EXPECT_EQ(b.white, 0);
            } else {
                EXPECT_GT(b.pureWhite, 100);
                EXPECT_EQ(b.yellow, 0);
            }
            // The text's box begins at (10, y); glyphs sit a little inside it.
            EXPECT_GE(b.left, 10);
            EXPECT_LE(b.left, 24);
            leftmost = std::min(leftmost, b.left);
            EXPECT_GE(b.top, y);
            EXPECT_LE(b.top, y + 14);
            // 40 points on a 96 dpi screen: an em of 53 pixels.
            EXPECT_GE(b.bottom - b.top, 36);
            EXPECT_LE(b.bottom, y + 60);
        }
        EXPECT_LE(leftmost, 14) << "the items line up at x = 10";
        ASSERT_EQ(canvas.TextLog().size() % 7, 0u);
        const auto& last = canvas.TextLog().back();
        EXPECT_EQ(last.pixelHeight, 53);
        EXPECT_EQ(last.face, texts::kFontFace);
    }
}

} // namespace
