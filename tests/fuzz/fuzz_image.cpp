// Any bytes at all go to the picture decoder: it must never crash, read out of
// bounds, or hand back pixels that do not match the size it reports.
#include "platform/image.h"

#include <cstdlib>

// A few bytes may claim a 4096 × 4096 picture, which then takes seconds to
// fill in an instrumented build; a quarter megapixel keeps every run quick
// while still covering all the decoders' paths.
constexpr size_t kFuzzPixelBytes = size_t{1} << 20;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    platform::DecodedImage out;
    bool ok = platform::DecodeImage(data, size, out, kFuzzPixelBytes);
    const platform::PixelImage& image = out.pixels;
    if (ok != !image.Empty() || image.pixels.size() != size_t(image.width) * size_t(image.height) ||
        image.pixels.size() * 4 > kFuzzPixelBytes) {
        std::abort();
    }
    return 0;
}
