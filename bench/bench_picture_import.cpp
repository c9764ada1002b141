// Importing a quiz night's pictures at once, as "Bilder importieren" does:
// 20 camera photos of 12 MP (4000 x 3000 JPEG files made beforehand from
// synthetic photos) become 20 games with generated 20-piece covers, ready
// to play, in an empty library on the real file system (every file synced).
//
// BM_ImportPictures/<threads>/<shrink>: threads 1 or 2 pictures prepared
// at a time; shrink 1 = "Großes Bild auf Bildschirmgröße verkleinern"
// (2880 x 2160 games). Counters: per_picture_ms, lib_MB (the library
// written). The game master's limit is 30 s for the 20 pictures.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "game/file_system.h"
#include "game/picture_files.h"
#include "game/picture_import.h"
#include "imaging/image_files.h"
#include "synthetic_pictures.h"

namespace {

namespace stdfs = std::filesystem;

constexpr int kPhotos = 20;

// A temporary folder with the photos as JPEG files, made once.
class Photos {
public:
    static Photos& get()
    {
        static Photos p;
        return p;
    }
    ~Photos()
    {
        std::error_code ec;
        stdfs::remove_all(root_, ec);
    }
    const std::string& root() const { return root_; }
    const std::vector<std::string>& files() const { return files_; }

private:
    Photos()
    {
        std::string templ = (stdfs::temp_directory_path() / "gz-bench-import-XXXXXX").string();
        if (!mkdtemp(templ.data()))
            return;
        root_ = templ;
        for (int i = 0; i < kPhotos; ++i) {
            const std::string path = root_ + "/Urlaub_" + std::to_string(i + 1) + ".jpg";
            if (gz::saveImageFile(path, gz::bench::syntheticPhoto(4000, 3000, static_cast<unsigned>(i + 1))) == 0)
                files_.push_back(path);
        }
    }
    std::string root_;
    std::vector<std::string> files_;
};

uint64_t folderBytes(const std::string& root)
{
    uint64_t total = 0;
    std::error_code ec;
    for (const auto& entry : stdfs::recursive_directory_iterator(root, ec))
        if (entry.is_regular_file())
            total += entry.file_size();
    return total;
}

void BM_ImportPictures(benchmark::State& state)
{
    Photos& photos = Photos::get();
    if (photos.files().size() != kPhotos) {
        state.SkipWithError("the photos could not be written");
        return;
    }
    gz::PosixFileSystem fs;
    gz::ImageFilePictures pictures;
    gz::ImportRequest request;
    request.files = photos.files();
    request.pieces = gz::kDefaultCoverPieces;
    request.shrinkToScreen = state.range(1) != 0;
    request.threads = static_cast<int>(state.range(0));
    request.seed = 2024;
    const std::atomic<bool> cancel{false};
    const std::string library = photos.root() + "/Spiele";
    uint64_t written = 0;
    double pictureMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::error_code ec;
        stdfs::remove_all(library, ec);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const gz::ImportReport report = gz::importPictures(fs, pictures, library, request, {}, cancel);
        pictureMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() /
                     kPhotos;
        if (report.created.size() != kPhotos) {
            state.SkipWithError("not every photo became a game");
            break;
        }
        state.PauseTiming();
        written = folderBytes(library);
        state.ResumeTiming();
    }
    state.counters["per_picture_ms"] = benchmark::Counter(pictureMs, benchmark::Counter::kAvgIterations);
    state.counters["lib_MB"] = static_cast<double>(written) / 1e6;
}

BENCHMARK(BM_ImportPictures)
    ->ArgNames({"threads", "shrink"})
    ->ArgsProduct({{1, 2}, {0, 1}})
    ->Unit(benchmark::kSecond)
    ->Iterations(2)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
