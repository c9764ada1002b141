// Turning a phone photo upright after loading: a 12-megapixel picture
// (4032 x 3024, the size phone cameras write) by the EXIF codes that phones
// record (3, 6, 8) and a mirror (2), at 24 bits and at 8 bits, reported in
// megapixels per second. Only the turn is timed, not the fresh copy of the
// stored picture each round starts from. Mirrors work in place; quarter
// turns include making the new picture, whose fresh memory (36 MB at 24
// bits, beyond malloc's reuse) costs more to touch the first time than the
// turn itself on a virtual machine.
#include <benchmark/benchmark.h>

#include <utility>

#include "bench/synthetic_pictures.h"
#include "imaging/image_orientation.h"

namespace {

constexpr int kWidth = 4032;
constexpr int kHeight = 3024;

void BM_OrientPhoto(benchmark::State& state)
{
    const int code = static_cast<int>(state.range(0));
    const int depth = static_cast<int>(state.range(1));
    gz::RasterImage stored = gz::bench::syntheticPhoto(kWidth, kHeight);
    if (depth == 8) {
        // A grey picture of the photo's green channel.
        gz::RasterImage grey;
        grey.create(8, kWidth, kHeight, 0u);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                grey.row(y)[x] = stored.row(y)[3 * x + 1];
        stored = std::move(grey);
    }
    gz::RasterImage img;
    for (auto _ : state) {
        state.PauseTiming();
        img.copyFrom(stored);
        state.ResumeTiming();
        gz::orientImage(img, code);
        benchmark::DoNotOptimize(img.bits());
    }
    state.counters["MP/s"] = benchmark::Counter(static_cast<double>(kWidth) * kHeight / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_OrientPhoto)
    ->ArgNames({"code", "bits"})
    ->Args({2, 24})
    ->Args({3, 24})
    ->Args({6, 24})
    ->Args({8, 24})
    ->Args({6, 8})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
