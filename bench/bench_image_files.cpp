// Decoding a full-HD picture (1920 x 1080) from PNG and JPEG held in memory,
// reported in megapixels per second. The files are encoded once, before
// timing, from a synthetic photo-like picture (smooth gradients plus noise,
// so neither codec gets an unrealistically easy input).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "imaging/image_files.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

std::vector<uint8_t> encodedPicture(int format)
{
    gz::RasterImage img;
    img.create(24, kWidth, kHeight, 0u);
    uint32_t seed = 12345;
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = img.row(y);
        for (int x = 0; x < kWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = static_cast<int>(seed >> 28) - 8;
            row[3 * x + 0] = static_cast<uint8_t>(std::clamp(x * 255 / kWidth + noise, 0, 255));
            row[3 * x + 1] = static_cast<uint8_t>(std::clamp(y * 255 / kHeight + noise, 0, 255));
            row[3 * x + 2] = static_cast<uint8_t>(std::clamp(((x + y) / 7) % 256 + noise, 0, 255));
        }
    }
    std::vector<uint8_t> file;
    gz::saveImageMemory(format, img, file);
    return file;
}

void decode(benchmark::State& state, int format)
{
    const std::vector<uint8_t> file = encodedPicture(format);
    gz::RasterImage img;
    for (auto _ : state) {
        if (gz::loadImageMemory(file.data(), file.size(), img) != 0) {
            state.SkipWithError(gz::imageFileLastError());
            break;
        }
        benchmark::DoNotOptimize(img.bits());
    }
    state.counters["MP/s"] = benchmark::Counter(static_cast<double>(kWidth) * kHeight / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
    state.counters["file_kB"] = static_cast<double>(file.size()) / 1024.0;
}

void BM_DecodePng1080p(benchmark::State& state) { decode(state, gz::kImageFormatPng); }
void BM_DecodeJpeg1080p(benchmark::State& state) { decode(state, gz::kImageFormatJpeg); }

BENCHMARK(BM_DecodePng1080p)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpeg1080p)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
