#pragma once
// Reading a sound file (".ywv": a plain RIFF WAVE file, mono linear PCM only)
// into the wave format and sample bytes a sound buffer is built from.

#include "platform/sound.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mixer {
class RiffFile;
}

struct SoundFileData {
    platform::WaveFormat format; // extra size always 0
    uint32_t dwSize = 0;         // the sound's size in bytes, as the file claims it
    // The bytes the file really holds, at most dwSize: when a file claims more
    // than it has, the rest of the sound is silence rather than memory the
    // file never backed.
    std::vector<uint8_t> samples;
};

// TRUE when a file of that name exists as given, in upper case or in lower case.
bool FileExists(std::string strPath);

// Reads the file at the registered path. Fails without a message when the
// file is missing, cannot be opened or is shorter than a chunk header; every
// other fault shows its message box first.
bool ReadSoundFile(const std::string& strPath, SoundFileData* pData);

// The same from the first chunk on, for a file already open.
bool ReadSoundRiff(mixer::RiffFile& file, SoundFileData* pData);
