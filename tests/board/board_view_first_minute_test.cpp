// A newcomer's first minute on the board: the empty banner tells what to do
// until the first picture starts, and never again in that run. And a
// picture path that takes no new files is told before "Neu" or "Bilder
// importieren" asks for anything.
#include <gtest/gtest.h>

#include <string>

#include "board_test_fixture.h"
#include "board_view_fixture.h"
#include "game/cp1252.h"
#include "game/file_system_faults.h"

namespace gz {
namespace {

using test::BoardViewTest;
namespace fs = std::filesystem;

class FirstMinuteTest : public BoardViewTest {
protected:
    // The banner band of the view's board as drawn now.
    std::vector<uint32_t> bannerOf(const RasterImage& board) const
    {
        const BoardRect r = bannerRect(view->renderer().layout(), board.width());
        std::vector<uint32_t> pixels;
        for (int y = 0; y < kBannerHeight; ++y)
            for (int x = r.x; x < r.x + r.w; ++x)
                pixels.push_back(board.colourAt(x, y) & 0xFFFFFF);
        return pixels;
    }
    std::vector<uint32_t> shownBanner()
    {
        view->tick();
        return bannerOf(view->canvas().backBuffer());
    }
    // The banner band of a board whose show has `text` as its banner.
    std::vector<uint32_t> bannerWithText(const std::string& cp1252Text)
    {
        ShowState show;
        show.setBanner(cp1252Text);
        GameContent empty;
        RasterImage board;
        test::renderFromScratch(show, empty, ViewMode::Play, 640, 480, view->options().starSize, RenderOptions{},
                                board);
        return bannerOf(board);
    }
};

TEST_F(FirstMinuteTest, TheHintFillsTheEmptyBannerUntilTheFirstPictureStarts)
{
    ASSERT_TRUE(view->newcomerHint());
    ASSERT_STREQ(view->show().bannerText, "");
    const std::string hint = cp1252::fromUtf8(kNewcomerHint);
    EXPECT_EQ(hint, "F5: erstes Bild starten \xB7 F7/F8: Buzzer \xB7 F1\x96" "F4: Sterne \xB7 F10: Vollbild");
    EXPECT_EQ(shownBanner(), bannerWithText(hint));
    EXPECT_NE(shownBanner(), bannerWithText("")) << "the hint shows ink";

    // What the show does before a picture runs leaves it.
    view->execute(cmd::kLeftStarUp);
    view->execute(cmd::kStopLeft);
    EXPECT_TRUE(view->newcomerHint());

    view->execute(cmd::kStartNextPicture);
    EXPECT_FALSE(view->newcomerHint());
    EXPECT_EQ(shownBanner(), bannerWithText(view->game().question));

    // Never again in this run, not even over an empty banner.
    view->execute(cmd::kStopLeft);
    view->execute(cmd::kUncoverPicture);
    EXPECT_EQ(shownBanner(), bannerWithText(view->game().answer));
    view->show().setBanner("");
    EXPECT_EQ(shownBanner(), bannerWithText(""));
    EXPECT_FALSE(view->newcomerHint());
}

// Every way a picture starts ends the hint: the next picture, a mode that
// loads the first game, and a start that finds no game at all.
TEST_F(FirstMinuteTest, EveryFirstStartEndsTheHint)
{
    struct Case {
        const char* name;
        bool emptyLibrary;
        int command;
        const char* banner;   // null: the first game's question
    };
    const Case cases[] = {
        {"F5", false, cmd::kStartNextPicture, nullptr},
        {"Zeichnen", false, cmd::kModeFirst + 1, nullptr},
        {"Sortieren", false, cmd::kModeFirst + 2, nullptr},
        {"F5 without games", true, cmd::kStartNextPicture, kNoMoreGamesText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view.reset();
        if (c.emptyLibrary) {
            fs::create_directories(root / "Leer");
            settings.writeString("Software\\Mervo\\GameZinko", "PicPath", (root / "Leer").string());
        }
        make();
        ASSERT_TRUE(view->newcomerHint());
        view->execute(c.command);
        EXPECT_FALSE(view->newcomerHint());
        EXPECT_EQ(shownBanner(), bannerWithText(c.banner ? c.banner : view->game().question));
    }
}

// The library as a read-only medium shows it to anyone, root included.
class ReadOnlyLibraryViewTest : public FirstMinuteTest {
protected:
    ReadOnlyLibraryViewTest()
    {
        fileSystem = &faulty;
        faulty.failOn(FaultyFileSystem::Op::WriteFile, "/Games/", FsStatus::Denied);
        faulty.failOn(FaultyFileSystem::Op::CreateFolders, "/Games/", FsStatus::Denied);
        faulty.failOn(FaultyFileSystem::Op::RenameFolder, "/Games/", FsStatus::Denied);
    }
    PosixFileSystem posix;
    FaultyFileSystem faulty{posix};
};

TEST_F(ReadOnlyLibraryViewTest, NewAndImportSayItBeforeAskingAnything)
{
    mode(1);
    ASSERT_EQ(view->game().gameNumber, 1);
    NewGameRequest request;
    request.pictureFile = library + "/Game002/Pic.png";
    request.question = "Neue Frage?";
    platform.newPictureAnswer = request;
    view->execute(cmd::kNew);
    EXPECT_EQ(platform.newPictureShown, -99) << "the dialog never opened";
    view->execute(cmd::kImportPictures);
    EXPECT_EQ(platform.importAsked, 0);

    // The picture path as the view keeps it (the fixture's ends in a separator).
    const std::string text = readOnlyFolderText(view->store().picturePath());
    ASSERT_EQ(platform.boxes.shown.size(), 2u);
    for (const auto& box : platform.boxes.shown) {
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.caption, "Fehler");
    }
    EXPECT_FALSE(fs::exists(library + "/Game014"));
    EXPECT_EQ(view->game().gameNumber, 1);

    // An edit cannot be saved there either, and stays.
    platform.boxes.shown.clear();
    view->game().modified = true;
    view->execute(cmd::kSave);
    ASSERT_EQ(platform.boxes.shown.size(), 1u);
    EXPECT_EQ(platform.boxes.shown[0].text, text);
    EXPECT_TRUE(view->game().modified);
}

}  // namespace
}  // namespace gz
