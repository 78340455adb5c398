#include "audio/SoundFile.h"

#include "mixer/riff.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "text/ascii.h"

#include <algorithm>

namespace {

using mixer::FourCC;
using mixer::RiffChunk;
using mixer::RiffFile;

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(Le16(p)) | static_cast<uint32_t>(Le16(p + 2)) << 16;
}

bool Fail(const char* text, const char* caption = "") {
    platform::ShowMessageBox(text, caption, false);
    return false;
}

} // namespace

bool FileExists(std::string strPath) {
    // Linux file systems tell the cases apart, so the three spellings are
    // three different files here.
    return platform::FileExists(strPath) || platform::FileExists(text::AsciiUpper(strPath)) ||
           platform::FileExists(text::AsciiLower(strPath));
}

bool ReadSoundFile(const std::string& strPath, SoundFileData* pData) {
    if (!FileExists(strPath)) {
        return false;
    }
    // Opened under the registered name: a file found only in another case
    // fails here, silently.
    std::unique_ptr<RiffFile> file = RiffFile::Open(platform::MapPath(strPath));
    if (!file) {
        return false;
    }
    return ReadSoundRiff(*file, pData);
}

bool ReadSoundRiff(RiffFile& file, SoundFileData* pData) {
    RiffChunk riff;
    if (!file.Descend(&riff, nullptr, RiffFile::Search::None)) {
        return false;
    }
    if (riff.id != FourCC("RIFF") || riff.formType != FourCC("WAVE")) {
        return Fail("これはWAVファイルではありません", " lol ");
    }

    RiffChunk fmt;
    fmt.id = FourCC("fmt ");
    if (!file.Descend(&fmt, &riff, RiffFile::Search::FindChunk)) {
        return Fail("fmt チャンクが見つかりません");
    }
    // 18 bytes whatever the chunk's size: a 16-byte chunk lends two bytes of
    // what follows, which only land in the extra size that is cleared below.
    uint8_t raw[18];
    if (file.Read(raw, sizeof raw) < sizeof raw) {
        return Fail("WAVフォーマットの読み込み失敗");
    }
    platform::WaveFormat format;
    format.formatTag = Le16(raw);
    format.channels = Le16(raw + 2);
    format.samplesPerSec = Le32(raw + 4);
    format.avgBytesPerSec = Le32(raw + 8);
    format.blockAlign = Le16(raw + 12);
    format.bitsPerSample = Le16(raw + 14);
    format.extraSize = 0;
    if (format.formatTag != platform::kWaveFormatPcm) {
        return Fail("リニアPCMフォーマットを想定しています");
    }
    if (format.channels > 1) {
        return Fail("音源はモノラルである必要があります");
    }
    if (!file.Ascend(fmt)) {
        return false;
    }

    RiffChunk data;
    data.id = FourCC("data");
    if (!file.Descend(&data, &riff, RiffFile::Search::FindChunk)) {
        return Fail("dataチャンクが見つかりません");
    }
    // Never more than the file holds from the chunk's start, however much the
    // chunk claims.
    const uint64_t held = file.Size() - std::min(file.Size(), data.dataOffset);
    pData->samples.assign(std::min<uint64_t>(data.size, held), 0);
    if (file.Seek(static_cast<int64_t>(data.dataOffset), RiffFile::Origin::Begin) >= 0) {
        pData->samples.resize(file.Read(pData->samples.data(), pData->samples.size()));
    } else {
        pData->samples.clear();
    }
    pData->format = format;
    pData->dwSize = data.size;
    return true;
}
