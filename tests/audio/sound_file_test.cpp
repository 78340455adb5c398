// Sound files as the player meets them: which load, which fail, and what the
// player is told each time.
#include "audio/SoundFile.h"
#include "audio/SoundPlay.h"
#include "audio/sound_run.h"
#include "mixer/riff.h"

#include <gtest/gtest.h>

namespace {

using platform::headless::Channel;
using testwave::Bytes;
using testwave::FmtData;
using testwave::Format;
using testwave::MainWindow;
using testwave::Riff;
using testwave::Sine16;
using testwave::SoundRun;

const Bytes kTone = Sine16(441.0, 22050, 4410);

struct BadFile {
    const char* what;
    Bytes bytes;
    const char* text;
    const char* caption;
};

std::vector<BadFile> BadFiles() {
    Bytes fmt18 = FmtData({}, 18);
    return {
        {"not RIFF", Bytes{'R', 'I', 'F', 'X', 4, 0, 0, 0, 'W', 'A', 'V', 'E'},
         "これはWAVファイルではありません", " lol "},
        {"RIFF of another form", Riff().Chunk("fmt ", FmtData({})).Build("RIFF", "AVI "),
         "これはWAVファイルではありません", " lol "},
        {"no fmt chunk", Riff().Chunk("data", kTone).Build(), "fmt チャンクが見つかりません", ""},
        {"fmt last, short of 18 bytes", Riff().Chunk("fmt ", FmtData({})).Build(),
         "WAVフォーマットの読み込み失敗", ""},
        {"compressed", Riff().Chunk("fmt ", FmtData({.tag = 2})).Chunk("data", kTone).Build(),
         "リニアPCMフォーマットを想定しています", ""},
        {"stereo", Riff().Chunk("fmt ", FmtData({.channels = 2})).Chunk("data", kTone).Build(),
         "音源はモノラルである必要があります", ""},
        {"stereo and compressed: the format is checked first",
         Riff().Chunk("fmt ", FmtData({.tag = 3, .channels = 2})).Chunk("data", kTone).Build(),
         "リニアPCMフォーマットを想定しています", ""},
        {"data before fmt", Riff().Chunk("data", kTone).Chunk("fmt ", fmt18).Build(),
         "dataチャンクが見つかりません", ""},
        {"no data chunk", Riff().Chunk("fmt ", fmt18).Chunk("LIST", Bytes(10)).Build(),
         "dataチャンクが見つかりません", ""},
        {"fmt claims more than the file", Riff().Chunk("fmt ", fmt18, 0x7FFFFFF0).Build(),
         "dataチャンクが見つかりません", ""},
    };
}

TEST(SoundFile, EachMalformedFileShowsItsMessageOncePerFailedPlay) {
    for (const BadFile& bad : BadFiles()) {
        SoundRun run;
        run.Write("kin.ywv", bad.bytes);
        CSoundPlay duel;
        duel.m_nDevice = 1;
        duel.CreateDevice(MainWindow());
        duel.AddSound(run.Registered("kin.ywv"), 2);
        for (int attempt = 1; attempt <= 2; ++attempt) {
            EXPECT_FALSE(duel.Play(2, 0)) << bad.what;
            ASSERT_EQ(run.boxes.Boxes().size(), size_t(attempt)) << bad.what;
            const auto& box = run.boxes.Boxes().back();
            EXPECT_EQ(box.text, bad.text) << bad.what;
            EXPECT_EQ(box.caption, bad.caption) << bad.what;
            EXPECT_FALSE(box.owned) << bad.what;
        }
        EXPECT_EQ(run.audio.RenderMs(50).EnergyDb(Channel::Left), -INFINITY) << bad.what;
    }
}

TEST(SoundFile, FilesThatLoadAndFilesThatFailSilently) {
    Bytes odd(kTone.begin(), kTone.end() - 1); // an odd size, padded
    Bytes eight;
    for (uint8_t b : Sine16(441.0, 22050, 2205)) {
        eight.push_back(static_cast<uint8_t>(b ^ 0x80)); // any bytes make a noise
    }
    struct Case {
        const char* what;
        Bytes bytes;
        bool plays;
    };
    const Case cases[] = {
        {"16-byte fmt", testwave::Wave({}, kTone), true},
        {"18-byte fmt", Riff().Chunk("fmt ", FmtData({}, 18)).Chunk("data", kTone).Build(), true},
        {"LIST between fmt and data",
         Riff().Chunk("fmt ", FmtData({})).Chunk("LIST", Bytes(7)).Chunk("data", kTone).Build(),
         true},
        {"odd-sized data", testwave::Wave({}, odd), true},
        {"8-bit", testwave::Wave({.bits = 8}, eight), true},
        {"data claims more than the file",
         Riff().Chunk("fmt ", FmtData({})).Chunk("data", kTone, 0x00FFFFFF).Build(), true},
        {"no channels: the device refuses it", testwave::Wave({.channels = 0}, kTone), false},
        {"24-bit: the device refuses it", testwave::Wave({.bits = 24}, kTone), false},
        {"empty data: the device refuses it", testwave::Wave({}, {}), false},
        {"empty file", {}, false},
        {"shorter than a chunk header", Bytes{'R', 'I', 'F', 'F', 0}, false},
    };
    for (const Case& c : cases) {
        SoundRun run;
        run.Write("kin.ywv", c.bytes);
        CSoundPlay duel;
        duel.m_nDevice = 1;
        duel.CreateDevice(MainWindow());
        duel.AddSound(run.Registered("kin.ywv"), 2);
        EXPECT_EQ(duel.Play(2, 0), c.plays) << c.what;
        EXPECT_TRUE(run.boxes.Boxes().empty()) << c.what;
        double db = run.audio.RenderMs(100).EnergyDb(Channel::Left);
        if (c.plays) {
            EXPECT_GT(db, -20.0) << c.what;
        } else {
            EXPECT_EQ(db, -INFINITY) << c.what;
        }
    }
}

TEST(SoundFile, ClaimedSizeBeyondTheFileKeepsOnlyWhatIsThere) {
    Bytes file = Riff().Chunk("fmt ", FmtData({})).Chunk("data", kTone, 0xFFFFFFF0).Build();
    auto riff = mixer::RiffFile::FromMemory(file);
    SoundFileData data;
    ASSERT_TRUE(ReadSoundRiff(*riff, &data));
    EXPECT_EQ(data.dwSize, 0xFFFFFFF0u);
    EXPECT_EQ(data.samples, kTone);
    EXPECT_EQ(data.format.extraSize, 0);
}

// Runs in a folder of its own: the upper- and lower-case tries change the
// whole path, so only a relative one can exist in another case.
class InFolder {
public:
    explicit InFolder(const std::filesystem::path& dir) : m_old(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~InFolder() { std::filesystem::current_path(m_old); }

private:
    std::filesystem::path m_old;
};

TEST(SoundFile, FileExistsTriesTheNameAsGivenInUpperAndInLowerCase) {
    SoundRun run;
    InFolder here(run.dir);
    testwave::WriteFile("sound/Exact.ywv", testwave::Wave({}, kTone));
    std::filesystem::create_directories("SOUND");
    testwave::WriteFile("SOUND/UPPER.YWV", testwave::Wave({}, kTone));
    testwave::WriteFile("sound/lower.ywv", testwave::Wave({}, kTone));
    struct Case {
        const char* registered;
        bool exists;
        bool plays; // opened under the registered name only
    };
    for (Case c : {Case{"sound\\Exact.ywv", true, true},
                   {"sound\\upper.ywv", true, false},
                   {"sound\\Lower.YWV", true, false},
                   {"sound\\exact.ywv", false, false},
                   {"sound\\none.ywv", false, false}}) {
        EXPECT_EQ(FileExists(c.registered), c.exists) << c.registered;
        CSoundPlay duel;
        duel.m_nDevice = 1;
        duel.CreateDevice(MainWindow());
        duel.AddSound(c.registered, 0);
        EXPECT_EQ(duel.Play(0, 0), c.plays) << c.registered;
    }
    EXPECT_TRUE(run.boxes.Boxes().empty());
}

} // namespace
