#pragma once
// Reading the data table and the generated pack, for the tests that check
// the pack against the table.
#include <cstdint>
#include <string>
#include <vector>

namespace pack {

struct Entry {
    std::string scene; // menu or duel
    std::string file;  // as the scene names it: "\sound\kin.ywv"
    std::string kind;  // voice, shout, sox or picture
    std::string source;
    std::vector<std::string> text;
};

std::vector<Entry> ReadTable();
// The file as the game names it under the generated data folder, backslashes
// and all.
std::string PackPath(const std::string& file);

// A sound file as the game's audio must accept it, or why not.
struct Wave {
    std::string error; // empty when the file is a valid mono 16-bit 22050 Hz PCM WAVE
    std::vector<int16_t> samples;
    double Milliseconds() const { return samples.size() * 1000.0 / 22050.0; }
};
Wave ReadWave(const std::string& path);

} // namespace pack
