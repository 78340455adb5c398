#pragma once
// The menu as a player hears it. The test's data folder gives each of the
// menu's sounds a tone of its own (and the duel's sounds one tone together),
// so what comes out of the headless output says at once which sounds play:
// the title, the music, which item's voice, or anything of the duel.
#include "audio/wave_writer.h"
#include "data/pack_files.h"
#include "shell_game.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace menu_test {

constexpr int kMusic = 8;
constexpr int kTitle = 9;
constexpr int kDuel = 100; // stands for any sound of the duel
constexpr int kSoundCount = 10;

// The voice of item i.
constexpr int Voice(int item) {
    return item + 1;
}

inline double ToneOf(int sound) {
    return sound == kDuel ? 3250.0 : 500.0 + 250.0 * sound;
}

// Each tone at this amplitude: four at once still leave headroom.
constexpr double kAmplitude = 0.2;
// The level of one such tone, and the line between heard and not heard.
constexpr double kToneDb = -13.98;
constexpr double kHeardDb = -24.0;

struct Lengths {
    uint32_t voiceMs = 300;
    uint32_t titleMs = 800;
    uint32_t musicMs = 1000; // loops: an integer number of cycles of its tone
};

class MenuEar {
public:
    explicit MenuEar(Lengths lengths = {}) {
        int menuSound = 0;
        for (const pack::Entry& e : pack::ReadTable()) {
            if (e.kind == "picture") {
                CopyPicture(e.file);
                continue;
            }
            int sound = kDuel;
            uint32_t ms = 500;
            if (e.scene == "menu") {
                sound = menuSound++;
                ms = sound == kMusic   ? lengths.musicMs
                     : sound == kTitle ? lengths.titleMs
                                       : lengths.voiceMs;
            }
            WriteTone(e.file, ToneOf(sound), ms);
        }
    }

    CKirikazeJDlg& Start() {
        game.Start();
        return *game.dlg;
    }
    platform::headless::HeadlessWindow& Window() { return *game.system.Window(); }

    // Plays on for ms and says which sounds were heard all along that time.
    std::set<int> Listen(uint32_t ms) { return HeardIn(Hear(ms)); }
    platform::headless::RenderedAudio Hear(uint32_t ms) { return game.system.Audio().RenderMs(ms); }

    static std::set<int> HeardIn(const platform::headless::RenderedAudio& audio) {
        std::set<int> heard;
        for (int sound = 0; sound < kSoundCount; ++sound) {
            if (LevelOf(audio, sound) > kHeardDb) {
                heard.insert(sound);
            }
        }
        if (LevelOf(audio, kDuel) > kHeardDb) {
            heard.insert(kDuel);
        }
        return heard;
    }
    static double LevelOf(const platform::headless::RenderedAudio& audio, int sound) {
        using platform::headless::Channel;
        return std::max(audio.ToneDb(Channel::Left, ToneOf(sound)),
                        audio.ToneDb(Channel::Right, ToneOf(sound)));
    }

    kztest::Game game;

private:
    static std::string Slashed(std::string path) {
        std::replace(path.begin(), path.end(), '\\', '/');
        return path;
    }
    static std::string Local(const std::string& file) {
        return std::filesystem::current_path().string() + Slashed(file);
    }

    static void WriteTone(const std::string& file, double hz, uint32_t ms) {
        const std::string path = Local(file);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        const auto frames = static_cast<uint32_t>(uint64_t{ms} * 22050 / 1000);
        testwave::WriteFile(path,
                            testwave::Wave({}, testwave::Sine16(hz, 22050, frames, kAmplitude)));
    }

    // The duel draws the pack's own pictures.
    static void CopyPicture(const std::string& file) {
        const std::string path = Local(file);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::filesystem::copy_file(Slashed(pack::PackPath(file)), path,
                                   std::filesystem::copy_options::overwrite_existing);
    }
};

// Names a set of sounds for failure messages.
inline std::string Names(const std::set<int>& sounds) {
    std::string out = "{";
    for (int s : sounds) {
        out += s == kMusic   ? " music"
               : s == kTitle ? " title"
               : s == kDuel  ? " duel"
                             : " voice" + std::to_string(s);
    }
    return out + " }";
}

} // namespace menu_test
