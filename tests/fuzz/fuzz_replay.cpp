// A replay from anywhere (a submission, a file): any bytes are read or
// refused, what is read is written back as the same duel, and the referee
// comes to a verdict on it in bounded time (libFuzzer's -timeout says when
// it hangs).
#include "duel/referee.h"
#include "duel/replay.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto replay = duel::Replay::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!replay) {
        return 0;
    }
    if (duel::Replay::Parse(replay->Text()) != replay) {
        std::abort();
    }
    // A mistake is a wrong guard or a swing let pass, and the fifth swing let
    // pass loses.
    const duel::Referee::Verdict verdict = duel::Referee::Judge(*replay);
    if (verdict.score < 0 || verdict.score > static_cast<int>(replay->presses.size()) + 4) {
        std::abort();
    }
    return 0;
}
