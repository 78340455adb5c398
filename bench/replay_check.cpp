// What the score server spends proving a result: a won hard duel's replay
// read and its fifty enemies fought again, as for every submission.
#include "duel/referee.h"
#include "tests/duel/replay_player.h"

#include <benchmark/benchmark.h>

namespace {

void BM_VerifyHardReplay(benchmark::State& state) {
    const std::string text = duel_test::ReplayPlayer{3, 20261207, 2}.Play().Text();
    for (auto _ : state) {
        const auto replay = duel::Replay::Parse(text);
        const duel::Referee::Verdict verdict = duel::Referee::Judge(*replay);
        benchmark::DoNotOptimize(verdict);
        if (verdict.outcome != duel::Referee::Outcome::Won || verdict.score != 2) {
            state.SkipWithError("the replay does not prove its result");
            break;
        }
    }
    state.SetLabel(std::to_string(text.size()) + " bytes");
}
BENCHMARK(BM_VerifyHardReplay)->Unit(benchmark::kMicrosecond);

} // namespace
