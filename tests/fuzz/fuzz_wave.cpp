// Any bytes as a sound file: the reader must never crash, read out of bounds
// or allocate more than the input holds, and every failure it reports must be
// one the player is shown or a silent one.
#include "audio/SoundFile.h"
#include "backends/headless/recorded_message_boxes.h"
#include "mixer/riff.h"
#include "platform/services.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static platform::headless::RecordedMessageBoxes boxes;
    static bool installed = [] {
        platform::Services services;
        services.messageBoxes = &boxes;
        platform::InstallServices(services);
        return true;
    }();
    (void)installed;
    boxes.Clear();

    auto file = mixer::RiffFile::FromMemory({data, size});
    SoundFileData sound;
    bool ok = ReadSoundRiff(*file, &sound);
    if (ok && (sound.samples.size() > size || sound.samples.size() > sound.dwSize ||
               !boxes.Boxes().empty())) {
        std::abort();
    }
    if (boxes.Boxes().size() > 1) {
        std::abort(); // one failure, one message
    }
    return 0;
}
