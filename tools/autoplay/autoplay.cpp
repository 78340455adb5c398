// Plays the real game by ear. It reads what the game plays from the file the
// SDL disk audio driver writes (float stereo, as it grows, in real time) and
// writes the keys it releases to stdout, one xdotool key name a line, for
// scripts/autoplay to send to the game's window. On the menu it releases Down
// (the menu speaks イージー) and Space; in the duel it listens for each swing's
// side and pitch, blocks, strikes when the chance sounds right after a block,
// and confirms the win after the quiet that follows the last enemy.
//
//   kz_autoplay <audio file> <data folder> [enemies=5] [rate=48000] [timeout s=400]
#include "listening/listening_bot.h"
#include "listening/practice.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* KeyName(unsigned vk) {
    switch (vk) {
    case 'A':
        return "a";
    case 'K':
        return "k";
    case 'Z':
        return "z";
    case 'M':
        return "m";
    case 0x20:
        return "space";
    default:
        return nullptr;
    }
}

void Release(const char* key) {
    std::printf("%s\n", key);
    std::fflush(stdout);
}

// The output file as the driver writes it, in whole stereo frames.
class GrowingFile {
public:
    explicit GrowingFile(std::string path) : m_path(std::move(path)) {}

    // Waits until at least `frames` more frames are there; false on timeout.
    bool Read(size_t frames, std::vector<float>& out, std::chrono::steady_clock::time_point end) {
        const size_t bytes = frames * 2 * sizeof(float);
        out.resize(frames * 2);
        size_t got = 0;
        while (got < bytes) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            if (!m_in.is_open()) {
                m_in.open(m_path, std::ios::binary);
                if (!m_in.is_open()) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                    continue;
                }
            }
            m_in.read(reinterpret_cast<char*>(out.data()) + got,
                      static_cast<std::streamsize>(bytes - got));
            got += static_cast<size_t>(m_in.gcount());
            if (got < bytes) {
                m_in.clear(); // at the current end: wait for the driver
                std::this_thread::sleep_for(std::chrono::milliseconds(3));
            }
        }
        return true;
    }

private:
    std::string m_path;
    std::ifstream m_in;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <audio file> <data folder> [enemies] [rate] [timeout s]\n",
                     argv[0]);
        return 2;
    }
    const std::string audioFile = argv[1];
    const std::string dataDir = argv[2];
    const int enemies = argc > 3 ? std::atoi(argv[3]) : 5;
    const int rate = argc > 4 ? std::atoi(argv[4]) : 48000;
    const int timeoutSeconds = argc > 5 ? std::atoi(argv[5]) : 400;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);

    listening::ListeningBot::Options options;
    options.nSampleRate = rate;
    options.pitch = listening::PractiseSwings(dataDir);
    std::fprintf(stderr, "autoplay: practised: high swing %.0f, low %.0f crossings/s\n",
                 options.pitch.fHighCrossings, options.pitch.fLowCrossings);

    GrowingFile file(audioFile);
    std::vector<float> slice;
    const size_t sliceFrames = static_cast<size_t>(rate) / 100; // 10 ms

    // The menu: its title and music play (a menu without sound is waited
    // for no longer than a few seconds); Down speaks イージー, Space takes it.
    const auto menuEnd = std::min(end, std::chrono::steady_clock::now() + std::chrono::seconds(4));
    if (!file.Read(static_cast<size_t>(rate) * 2, slice, menuEnd)) {
        std::fprintf(stderr, "autoplay: the menu is silent; choosing by heart\n");
    }
    Release("Down");
    if (!file.Read(static_cast<size_t>(rate), slice, menuEnd)) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    Release("space");
    std::fprintf(stderr, "autoplay: chose イージー\n");

    listening::ListeningBot bot(options);
    int swings = 0;
    int confirmsBeforeLast = -1; // confirms tried before the last enemy fell
    while (file.Read(sliceFrames, slice, end)) {
        for (unsigned vk : bot.Hear(slice)) {
            if (const char* key = KeyName(vk)) {
                Release(key);
            }
        }
        if (bot.SwingsHeard() != swings) {
            swings = bot.SwingsHeard();
            std::fprintf(stderr, "autoplay: swing %d (%d low), chances %d\n", swings,
                         bot.LowSwingsHeard(), bot.ChancesHeard());
        }
        if (bot.ChancesHeard() >= enemies && confirmsBeforeLast < 0) {
            confirmsBeforeLast = bot.ConfirmsTried();
        }
        if (confirmsBeforeLast >= 0 && bot.ConfirmsTried() > confirmsBeforeLast) {
            std::fprintf(stderr, "autoplay: %d enemies felled by ear; win confirmed\n",
                         bot.ChancesHeard());
            return 0;
        }
    }
    std::fprintf(stderr, "autoplay: out of time after %d swings, %d chances\n", swings,
                 bot.ChancesHeard());
    return 1;
}
