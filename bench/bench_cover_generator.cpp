// Generating a cover ("Abdeckung erzeugen…") for a 12-megapixel photo with
// the default 20 and the most 32 pieces: layout, neighbour table and uncover
// order search. Each round takes the next seed, so the time is that of
// covers in general rather than of one cover.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "game/cover_generator.h"

namespace {

void BM_GenerateCover(benchmark::State& state)
{
    const int pieces = static_cast<int>(state.range(0));
    gz::GameContent game;
    uint64_t seed = 1;
    for (auto _ : state) {
        gz::generateCover(game, 4000, 3000, pieces, seed++);
        benchmark::DoNotOptimize(game.polygons);
    }
}

BENCHMARK(BM_GenerateCover)->ArgName("pieces")->Arg(20)->Arg(32)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
