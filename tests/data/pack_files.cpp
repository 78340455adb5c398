#include "data/pack_files.h"

#include "audio/SoundFile.h"
#include "platform/headless/recorded_message_boxes.h"
#include "platform/services.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace pack {

std::vector<Entry> ReadTable() {
    std::ifstream in(KZ_SOURCE_DIR "/data/files.tsv");
    std::vector<Entry> entries;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) {
            fields.push_back(field);
        }
        fields.resize(std::max<size_t>(fields.size(), 4));
        entries.push_back({fields[0], fields[1], fields[2], fields[3],
                           std::vector<std::string>(fields.begin() + 4, fields.end())});
    }
    return entries;
}

std::string PackPath(const std::string& file) {
    return KZ_DATA_DIR + file;
}

// Read by the game's own sound reader, so the pack is checked against what
// the game will really accept; any message it would show is a failure too.
Wave ReadWave(const std::string& path) {
    Wave wave;
    platform::headless::RecordedMessageBoxes boxes;
    platform::Services services = platform::GetServices();
    services.messageBoxes = &boxes;
    platform::Services before = platform::InstallServices(services);
    SoundFileData data;
    bool read = ReadSoundFile(path, &data);
    platform::InstallServices(before);

    const platform::WaveFormat& f = data.format;
    if (!read || !boxes.Boxes().empty()) {
        wave.error = "unreadable" + (boxes.Boxes().empty() ? "" : ": " + boxes.Boxes()[0].text);
    } else if (f.formatTag != 1 || f.channels != 1 || f.samplesPerSec != 22050 ||
               f.bitsPerSample != 16 || f.blockAlign != 2 || f.avgBytesPerSec != 44100) {
        wave.error = "not mono 16-bit PCM at 22050 Hz";
    } else if (data.samples.size() != data.dwSize || data.dwSize % 2 != 0) {
        wave.error = "sample data shorter than the file claims";
    }
    if (!wave.error.empty()) {
        return wave;
    }
    wave.samples.resize(data.samples.size() / 2);
    for (size_t i = 0; i < wave.samples.size(); ++i) {
        wave.samples[i] = int16_t(data.samples[2 * i] | data.samples[2 * i + 1] << 8);
    }
    return wave;
}

} // namespace pack
