// Creating a game from a camera photo, as "Datei -> Neu" does it: createGame
// with the real file system in a temporary folder, reading a JPEG made
// beforehand from a synthetic 12 MP (4000 x 3000) or 24 MP (6000 x 4000)
// photo, writing Pic.png (synced and renamed into place) and Pic.txt.
//
// BM_CreateGame/<MP>/<png>/<shrink>: png 0 = libpng's default compression
// (the writer before the game library had its own setting), 1 = the game
// library's own writer (kPngFastSettings); shrink 1 = the dialog's
// "Großes Bild auf Bildschirmgröße verkleinern". Counters: pic_MB (size of
// Pic.png), pic_MP (its pixels).
//
// The parts on their own, for where the time goes: BM_LoadJpeg (reading
// the source), BM_ShrinkToScreen (area averaging to 3840 x 2160, and the
// nearest-pixel resample for comparison).
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "game/file_system.h"
#include "game/game_creation.h"
#include "game/message_box.h"
#include "game/picture_files.h"
#include "game/shrink_to_screen.h"
#include "imaging/image_files.h"
#include "synthetic_pictures.h"

namespace {

namespace stdfs = std::filesystem;

// Writes PNG files with the given settings, reads like the game library.
class PicturesWith final : public gz::PictureFiles {
public:
    explicit PicturesWith(gz::PngWriteSettings settings) : settings_(settings) {}
    int load(const std::string& path, gz::RasterImage& image) override { return gz::loadImageFile(path, image); }
    int save(const std::string& path, const gz::RasterImage& image) override
    {
        return gz::saveImageFileWith(path, image, settings_);
    }

private:
    gz::PngWriteSettings settings_;
};

class QuietBoxes final : public gz::MessageBoxes {
public:
    gz::MessageAnswer show(std::string_view text, std::string_view, gz::MessageButtons, gz::MessageIcon) override
    {
        last = std::string(text);
        return gz::MessageAnswer::Yes;
    }
    std::string last;
};

// A temporary folder with the two source photos as JPEG files, made once.
class Sources {
public:
    static Sources& get()
    {
        static Sources s;
        return s;
    }
    ~Sources()
    {
        std::error_code ec;
        stdfs::remove_all(root_, ec);
    }
    const std::string& root() const { return root_; }
    std::string photo(int megapixels) const { return root_ + "/photo" + std::to_string(megapixels) + "MP.jpg"; }

private:
    Sources()
    {
        std::string templ = (stdfs::temp_directory_path() / "gz-bench-creation-XXXXXX").string();
        if (mkdtemp(templ.data()))
            root_ = templ;
        gz::saveImageFile(photo(12), gz::bench::syntheticPhoto(4000, 3000));
        gz::saveImageFile(photo(24), gz::bench::syntheticPhoto(6000, 4000));
    }
    std::string root_;
};

void BM_CreateGame(benchmark::State& state)
{
    const int megapixels = static_cast<int>(state.range(0));
    const bool fast = state.range(1) != 0;
    const bool shrink = state.range(2) != 0;
    Sources& sources = Sources::get();
    gz::PosixFileSystem fs;
    gz::ImageFilePictures gameLibrary;
    PicturesWith ordinary(gz::kPngDefaultSettings);
    QuietBoxes boxes;
    gz::GameFolderStore store(fs, fast ? static_cast<gz::PictureFiles&>(gameLibrary) : ordinary, boxes);
    store.setPicturePath(sources.root() + "/Spiele");

    gz::NewGameRequest request;
    request.pictureFile = sources.photo(megapixels);
    request.question = "Was ist hier zu sehen ?";
    request.answer = "Ein Foto";
    request.mode = static_cast<int32_t>(gz::CreationMode::Overwrite);
    request.number = 1;
    request.shrinkToScreen = shrink;
    gz::GameContent game;
    for (auto _ : state) {
        game = gz::GameContent();
        if (gz::createGame(store, request, game) != gz::CreationResult::Created) {
            state.SkipWithError(boxes.last.c_str());
            break;
        }
    }
    const std::string pic = gz::gamePicturePath(store.picturePath(), 1);
    std::error_code ec;
    state.counters["pic_MB"] = static_cast<double>(stdfs::file_size(pic, ec)) / 1e6;
    state.counters["pic_MP"] = static_cast<double>(game.picture.width()) * game.picture.height() / 1e6;
}

void BM_LoadJpeg(benchmark::State& state)
{
    const std::string path = Sources::get().photo(static_cast<int>(state.range(0)));
    gz::RasterImage img;
    for (auto _ : state)
        if (gz::loadImageFile(path, img) != 0) {
            state.SkipWithError(gz::imageFileLastError());
            break;
        }
}

// range(1): 1 area average (what creation uses), 0 nearest pixel.
void BM_ShrinkToScreen(benchmark::State& state)
{
    const gz::RasterImage photo = state.range(0) == 12 ? gz::bench::syntheticPhoto(4000, 3000)
                                                       : gz::bench::syntheticPhoto(6000, 4000);
    const gz::PictureSize size = gz::screenFitSize(photo.width(), photo.height());
    const unsigned flags = state.range(1) ? gz::kResampleAreaAverage : 0u;
    gz::RasterImage out;
    for (auto _ : state) {
        out.resample(photo, size.width, size.height, flags);
        benchmark::DoNotOptimize(out.bits());
    }
}

BENCHMARK(BM_CreateGame)
    ->ArgNames({"MP", "fastpng", "shrink"})
    ->ArgsProduct({{12, 24}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_LoadJpeg)->ArgName("MP")->Arg(12)->Arg(24)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ShrinkToScreen)
    ->ArgNames({"MP", "area"})
    ->ArgsProduct({{12, 24}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
