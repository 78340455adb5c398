#include "data/pack_files.h"
#include "images/Image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>

namespace {

using pack::Entry;

std::vector<Entry> Select(const std::string& scene, bool pictures) {
    std::vector<Entry> out;
    for (const Entry& e : pack::ReadTable()) {
        if (e.scene == scene && (e.kind == "picture") == pictures) {
            out.push_back(e);
        }
    }
    return out;
}

const Entry& Find(const std::string& file) {
    static const std::vector<Entry> table = pack::ReadTable();
    auto it =
        std::find_if(table.begin(), table.end(), [&](const Entry& e) { return e.file == file; });
    if (it == table.end()) {
        throw std::runtime_error("not in the table: " + file);
    }
    return *it;
}

TEST(DataTable, ListsEachSceneFileOnceInRegistrationOrder) {
    std::vector<Entry> menu = Select("menu", false), duel = Select("duel", false);
    std::vector<Entry> pictures = Select("duel", true);
    ASSERT_EQ(menu.size(), 10u);
    ASSERT_EQ(duel.size(), 139u);
    ASSERT_EQ(pictures.size(), 8u);
    EXPECT_EQ(menu[0].file, "\\sound\\menu\\Title.ywv");
    EXPECT_EQ(menu[8].file, "\\sound\\opning.ywv");
    EXPECT_EQ(duel[0].file, "\\sound\\asiato.ywv");
    // The duel finds a narration and a number by counting ids from these.
    for (int i = 1; i <= 19; ++i) {
        EXPECT_EQ(duel[19 + i].file, "\\sound\\text\\" + std::to_string(i) + ".ywv");
    }
    for (int i = 1; i <= 100; ++i) {
        EXPECT_EQ(duel[38 + i].file, "\\sound\\no\\" + std::to_string(i) + ".ywv");
    }
    EXPECT_EQ(pictures[0].file, "\\image\\sam1.ypg");
    EXPECT_EQ(pictures[7].file, "\\image\\ude.ypg");

    std::set<std::string> seen;
    for (const Entry& e : pack::ReadTable()) {
        EXPECT_TRUE(seen.insert(e.file).second) << "listed twice: " << e.file;
    }
}

// espeak-ng reads kanji and Latin letters with Chinese and English rules, so a
// reading must be kana (and the pauses between phrases) only.
TEST(DataTable, VoicesAreReadFromKanaBesideTheirWrittenText) {
    const std::u32string allowed = U"、。ー";
    for (const Entry& e : pack::ReadTable()) {
        if (e.kind != "voice" && e.kind != "shout") {
            continue;
        }
        EXPECT_FALSE(e.text.empty()) << e.file << " has no written text";
        std::u32string reading;
        for (size_t i = 0; i < e.source.size();) {
            unsigned char c = e.source[i];
            int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            char32_t cp = n == 1 ? c : c & (0x7F >> n);
            for (int k = 1; k < n; ++k) {
                cp = cp << 6 | (e.source[i + k] & 0x3F);
            }
            i += n;
            bool kana = (cp >= U'ぁ' && cp <= U'ゖ') || (cp >= U'ァ' && cp <= U'ヺ');
            EXPECT_TRUE(kana || allowed.find(cp) != std::u32string::npos)
                << e.file << ": reading has U+" << std::hex << unsigned(cp);
        }
    }
}

TEST(DataPack, EverySoundIsAudibleMono16Bit22050HzWave) {
    for (const Entry& e : pack::ReadTable()) {
        if (e.kind == "picture") {
            continue;
        }
        pack::Wave wave = pack::ReadWave(pack::PackPath(e.file));
        ASSERT_EQ(wave.error, "") << e.file;
        EXPECT_GT(wave.Milliseconds(), 150) << e.file;
        int peak = 0;
        for (int16_t s : wave.samples) {
            peak = std::max(peak, std::abs(int(s)));
        }
        // The music is made to sit under the voices (the menu's tests check how
        // far); everything else is heard on its own.
        EXPECT_GT(peak, e.file == "\\sound\\opning.ywv" ? 5000 : 16000)
            << e.file << " is too quiet";
    }
}

// A step's narration starts 5000 ms after the one before; each must be over
// with a breath to spare, or two narrations talk over each other.
TEST(DataPack, EveryNarrationEndsWithinItsStep) {
    for (int step = 1; step <= 19; ++step) {
        std::string file = "\\sound\\text\\" + std::to_string(step) + ".ywv";
        pack::Wave wave = pack::ReadWave(pack::PackPath(file));
        ASSERT_EQ(wave.error, "") << file;
        EXPECT_LE(wave.Milliseconds(), 4600) << file << ": " << Find(file).text[0];
    }
}

double Rms(std::vector<int16_t>::const_iterator from, size_t count) {
    double sum = 0;
    for (size_t i = 0; i < count; ++i) {
        sum += double(from[long(i)]) * from[long(i)];
    }
    return std::sqrt(sum / double(count));
}

// Looping, the music's last sample is followed by its first. That seam must
// sound like the music around it: its step no bigger than the steps within
// 10 ms on either side, and the level just before it the level just after.
TEST(DataPack, OpeningMusicLastsAndLoopsWithoutAClick) {
    pack::Wave music = pack::ReadWave(pack::PackPath("\\sound\\opning.ywv"));
    ASSERT_EQ(music.error, "");
    EXPECT_GE(music.Milliseconds(), 20000);
    const std::vector<int16_t>& x = music.samples;
    const size_t near = 220, window = 1102; // 10 ms, 50 ms
    ASSERT_GT(x.size(), 2 * window);
    int around = 0;
    for (size_t i = 1; i < near; ++i) {
        around = std::max(
            {around, std::abs(x[i] - x[i - 1]), std::abs(x[x.size() - i] - x[x.size() - i - 1])});
    }
    int seam = std::abs(x.front() - x.back());
    EXPECT_LE(seam, around) << "seam jump " << seam;
    double before = Rms(x.end() - long(window), window), after = Rms(x.begin(), window);
    EXPECT_LT(std::max(before, after), 1.5 * std::min(before, after))
        << "level " << before << " before the seam, " << after << " after";
}

// The mixer plays a sample at `rate` by stepping through it rate/22050 samples
// per output sample; the loudest frequency heard is what the ear calls pitch.
double LoudestFrequencyAt(const std::vector<int16_t>& in, double rate) {
    std::vector<double> heard;
    double step = rate / 22050.0;
    for (double at = 0; at + 1 < in.size(); at += step) {
        size_t i = size_t(at);
        heard.push_back(in[i] + (in[i + 1] - in[i]) * (at - double(i)));
    }
    // Goertzel's recurrence gives the level at one frequency cheaply.
    double best = 0, bestLevel = 0;
    for (double f = 100; f < 6000; f += 5) {
        double coefficient = 2 * std::cos(2 * std::numbers::pi * f / 22050.0);
        double s1 = 0, s2 = 0;
        for (double x : heard) {
            double s0 = x + coefficient * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        double level = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
        if (level > bestLevel) {
            bestLevel = level;
            best = f;
        }
    }
    return best;
}

TEST(DataPack, SwingIsClearlyHigherAtTheHighRateThanAtTheLow) {
    pack::Wave swing = pack::ReadWave(pack::PackPath("\\sound\\huri.ywv"));
    ASSERT_EQ(swing.error, "");
    double high = LoudestFrequencyAt(swing.samples, 24200);
    double low = LoudestFrequencyAt(swing.samples, 13200);
    EXPECT_NEAR(high / low, 24200.0 / 13200.0, 0.1) << high << " Hz against " << low << " Hz";
    // Both must sit where ears and small speakers hear a pitch well.
    EXPECT_GT(low, 250);
    EXPECT_LT(high, 3000);
}

struct Region {
    int x0, y0, x1, y1;
};

double ShadowShare(const platform::PixelImage& image, Region r) {
    int dark = 0;
    for (int y = r.y0; y < r.y1; ++y) {
        for (int x = r.x0; x < r.x1; ++x) {
            uint32_t p = image.At(x, y);
            dark += ((p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF)) < 120;
        }
    }
    return double(dark) / ((r.x1 - r.x0) * (r.y1 - r.y0));
}

// The blade of an attack pose must stand out where the attack comes from, so
// that a glance tells the direction: some shadow in that corner, and clearly
// more than in the opposite one.
TEST(DataPack, PicturesShowTheirPoseAtAGlance) {
    const Region upperLeft{0, 0, 110, 70}, upperRight{250, 0, 360, 70};
    const Region lowerLeft{0, 190, 100, 262}, lowerRight{260, 190, 360, 262};
    struct Case {
        const char* file;
        Region blade, clear;
    } cases[] = {
        {"\\image\\sam2.ypg", upperLeft, upperRight},
        {"\\image\\sam3.ypg", upperRight, upperLeft},
        {"\\image\\sam4.ypg", lowerLeft, lowerRight},
        {"\\image\\sam5.ypg", lowerRight, lowerLeft},
    };
    for (const Case& c : cases) {
        CImage picture;
        ASSERT_EQ(picture.Load(pack::PackPath(c.file)), S_OK) << c.file;
        EXPECT_GT(ShadowShare(picture.Bitmap(), c.blade), 0.02) << c.file;
        EXPECT_GT(ShadowShare(picture.Bitmap(), c.blade),
                  4 * ShadowShare(picture.Bitmap(), c.clear))
            << c.file;
    }
}

TEST(DataPack, EveryPictureDecodesAtAWindowFriendlySize) {
    for (const Entry& e : Select("duel", true)) {
        CImage picture;
        ASSERT_EQ(picture.Load(pack::PackPath(e.file)), S_OK) << e.file;
        const platform::PixelImage& image = picture.Bitmap();
        // At its own size it stands well inside the 732 × 570 window, and twice
        // as large it still fits.
        EXPECT_LE(2 * image.width, 732) << e.file;
        EXPECT_LE(2 * image.height, 570) << e.file;
        EXPECT_GE(image.height, 200) << e.file;
        size_t black = std::count_if(image.pixels.begin(), image.pixels.end(),
                                     [](uint32_t p) { return (p & 0xFFFFFF) == 0; });
        double blackShare = double(black) / image.pixels.size();
        if (e.file == "\\image\\ude.ypg") {
            // Mostly see-through, with a solid arm and sword.
            EXPECT_GT(blackShare, 0.5);
            EXPECT_LT(blackShare, 0.9);
        } else {
            // A figure that takes up a good part of the picture, not a speck
            // and not a blot.
            double shadow = ShadowShare(image, {0, 0, image.width, image.height});
            EXPECT_GT(shadow, 0.12) << e.file;
            EXPECT_LT(shadow, 0.6) << e.file;
        }
    }
}

} // namespace
