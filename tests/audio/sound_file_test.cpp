// Sound files as the reader takes or refuses them: what loads, and the box
// each fault shows (or that it fails without one).
#include "audio/SoundFile.h"
#include "shell_game.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

std::string Le(uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>(value >> (8 * i) & 0xFF);
    }
    return out;
}

// A chunk with its pad byte after an odd size.
std::string Chunk(const std::string& id, const std::string& data) {
    return id + Le(static_cast<uint32_t>(data.size()), 4) + data + (data.size() % 2 ? "\x7f" : "");
}

std::string Riff(const std::string& form, const std::string& chunks) {
    return "RIFF" + Le(static_cast<uint32_t>(4 + chunks.size()), 4) + form + chunks;
}

// The wave format, its 16 standard bytes and the two of the extra size.
std::string Fmt(uint16_t tag, uint16_t channels, bool extra = true) {
    return Chunk("fmt ", Le(tag, 2) + Le(channels, 2) + Le(22050, 4) + Le(44100, 4) + Le(2, 2) +
                             Le(16, 2) + (extra ? Le(0x1234, 2) : ""));
}

const std::string kSamples("\x01\x02\x03\x04\x05\x06", 6);

// Each row's bytes are written under its name; the game reads "test.ywv".
TEST(SoundFile, MonoPcmLoadsAsItIsAndEachFaultIsToldAsItsCheckComes) {
    struct Case {
        const char* what;
        std::string bytes;
        const char* message; // nullptr: loads; "": fails without a box
        const char* caption = "";
        const char* name = "test.ywv";
    };
    const std::string data = Chunk("data", kSamples);
    const std::string wave = Riff("WAVE", Fmt(1, 1) + data);
    const Case cases[] = {
        {"18-byte format", wave, nullptr},
        {"16-byte format", Riff("WAVE", Fmt(1, 1, false) + data), nullptr},
        {"an odd LIST between", Riff("WAVE", Fmt(1, 0) + Chunk("LIST", "abc") + data), nullptr},
        {"data claiming more than there is",
         Riff("WAVE", Fmt(1, 1) + "data" + Le(999, 4) + kSamples), nullptr},
        {"data before fmt", Riff("WAVE", data + Fmt(1, 1)), "dataチャンクが見つかりません"},
        {"no data", Riff("WAVE", Fmt(1, 1)), "dataチャンクが見つかりません"},
        {"no fmt", Riff("WAVE", data), "fmt チャンクが見つかりません"},
        {"a short fmt last", Riff("WAVE", data + Fmt(1, 1, false)),
         "WAVフォーマットの読み込み失敗"},
        {"stereo", Riff("WAVE", Fmt(1, 2) + data), "音源はモノラルである必要があります"},
        {"compressed stereo", Riff("WAVE", Fmt(2, 2) + data),
         "リニアPCMフォーマットを想定しています"},
        {"not a wave", Riff("AVI ", Fmt(1, 1) + data), "これはWAVファイルではありません", " lol "},
        {"not RIFF", "RIFX" + wave.substr(4), "これはWAVファイルではありません", " lol "},
        {"shorter than a chunk header", "RIFF", ""},
        // Every spelling is looked for, but the file is opened as registered.
        {"only in upper case", wave, "", "", "TEST.YWV"},
        {"missing", wave, "", "", "other.ywv"},
    };
    platform::headless::HeadlessSystem system;
    // The whole path is tried in upper case: relative to the data folder here.
    kztest::WorkingFolder folder(system.ConfigHome());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        system.MessageBoxes().Clear();
        std::filesystem::remove("test.ywv");
        std::filesystem::remove("TEST.YWV");
        std::ofstream(c.name, std::ios::binary | std::ios::trunc) << c.bytes;
        EXPECT_EQ(FileExists("test.ywv"), std::string(c.name) != "other.ywv");
        SoundFileData read;
        EXPECT_EQ(ReadSoundFile("test.ywv", &read), c.message == nullptr);
        const auto& boxes = system.MessageBoxes().Boxes();
        if (!c.message || !*c.message) {
            EXPECT_TRUE(boxes.empty());
        } else {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, c.message);
            EXPECT_EQ(boxes[0].caption, c.caption);
            EXPECT_FALSE(boxes[0].owned);
        }
        if (!c.message) {
            EXPECT_EQ(std::string(read.samples.begin(), read.samples.end()), kSamples);
            EXPECT_EQ(read.format.samplesPerSec, 22050u);
            EXPECT_EQ(read.format.bitsPerSample, 16u);
            EXPECT_EQ(read.format.extraSize, 0u);
        }
    }
}

} // namespace
