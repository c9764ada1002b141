// PNG compression settings compared: time and file size of writing a 12 MP
// and a 24 MP photo, a 12 MP photo as a camera JPEG decodes, and a 12 MP
// drawing, for zlib levels, row filter sets and zlib strategies. The
// numbers chose kPngFastSettings (imaging/png_write_settings.h).
//
// Only the encoding is timed: the bytes go to a writer that counts them.
// Counters: file_MB (file size), pct_raw (size in percent of the 24-bit
// pixels), MP/s. Pictures are made once, before the first timing.
// BM_PngRead reads the default and the fast file back from memory: a game's
// Pic.png is read at every start of its picture.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "imaging/codec_png.h"
#include "imaging/image_files.h"
#include "synthetic_pictures.h"

namespace {

using gz::PngStrategy;
using gz::PngWriteSettings;

class CountingWriter final : public gz::ByteWriter {
public:
    bool write(const void*, std::size_t n) override
    {
        bytes += n;
        return true;
    }
    bool finish() override { return true; }
    std::size_t bytes = 0;
};

enum class Kind { Photo12, Photo24, JpegPhoto12, Drawing12 };

struct Picture {
    Kind kind;
    const char* name;
};

const Picture kPictures[] = {
    {Kind::Photo12, "photo12MP"},
    {Kind::Photo24, "photo24MP"},
    {Kind::JpegPhoto12, "jpegphoto12MP"},
    {Kind::Drawing12, "drawing12MP"},
};

const gz::RasterImage& picture(Kind kind)
{
    static std::map<Kind, gz::RasterImage> made;
    auto it = made.find(kind);
    if (it != made.end())
        return it->second;
    gz::RasterImage img;
    switch (kind) {
    case Kind::Photo12: img = gz::bench::syntheticPhoto(4000, 3000); break;
    case Kind::Photo24: img = gz::bench::syntheticPhoto(6000, 4000); break;
    case Kind::Drawing12: img = gz::bench::syntheticDrawing(4000, 3000); break;
    case Kind::JpegPhoto12: {
        // A camera's picture as the game gets it: JPEG blocks and smoothed noise.
        std::vector<uint8_t> jpeg;
        gz::saveImageMemory(gz::kImageFormatJpeg, gz::bench::syntheticPhoto(4000, 3000), jpeg);
        gz::loadImageMemory(jpeg.data(), jpeg.size(), img);
        break;
    }
    }
    return made.emplace(kind, std::move(img)).first->second;
}

struct Setting {
    const char* name;
    PngWriteSettings settings;
};

constexpr int kSub = gz::kPngFilterSub;
constexpr int kUp = gz::kPngFilterUp;
constexpr int kPaeth = gz::kPngFilterPaeth;
constexpr int kNone = gz::kPngFilterNone;

const Setting kSettings[] = {
    // libpng's defaults at several levels (all five filters, filtered strategy)
    {"L6_default", gz::kPngDefaultSettings},
    {"L0_default", {0, gz::kPngFiltersDefault, PngStrategy::Default}},
    {"L1_default", {1, gz::kPngFiltersDefault, PngStrategy::Default}},
    {"L2_default", {2, gz::kPngFiltersDefault, PngStrategy::Default}},
    {"L3_default", {3, gz::kPngFiltersDefault, PngStrategy::Default}},
    // one filter, or a small set libpng chooses from per row
    {"L1_none", {1, kNone, PngStrategy::Default}},
    {"L1_sub", {1, kSub, PngStrategy::Default}},
    {"L1_up", {1, kUp, PngStrategy::Default}},
    {"L1_avg", {1, gz::kPngFilterAverage, PngStrategy::Default}},
    {"L1_paeth", {1, kPaeth, PngStrategy::Default}},
    {"L1_sub+up", {1, kSub | kUp, PngStrategy::Default}},
    {"L1_none+sub+up", {1, kNone | kSub | kUp, PngStrategy::Default}},
    {"L1_up+paeth", {1, kUp | kPaeth, PngStrategy::Default}},
    {"L2_sub", {2, kSub, PngStrategy::Default}},
    {"L2_up", {2, kUp, PngStrategy::Default}},
    {"L2_paeth", {2, kPaeth, PngStrategy::Default}},
    {"L3_sub", {3, kSub, PngStrategy::Default}},
    {"L3_paeth", {3, kPaeth, PngStrategy::Default}},
    {"L6_sub", {6, kSub, PngStrategy::Default}},
    // zlib strategies
    {"L1_sub_plain", {1, kSub, PngStrategy::Plain}},
    {"L1_sub_rle", {1, kSub, PngStrategy::Rle}},
    {"L1_up_rle", {1, kUp, PngStrategy::Rle}},
    {"L1_paeth_rle", {1, kPaeth, PngStrategy::Rle}},
    {"L1_default_rle", {1, gz::kPngFiltersDefault, PngStrategy::Rle}},
    {"L1_sub_huffman", {1, kSub, PngStrategy::HuffmanOnly}},
    {"L1_paeth_huffman", {1, kPaeth, PngStrategy::HuffmanOnly}},
    {"L1_none_rle", {1, kNone, PngStrategy::Rle}},
};

void encode(benchmark::State& state, Kind kind, PngWriteSettings settings)
{
    const gz::RasterImage& img = picture(kind);
    std::size_t size = 0;
    for (auto _ : state) {
        CountingWriter out;
        gz::writePng(out, img, std::nullopt, false, settings);
        size = out.bytes;
    }
    const double pixels = static_cast<double>(img.width()) * img.height();
    state.counters["file_MB"] = static_cast<double>(size) / 1e6;
    state.counters["pct_raw"] = 100.0 * static_cast<double>(size) / (3 * pixels);
    state.counters["MP/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void decode(benchmark::State& state, Kind kind, PngWriteSettings settings)
{
    std::vector<uint8_t> file;
    if (gz::saveImageMemoryWith(gz::kImageFormatPng, picture(kind), settings, file) != 0) {
        state.SkipWithError(gz::imageFileLastError());
        return;
    }
    gz::RasterImage img;
    for (auto _ : state)
        if (gz::loadImageMemory(file.data(), file.size(), img) != 0) {
            state.SkipWithError(gz::imageFileLastError());
            break;
        }
    state.counters["file_MB"] = static_cast<double>(file.size()) / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    for (const Picture& p : kPictures)
        for (const Setting& s : kSettings)
            benchmark::RegisterBenchmark((std::string("BM_PngWrite/") + p.name + "/" + s.name).c_str(), encode,
                                         p.kind, s.settings)
                ->Unit(benchmark::kMillisecond)
                ->MeasureProcessCPUTime()
                ->UseRealTime();
    for (const Picture& p : kPictures) {
        const std::string name = std::string("BM_PngRead/") + p.name;
        benchmark::RegisterBenchmark((name + "/L6_default").c_str(), decode, p.kind, gz::kPngDefaultSettings)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((name + "/fast").c_str(), decode, p.kind, gz::kPngFastSettings)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
