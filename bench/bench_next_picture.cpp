// F5 ("Starte nächstes Bild") from the command to the question on the board:
// the show engine loads the next game and the following show tick draws the
// board (1920 x 1080, offscreen). Games are 12 MP (4000 x 3000) and 24 MP
// (6000 x 4000) photo-like pictures with a 32-polygon cover, written once
// into a library in a temporary folder before anything is timed.
//
// "before": the game is read when F5 comes (nothing was read ahead);
// "after": the read-ahead has finished before F5. The board's part alone
// (the forced redraw that scales the picture) is timed as well.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/synthetic_pictures.h"
#include "board/board_view.h"
#include "game/game_store.h"
#include "game/polygon_file.h"
#include "imaging/image_files.h"
#include "shell/settings_memory.h"
#include "show/command_ids.h"

namespace {

namespace stdfs = std::filesystem;

struct PictureSize {
    int width;
    int height;
};
// Game n of the library has picture kSizes[n - 1].
constexpr PictureSize kSizes[] = {{4000, 3000}, {6000, 4000}};
constexpr int kBoardWidth = 1920;
constexpr int kBoardHeight = 1080;

// The library, written on first use and removed at exit.
class Library {
public:
    static Library& get()
    {
        static Library library;
        return library;
    }
    const std::string& root() const { return root_; }
    bool ok() const { return ok_; }
    std::uintmax_t pictureBytes(int n) const
    {
        std::error_code ec;
        return stdfs::file_size(gz::gamePicturePath(root_, n), ec);
    }

private:
    Library()
    {
        std::string templ = (stdfs::temp_directory_path() / "gz-bench-next-XXXXXX").string();
        if (!mkdtemp(templ.data()))
            return;
        root_ = templ;
        ok_ = true;
        for (int n = 1; n <= static_cast<int>(std::size(kSizes)); ++n)
            ok_ = ok_ && writeGame(n, kSizes[n - 1]);
    }
    ~Library()
    {
        std::error_code ec;
        if (!root_.empty())
            stdfs::remove_all(root_, ec);
    }
    bool writeGame(int n, PictureSize size) const
    {
        stdfs::create_directories(gz::gameFolderPath(root_, n));
        const gz::RasterImage picture = gz::bench::syntheticPhoto(size.width, size.height, static_cast<unsigned>(n));
        if (gz::saveImageFile(gz::gamePicturePath(root_, n), picture) != 0)
            return false;
        gz::PosixFileSystem fs;
        if (fs.writeFile(gz::gameQuestionPath(root_, n),
                         gz::formatQuestionFile("Was ist auf Bild " + std::to_string(n) + " zu sehen?",
                                                "Ein Foto")) != gz::FsStatus::Ok)
            return false;
        // 8 x 4 cells, each under a six-sided polygon reaching into its neighbours.
        auto game = std::make_unique<gz::GameContent>();
        const int cw = size.width / 8, ch = size.height / 4;
        for (int i = 0; i < gz::kMaxPolygons; ++i) {
            const int cx = (i % 8) * cw, cy = (i / 8) * ch;
            gz::CoverPolygon* p = game->appendPolygon();
            p->setName("Teil");
            const int pts[6][2] = {{cx - 10, cy - 10},          {cx + cw / 2, cy - 20}, {cx + cw + 15, cy + 5},
                                   {cx + cw + 10, cy + ch + 10}, {cx + cw / 2, cy + ch + 20},
                                   {cx - 15, cy + ch - 10}};
            for (const auto& q : pts)
                p->addPoint({q[0], q[1]});
        }
        return fs.writeFile(gz::gamePolygonPath(root_, n), gz::formatPolygonFile(*game, size.width, size.height)) ==
               gz::FsStatus::Ok;
    }

    std::string root_;
    bool ok_ = false;
};

struct Clock final : gz::ShowClock {
    uint32_t nowMs() override { return now; }
    uint32_t now = 1000;
};

struct NoBoxes final : gz::MessageBoxes {
    gz::MessageAnswer show(std::string_view, std::string_view, gz::MessageButtons, gz::MessageIcon) override
    {
        return gz::MessageAnswer::Yes;
    }
    void setWaitCursor(bool) override {}
};

// The window system's part: only "Nächste Spielnummer" is answered.
struct Platform final : gz::ViewPlatform {
    gz::MessageBoxes& messageBoxes() override { return boxes; }
    bool chooseFolder(const std::string&, const std::string&, std::string&) override { return false; }
    bool askValue(const std::string&, const std::string&, int32_t& value) override
    {
        value = nextNumber;
        return true;
    }
    bool askText(const std::string&, const std::string&, std::string&) override { return false; }
    bool askNewPicture(int32_t&, gz::NewGameRequest&) override { return false; }
    bool askImportPictures(gz::ImportRequest&) override { return false; }
    void runImport(const gz::ImportRequest&, const gz::ImportJob&) override {}
    void postCommand(int32_t) override {}
    void updateCanvas() override {}
    void captureMouse() override {}
    void releaseMouse() override {}
    void setCursor(gz::CursorKind) override {}
    bool isControlDown() override { return false; }
    void warningBeep() override {}
    void invalidate(const gz::BoardRect&) override {}
    void repaintNow() override {}
    void sortOrderChanged() override {}
    bool cursorPos(gz::ScreenPoint&) override { return false; }
    void setCursorPos(gz::ScreenPoint) override {}

    NoBoxes boxes;
    int32_t nextNumber = 1;
};

struct Show {
    gz::MemorySettingsBackend settings;
    Platform platform;
    Clock clock;
    std::unique_ptr<gz::BoardView> view;

    explicit Show(const std::string& library)
    {
        settings.writeString("Software\\Mervo\\GameZinko", "PicPath", library);
        view = std::make_unique<gz::BoardView>(settings, platform, clock, nullptr);
        view->created();
        view->resize(kBoardWidth, kBoardHeight);
        view->tick();
    }
    // Ends the running picture and makes game n the one F5 loads next.
    void aimAt(int n)
    {
        view->engine().uncoverPicture();
        view->tick();
        platform.nextNumber = n;
        view->execute(gz::cmd::kNextGameNumber);
    }
    // F5, then the show tick that draws the board.
    bool nextPicture(int n)
    {
        view->execute(gz::cmd::kStartNextPicture);
        view->tick();
        return view->game().gameNumber == n && view->show().gameRunning != 0 && view->game().polygonCount == 32;
    }
};

enum Mode { kBefore = 0, kAfter = 1 };

void BM_NextPicture(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const bool readAhead = state.range(1) == kAfter;
    Library& library = Library::get();
    if (!library.ok()) {
        state.SkipWithError("the library could not be written");
        return;
    }
    Show show(library.root());
    for (auto _ : state) {
        state.PauseTiming();
        show.aimAt(n);
        if (readAhead)
            show.view->readAhead().waitUntilSettled();
        else
            show.view->readAhead().clear();
        state.ResumeTiming();
        if (!show.nextPicture(n)) {
            state.SkipWithError("F5 did not start the game");
            break;
        }
    }
    const PictureSize size = kSizes[n - 1];
    state.counters["MP"] = size.width * size.height / 1e6;
    state.counters["png_MB"] = static_cast<double>(library.pictureBytes(n)) / 1e6;
}
BENCHMARK(BM_NextPicture)
    ->ArgNames({"game", "readAhead"})
    ->ArgsProduct({{1, 2}, {kBefore, kAfter}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(4)
    ->UseRealTime();

// The board's part alone: the forced redraw after a game load, which scales
// the picture to the board's picture area.
void BM_BoardRedrawAfterLoad(benchmark::State& state)
{
    const PictureSize size = kSizes[state.range(0) - 1];
    auto game = std::make_unique<gz::GameContent>();
    game->picture = gz::bench::syntheticPhoto(size.width, size.height);
    game->setQuestion("Was ist hier zu sehen?");
    gz::ShowState show;
    gz::BoardRenderer renderer;
    gz::BoardCanvas canvas;
    renderer.loadStarImages();
    renderer.resize(canvas, show, kBoardWidth, kBoardHeight);
    show.revealCount = gz::kRevealHidden;
    for (auto _ : state) {
        renderer.requestFullRedraw(show);
        renderer.renderTick(show, *game, gz::ViewMode::Play, canvas);
        canvas.clearInvalid();
        benchmark::DoNotOptimize(canvas.backBuffer().bits());
    }
    state.counters["MP"] = size.width * size.height / 1e6;
}
BENCHMARK(BM_BoardRedrawAfterLoad)->ArgName("game")->DenseRange(1, 2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
