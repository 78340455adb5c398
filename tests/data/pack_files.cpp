#include "data/pack_files.h"

#include <algorithm>
#include <cstring>
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
    std::string path = KZ_DATA_DIR + file;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

namespace {

uint32_t Le32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

} // namespace

Wave ReadWave(const std::string& path) {
    Wave wave;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        wave.error = "missing";
        return wave;
    }
    std::vector<uint8_t> bytes(size_t(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        wave.error = "not a RIFF WAVE file";
        return wave;
    }
    if (Le32(&bytes[4]) + 8 != bytes.size()) {
        wave.error = "RIFF size does not match the file";
        return wave;
    }
    bool haveFormat = false;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        uint32_t size = Le32(&bytes[at + 4]);
        const uint8_t* body = &bytes[at + 8];
        if (size > bytes.size() - at - 8) {
            wave.error = "chunk runs past the end";
            return wave;
        }
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && size >= 16) {
            haveFormat = true;
            if (Le16(body) != 1 || Le16(body + 2) != 1 || Le32(body + 4) != 22050 ||
                Le32(body + 8) != 44100 || Le16(body + 12) != 2 || Le16(body + 14) != 16) {
                wave.error = "not mono 16-bit PCM at 22050 Hz";
                return wave;
            }
        } else if (std::memcmp(&bytes[at], "data", 4) == 0) {
            if (!haveFormat) {
                wave.error = "data before format";
                return wave;
            }
            wave.samples.resize(size / 2);
            for (size_t i = 0; i < wave.samples.size(); ++i) {
                wave.samples[i] = int16_t(Le16(body + 2 * i));
            }
            return wave;
        }
        at += 8 + size + (size & 1);
    }
    wave.error = "no data chunk";
    return wave;
}

} // namespace pack
