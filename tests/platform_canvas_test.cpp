#include "ui/canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace {

using platform::Color;
using platform::PixelImage;
using ui::Canvas;
using ui::Rect;

constexpr Color kRed = 0xFF0000;
constexpr Color kGreen = 0x00FF00;
constexpr Color kBlue = 0x0000FF;
constexpr Color kBlack = 0x000000;
constexpr Color kWhite = 0xFFFFFF;

PixelImage Solid(int w, int h, uint32_t argb) {
    PixelImage image;
    image.width = w;
    image.height = h;
    image.pixels.assign(static_cast<size_t>(w) * h, argb);
    return image;
}

// A 2 x 2 picture: red, green / blue, black.
PixelImage Quad() {
    PixelImage image = Solid(2, 2, 0);
    image.pixels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF000000};
    return image;
}

// Counts pixels of one colour inside a rectangle.
int Count(const Canvas& canvas, const Rect& r, Color color) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            n += canvas.ColorAt(x, y) == color;
        }
    }
    return n;
}

TEST(Canvas, FillClipsToTheSurface) {
    struct Case {
        Rect fill;
        int expected; // filled pixels of the 10 x 8 surface
    };
    const Case cases[] = {
        {{2, 2, 5, 4}, 6}, {{-5, -5, 3, 2}, 6}, {{8, 6, 100, 100}, 4}, {{-100, -100, 100, 100}, 80},
        {{5, 5, 5, 9}, 0}, {{6, 6, 2, 2}, 0},   {{20, 0, 30, 8}, 0},
    };
    for (const Case& c : cases) {
        Canvas canvas(10, 8);
        canvas.FillRect(c.fill, kRed);
        EXPECT_EQ(Count(canvas, canvas.ClientRect(), kRed), c.expected)
            << c.fill.left << "," << c.fill.top << "," << c.fill.right << "," << c.fill.bottom;
    }
}

TEST(Canvas, CopyPlacesThePictureAtItsOwnSizeAndClips) {
    struct Case {
        int x, y;
        Color at00, at11; // canvas colours at (0,0) and (1,1)
        int black;        // pixels of the picture's black corner on the canvas
    };
    const Case cases[] = {
        {0, 0, kRed, kBlack, 1},     {-1, 0, kGreen, kWhite, 1},  // the left column is cut off
        {0, -1, kBlue, kWhite, 1},                                // the top row is cut off
        {-1, -1, kBlack, kWhite, 1}, {-2, -2, kWhite, kWhite, 0}, // entirely outside
    };
    for (const Case& c : cases) {
        Canvas canvas(4, 4);
        canvas.FillRect(canvas.ClientRect(), kWhite);
        canvas.Copy(Quad(), c.x, c.y);
        EXPECT_EQ(canvas.ColorAt(0, 0), c.at00) << c.x << "," << c.y;
        EXPECT_EQ(canvas.ColorAt(1, 1), c.at11) << c.x << "," << c.y;
        EXPECT_EQ(Count(canvas, canvas.ClientRect(), kBlack), c.black) << c.x << "," << c.y;
    }
    Canvas edge(4, 4);
    edge.Copy(Solid(3, 3, 0xFF112233), 2, 3);
    EXPECT_EQ(Count(edge, edge.ClientRect(), 0x112233), 2);
}

TEST(Canvas, StretchScalesEachSourcePixelToItsShare) {
    Canvas canvas(8, 8);
    canvas.FillRect(canvas.ClientRect(), kWhite);
    canvas.Stretch(Quad(), {0, 0, 2, 2}, {0, 0, 8, 8});
    EXPECT_EQ(Count(canvas, {0, 0, 4, 4}, kRed), 16);
    EXPECT_EQ(Count(canvas, {4, 0, 8, 4}, kGreen), 16);
    EXPECT_EQ(Count(canvas, {0, 4, 4, 8}, kBlue), 16);
    EXPECT_EQ(Count(canvas, {4, 4, 8, 8}, kBlack), 16);

    // Shrinking, and a part of the source only.
    Canvas small(4, 4);
    small.Stretch(Solid(40, 40, 0xFF00FF00), {0, 0, 40, 40}, {1, 1, 3, 3});
    EXPECT_EQ(Count(small, small.ClientRect(), kGreen), 4);
    Canvas part(4, 4);
    part.Stretch(Quad(), {1, 0, 2, 1}, {0, 0, 4, 4});
    EXPECT_EQ(Count(part, part.ClientRect(), kGreen), 16);
}

TEST(Canvas, StretchClipsAtEveryEdgeWithoutShiftingThePicture) {
    // A picture wider than the surface at a negative x loses equal parts on
    // both sides and keeps its pixels where they belong.
    Canvas canvas(4, 2);
    PixelImage wide = Solid(8, 1, 0);
    for (int x = 0; x < 8; ++x) {
        wide.pixels[x] = 0xFF000000u | static_cast<uint32_t>(x + 1);
    }
    canvas.Stretch(wide, {0, 0, 8, 1}, {-2, 0, 6, 2});
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(canvas.ColorAt(x, 0), static_cast<Color>(x + 3)) << x;
        EXPECT_EQ(canvas.ColorAt(x, 1), static_cast<Color>(x + 3)) << x;
    }
    // Empty or inverted rectangles and huge ones draw nothing wrong.
    Canvas other(4, 4);
    other.Stretch(Quad(), {0, 0, 0, 2}, {0, 0, 4, 4});
    other.Stretch(Quad(), {0, 0, 2, 2}, {4, 4, 0, 0});
    other.Stretch(PixelImage{}, {0, 0, 2, 2}, {0, 0, 4, 4});
    EXPECT_EQ(Count(other, other.ClientRect(), kBlack), 16);
    other.Stretch(Quad(), {0, 0, 2, 2}, {-1000000, -1000000, 1000000, 1000000});
    EXPECT_EQ(Count(other, other.ClientRect(), kBlack), 16); // the black corner covers it
    other.Stretch(Quad(), {0, 0, 5, 5}, {0, 0, 4, 4});       // source beyond the picture
    EXPECT_EQ(other.ColorAt(0, 0), kRed);
}

TEST(Canvas, TransparentStretchLeavesBlackSourcePixelsOut) {
    Canvas canvas(4, 4);
    canvas.FillRect(canvas.ClientRect(), kWhite);
    canvas.StretchTransparent(Quad(), {0, 0, 2, 2}, {0, 0, 4, 4});
    EXPECT_EQ(Count(canvas, {0, 0, 2, 2}, kRed), 4);
    EXPECT_EQ(Count(canvas, {2, 2, 4, 4}, kWhite), 4) << "black is the transparent colour";
    EXPECT_EQ(Count(canvas, canvas.ClientRect(), kBlack), 0);

    // Only pure black: alpha does not matter, nearly black is drawn.
    PixelImage dark = Solid(2, 1, 0x00000000);
    dark.pixels[1] = 0xFF010000;
    canvas.StretchTransparent(dark, {0, 0, 2, 1}, {0, 0, 4, 4});
    EXPECT_EQ(canvas.ColorAt(0, 0), kRed);
    EXPECT_EQ(canvas.ColorAt(3, 3), 0x010000u);
}

TEST(Font, PointSizesAreMeasuredOnA96DpiScreen) {
    struct Case {
        int tenths;
        int pixels;
    };
    for (const Case c : {Case{300, 40}, Case{400, 53}, Case{90, 12}, Case{105, 14}}) {
        platform::Font font(c.tenths, "ＭＳ　ゴシック");
        EXPECT_EQ(font.PixelHeight(), c.pixels) << c.tenths;
    }
}

TEST(Font, TheJapaneseFaceIsStoodInForByAJapaneseGothic) {
    platform::Font font(400, "ＭＳ　ゴシック");
    ASSERT_TRUE(font.Usable());
    std::string file = font.File();
    std::transform(file.begin(), file.end(), file.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_NE(file.find("gothic"), std::string::npos) << font.File();
    // The menu's last item starts at 490 and must fit the 570 pixel client area.
    EXPECT_LE(490 + font.LineHeight(), 570);
    EXPECT_GE(font.LineHeight(), font.PixelHeight());
}

TEST(Canvas, TextIsDrawnOnAnOpaqueBandAndLogged) {
    platform::Font font(300, "ＭＳ　ゴシック");
    ASSERT_TRUE(font.Usable());
    Canvas canvas(300, 100);
    canvas.FillRect(canvas.ClientRect(), kBlue);
    canvas.EnableTextLog(true);
    const ui::Size extent = canvas.TextOut(10, 20, "チャンス!", font, kRed, kBlack);
    EXPECT_GT(extent.cx, 4 * 30);
    EXPECT_EQ(extent.cy, font.LineHeight());

    const Rect band{10, 20, 10 + extent.cx, 20 + extent.cy};
    EXPECT_EQ(Count(canvas, band, kBlue), 0) << "the background band is opaque";
    EXPECT_GT(Count(canvas, band, kRed), 50) << "glyphs in the text colour";
    EXPECT_GT(Count(canvas, band, kBlack), extent.cx * extent.cy / 3);
    EXPECT_EQ(canvas.ColorAt(9, 20), kBlue);
    EXPECT_EQ(canvas.ColorAt(10, 20 + extent.cy), kBlue);

    ASSERT_EQ(canvas.TextLog().size(), 1u);
    const Canvas::TextDraw& draw = canvas.TextLog()[0];
    EXPECT_EQ(draw.text, "チャンス!");
    EXPECT_EQ(draw.x, 10);
    EXPECT_EQ(draw.y, 20);
    EXPECT_EQ(draw.fg, kRed);
    EXPECT_EQ(draw.bg, kBlack);
    EXPECT_EQ(draw.pixelHeight, 40);
    EXPECT_EQ(draw.extent, extent);
}

TEST(Canvas, TextClipsAtTheEdgesAndEmptyTextDrawsNothing) {
    platform::Font font(300, "ＭＳ　ゴシック");
    ASSERT_TRUE(font.Usable());
    Canvas canvas(200, 100);
    canvas.TextOut(-20, -10, "おめ", font, kRed, kWhite);
    canvas.TextOut(180, 90, "おめ", font, kRed, kWhite);
    // The bands reach into the surface from outside at both corners.
    EXPECT_EQ(Count(canvas, {0, 0, 10, 10}, kBlack), 0);
    EXPECT_EQ(Count(canvas, {180, 90, 200, 100}, kBlack), 0);
    EXPECT_EQ(canvas.ColorAt(100, 50), kBlack) << "untouched between them";
    Canvas empty(20, 20);
    EXPECT_EQ(empty.TextOut(0, 0, "", font, kRed, kWhite), (ui::Size{0, 0}));
    EXPECT_EQ(Count(empty, empty.ClientRect(), kBlack), 400);
}

TEST(Canvas, AMissingFontSkipsTheTextButKeepsTheLog) {
    auto missing = platform::Font::FromFile("/nonexistent/font.ttf", 40);
    EXPECT_FALSE(missing->Usable());
    Canvas canvas(20, 20);
    canvas.EnableTextLog(true);
    EXPECT_EQ(canvas.TextOut(0, 0, "説明", *missing, kRed, kWhite), (ui::Size{0, 0}));
    EXPECT_EQ(Count(canvas, canvas.ClientRect(), kBlack), 400);
    ASSERT_EQ(canvas.TextLog().size(), 1u);
    EXPECT_EQ(canvas.TextLog()[0].extent, (ui::Size{0, 0}));
}

} // namespace
