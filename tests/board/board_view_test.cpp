// The board view's commands without a window: a recording platform answers
// the dialogs, and the demo library (copied) supplies the games.
#include "board/board_view.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <thread>

#include "game/message_box.h"
#include "game/polygon_file.h"
#include "imaging/image_files.h"
#include "shell/settings_memory.h"
#include "show/command_ids.h"
#include "board_test_fixture.h"
#include "board_view_fixture.h"
#include "tests/game/library_fixture.h"

namespace gz {
namespace {

namespace fs = std::filesystem;
using test::BoardViewTest;
using test::FakePlatform;

TEST_F(BoardViewTest, EnableAndTickRulesFollowTheMode)
{
    struct Case { int32_t id; bool playEnabled, drawEnabled, drawChecked; };
    const Case cases[] = {
        {cmd::kNew, false, true, false},
        {cmd::kImportPictures, false, true, false},
        {cmd::kToolMovePoints, false, true, false},
        {cmd::kToolDrawPolygon, false, true, true},   // the initial tool
        {cmd::kToolDelete, false, true, false},
        {cmd::kSave, false, false, false},            // nothing modified
        {cmd::kPicturePath, true, true, false},
        {cmd::kSwitchTime, true, true, false},
        {cmd::kNextGameNumber, true, true, false},
        {cmd::kPolygonInfo, true, true, true},        // PolyInfo defaults to on
        {cmd::kBlackCover, true, true, false},
        {cmd::kStarsLarge, true, true, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(view->isEnabled(c.id), c.playEnabled) << c.id;
    mode(1);
    for (const Case& c : cases) {
        EXPECT_EQ(view->isEnabled(c.id), c.drawEnabled) << c.id;
        EXPECT_EQ(view->isChecked(c.id), c.drawChecked) << c.id;
    }
    view->execute(cmd::kToolMovePoints);
    EXPECT_TRUE(view->isChecked(cmd::kToolMovePoints));
    EXPECT_FALSE(view->isChecked(cmd::kToolDrawPolygon));
}

TEST_F(BoardViewTest, DisabledCommandsDoNothingWhateverTheSource)
{
    view->execute(cmd::kToolDelete);   // outside draw mode: disabled
    mode(1);
    EXPECT_TRUE(view->isChecked(cmd::kToolDrawPolygon));
    mode(0);
    view->execute(cmd::kNew);
    EXPECT_EQ(platform.newPictureShown, -99);
    mode(1);
    view->execute(cmd::kNew);
    EXPECT_EQ(platform.newPictureShown, 1);
}

TEST_F(BoardViewTest, SwitchTimeIsClampedAsAnUnsignedNumber)
{
    struct Case { int32_t entered; uint32_t stored; };
    const Case cases[] = {{1500, 2000}, {12000, 10000}, {-5, 10000}, {7000, 7000}, {2000, 2000}};
    for (const Case& c : cases) {
        platform.values = {c.entered};
        view->execute(cmd::kSwitchTime);
        EXPECT_EQ(view->show().switchTime, c.stored) << c.entered;
    }
    EXPECT_EQ(platform.titles.back(), "Schaltzeit einstellen");
    EXPECT_EQ(platform.prompts.back(), "Weiterschaltzeit in Millisekunden (2000...10000) :");
    platform.values.clear();   // cancel keeps the time
    view->execute(cmd::kSwitchTime);
    EXPECT_EQ(view->show().switchTime, 2000u);
}

TEST_F(BoardViewTest, NextGameNumberWaitsInPlayModeAndLoadsInDrawMode)
{
    platform.values = {5};
    view->execute(cmd::kNextGameNumber);
    EXPECT_EQ(platform.shownValue, 1);             // gameNumber + 1
    EXPECT_EQ(view->game().gameNumber, 4);          // the next F5 loads 5
    EXPECT_EQ(view->game().polygonCount, 0);        // nothing loaded
    view->execute(cmd::kStartNextPicture);
    EXPECT_EQ(view->game().gameNumber, 5);

    view->execute(cmd::kUncoverPicture);
    mode(1);
    platform.values = {3};
    view->execute(cmd::kNextGameNumber);
    EXPECT_EQ(view->game().gameNumber, 3);
    EXPECT_GT(view->game().polygonCount, 0);        // loaded at once

    for (int32_t bad : {3, 1000, -1}) {             // same number, out of range
        platform.values = {bad};
        view->execute(cmd::kNextGameNumber);
        EXPECT_EQ(view->game().gameNumber, 3) << bad;
    }
}

TEST_F(BoardViewTest, StarSizeKeepsTheCounts)
{
    for (int i = 0; i < 7; ++i)
        view->execute(cmd::kLeftStarUp);
    view->execute(cmd::kStarsTwoRows);
    EXPECT_EQ(view->show().stars[0], 7);
    EXPECT_EQ(view->engine().starLimit(), 25);
    EXPECT_TRUE(view->isChecked(cmd::kStarsTwoRows));
    EXPECT_FALSE(view->isChecked(cmd::kStarsLarge));
}

// The window system may size the board, and so draw it, before the window
// counts as created: the stored star size is the layout of that first frame.
TEST_F(BoardViewTest, StoredStarSizeLaysOutTheFirstFrame)
{
    for (int32_t size : {1, 2, 3}) {
        view.reset();
        settings.writeInteger("Software\\Mervo\\GameZinko", "StarSize", static_cast<uint32_t>(size));
        view = std::make_unique<BoardView>(settings, platform, clock, nullptr);
        view->resize(640, 480);
        view->tick();
        view->created();
        view->tick();
        const int strip = size == 1 ? 102 : size == 2 ? 68 : 136;
        const RasterImage& back = view->canvas().backBuffer();
        EXPECT_EQ(back.colourAt(strip, 240), 0xDEDEDEu) << size;
        EXPECT_EQ(back.colourAt(640 - strip - 6, 240), 0xDEDEDEu) << size;
        EXPECT_EQ(view->engine().starLimit(), size == 3 ? 25 : 8) << size;
    }
}

TEST_F(BoardViewTest, PicturePathChooser)
{
    // The stored path keeps its trailing separator until chosen again.
    platform.folderAnswer = "/srv/quiz/Bilder/";
    view->execute(cmd::kPicturePath);
    EXPECT_EQ(platform.titles.back(), "Pfad mit Bildern");
    EXPECT_EQ(view->picturePath(), "/srv/quiz/Bilder");

    view->setPicturePath("/media/stick/");
    EXPECT_EQ(view->picturePath(), "/media/stick");
    EXPECT_EQ(view->rememberedPicturePath(), "/srv/quiz/Bilder");
    platform.folderAnswer.reset();   // cancel
    view->execute(cmd::kPicturePath);
    EXPECT_EQ(platform.chooserStart, "/srv/quiz/Bilder");   // opens at the remembered path
    EXPECT_EQ(view->picturePath(), "/media/stick");
}

// A long picture path is kept across a restart; one too long for the
// settings is refused where it is entered, never lost later without a word.
TEST_F(BoardViewTest, LongPicturePathsAreKeptOrRefusedWhenEntered)
{
    const std::string deep = "/srv/" + std::string(300, 'q') + "/Bilder";
    view->setPicturePath(deep);
    EXPECT_EQ(view->picturePath(), deep);
    view.reset();
    make();
    EXPECT_EQ(view->picturePath(), deep);

    const std::string tooLong = "/" + std::string(kMaxPicPathBytes, 'x');
    platform.boxes.shown.clear();
    view->setPicturePath(tooLong);
    platform.folderAnswer = tooLong;
    view->execute(cmd::kPicturePath);
    ASSERT_EQ(platform.boxes.shown.size(), 2u);
    for (const auto& box : platform.boxes.shown) {
        EXPECT_EQ(box.text, "Der Bilderpfad ist zu lang (h\xF6" "chstens 4095 Bytes) !");
        EXPECT_EQ(box.caption, "Fehler");
    }
    EXPECT_EQ(view->picturePath(), deep);
    EXPECT_EQ(view->rememberedPicturePath(), "");
}

TEST_F(BoardViewTest, MissingPicturePathPostsTheChooser)
{
    EXPECT_TRUE(platform.posted.empty());
    view.reset();
    settings.writeString("Software\\Mervo\\GameZinko", "PicPath", library + "/Game001/Pic.png");   // a file
    make();
    ASSERT_EQ(platform.posted.size(), 1u);
    EXPECT_EQ(platform.posted[0], cmd::kPicturePath);
}

TEST_F(BoardViewTest, ComPortChoice)
{
    platform.textAnswer = "com3";
    view->execute(cmd::kChooseComPort);
    EXPECT_EQ(platform.shownText, "COM1");
    EXPECT_EQ(platform.comPort, 2);
    EXPECT_EQ(view->options().comPort, 2);

    // The dialog speaks Windows-1252; the device path is kept as a file name.
    platform.textAnswer = "/dev/serial/by-id/usb-M\xFCller";
    view->execute(cmd::kChooseComPort);
    EXPECT_EQ(view->options().comDevice, "/dev/serial/by-id/usb-M\xC3\xBCller");
    view->execute(cmd::kChooseComPort);
    EXPECT_EQ(platform.shownText, "/dev/serial/by-id/usb-M\xFCller");
}

// The buttons are stored at the dialog's OK, not at the end of the run; a
// cancelled dialog leaves the store as it was.
TEST_F(BoardViewTest, BuzzerAssignmentIsStoredAtOnceOnOk)
{
    const char* appKey = "Software\\Mervo\\GameZinko";
    BuzzerMapping chosen;
    chosen.bind(0, {kKeyboardDevice, 0x31});
    chosen.bind(5, {"USB Gamepad", 0x130});

    view->execute(cmd::kAssignBuzzers);   // cancelled
    ASSERT_TRUE(platform.buzzerShown.has_value());
    EXPECT_TRUE(platform.buzzerShown->empty());
    EXPECT_EQ(platform.buzzerChanges, 0);
    EXPECT_EQ(settings.find(appKey, "Buzzer0Device"), nullptr);

    platform.buzzerAnswer = chosen;
    view->execute(cmd::kAssignBuzzers);   // in play mode, too
    EXPECT_EQ(platform.buzzerChanges, 1);
    EXPECT_EQ(view->buzzerMapping(), chosen);
    EXPECT_EQ(readBuzzerMapping(settings), chosen);

    platform.buzzerAnswer.reset();
    view->execute(cmd::kAssignBuzzers);
    EXPECT_EQ(*platform.buzzerShown, chosen);   // the dialog starts from what is stored
    view.reset();
    make();
    EXPECT_EQ(view->buzzerMapping(), chosen);
}

TEST_F(BoardViewTest, OptionsAreWrittenWhenTheViewGoes)
{
    platform.values = {3000};
    view->execute(cmd::kSwitchTime);
    view->execute(cmd::kBlackCover);
    view->execute(cmd::kPolygonInfo);
    view->execute(cmd::kStarsSmall);
    view.reset();
    ViewSettings s = readViewSettings(settings);
    EXPECT_EQ(s.switchTime, 3000);
    EXPECT_EQ(s.colorMode, 1);
    EXPECT_EQ(s.polyInfo, 0);
    EXPECT_EQ(s.starSize, 2);
    EXPECT_EQ(s.picPath, library + "/");
}

using test::NullPainter;

// Picking another mode while a polygon is being drawn, or a press beyond the
// board (the mode selector above it, while the drawing holds the mouse),
// ends the drawing as Escape does: the rubber-band point, which followed the
// mouse to the selector, never becomes a corner.
TEST_F(BoardViewTest, LeavingTheBoardWhileDrawingDropsTheRubberBand)
{
    struct Case {
        const char* name;
        std::function<void(BoardView&)> leave;
    };
    const Case cases[] = {
        {"mode Spielen", [](BoardView& v) { v.execute(cmd::kModeFirst + 0); }},
        {"mode Sortieren", [](BoardView& v) { v.execute(cmd::kModeFirst + 2); }},
        {"mode Polygon 3", [](BoardView& v) { v.execute(cmd::kModeFirst + 5); }},
        {"press on the selector", [](BoardView& v) { v.mouse(MouseKind::LeftDown, 200, -20); }},
        {"press right of the board", [](BoardView& v) { v.mouse(MouseKind::LeftDown, 700, 100); }},
    };
    for (const Case& c : cases) {
        mode(0);
        mode(1);
        view->game().clearPolygons();   // no edges to insert into
        NullPainter painter;
        view->paintOverlay(painter);   // the mapping of the picture on the board
        // Three corners near the board's middle (the selector lies above it).
        for (auto [x, y] : {std::pair{300, 200}, {360, 200}, {330, 260}}) {
            view->mouse(MouseKind::Move, x, y);
            view->mouse(MouseKind::LeftDown, x, y);
            view->mouse(MouseKind::LeftUp, x, y);
        }
        view->mouse(MouseKind::Move, 200, -20);   // on its way to the selector
        ASSERT_EQ(view->editor().captureState(), CaptureState::Drawing) << c.name;
        c.leave(*view);
        EXPECT_EQ(view->editor().captureState(), CaptureState::Idle) << c.name;
        ASSERT_EQ(view->game().polygonCount, 1) << c.name;
        const CoverPolygon& drawn = view->game().polygons[0];
        ASSERT_EQ(drawn.pointCount, 3) << c.name;
        for (int i = 0; i < drawn.pointCount; ++i)
            EXPECT_GE(drawn.points[i].y, 0) << c.name << " corner " << i;

        // What is saved is the triangle.
        view->execute(cmd::kSave);
        GameContent back;
        ASSERT_TRUE(view->store().load(1, back));
        ASSERT_EQ(back.polygonCount, 1) << c.name;
        EXPECT_EQ(back.polygons[0].pointCount, 3) << c.name;
    }
}

TEST_F(BoardViewTest, SaveWritesOnlyAModifiedGame)
{
    mode(1);
    ASSERT_EQ(view->game().gameNumber, 1);
    EXPECT_FALSE(view->isEnabled(cmd::kSave));
    view->game().modified = true;
    view->game().polygonCount -= 1;
    ASSERT_TRUE(view->isEnabled(cmd::kSave));
    view->execute(cmd::kSave);
    EXPECT_FALSE(view->game().modified);
    EXPECT_TRUE(platform.boxes.shown.empty());   // no question
    GameContent again;
    ASSERT_TRUE(view->store().load(1, again));
    EXPECT_EQ(again.polygonCount, view->game().polygonCount);
}

}  // namespace
}  // namespace gz

namespace gz {
namespace {

// "Neu" confirmed: the new game is made at the next free number and shown at
// once, running, uncovered in draw mode, with its question in the banner.
TEST_F(BoardViewTest, NewPictureStartsTheCreatedGameInDrawMode)
{
    mode(1);
    clock.now = 777777;
    NewGameRequest request;
    request.pictureFile = library + "/Game002/Pic.png";
    request.question = "Neue Frage?";
    request.answer = "Neue Antwort";
    request.mode = 0;
    request.number = 5;
    platform.newPictureAnswer = request;
    view->execute(cmd::kNew);

    const GameContent& game = view->game();
    EXPECT_EQ(game.gameNumber, 14);   // 5..13 are taken by the demo games
    EXPECT_TRUE(fs::is_regular_file(library + "/Game014/Pic.png"));
    EXPECT_STREQ(game.question, "Neue Frage?");
    EXPECT_EQ(game.polygonCount, 0);
    EXPECT_TRUE(game.modified);
    EXPECT_EQ(view->show().gameRunning, 1);
    EXPECT_EQ(view->show().lastStepTick, 777777u);
    EXPECT_EQ(view->show().revealCount, 0);   // draw mode shows it whole
    EXPECT_TRUE(view->isEnabled(cmd::kSave));
}

}  // namespace
}  // namespace gz

namespace gz {
namespace {

// The next game is read ahead while the show goes on: what F5 loads is read
// through a counting stand-in, so a picture taken from the read-ahead is
// seen as not read a second time.
class ReadAheadViewTest : public BoardViewTest {
protected:
    ReadAheadViewTest() { pictures = &counting; }
    std::string picture(int n) const { return gamePicturePath(view->store().picturePath(), n); }
    int reads(int n) { return counting.loads(picture(n)); }
    void settle() { view->readAhead().waitUntilSettled(); }
    void nextPicture() { view->execute(cmd::kStartNextPicture); }
    // F5 once the read-ahead has settled; how often F5 itself read game n's picture.
    int picturesReadByNextPicture(int n)
    {
        settle();
        const int before = reads(n);
        nextPicture();
        return reads(n) - before;
    }
    void endPicture()
    {
        view->execute(cmd::kStopLeft);
        view->execute(cmd::kUncoverPicture);
    }
    std::string questionOnDisk(const std::string& libraryPath, int n)
    {
        GameContent g;
        parseQuestionFile(testing::readAll(gameQuestionPath(libraryPath, n)), g);
        return g.question;
    }

    ImageFilePictures codecs;
    testing::CountingPictures counting{codecs};
};

TEST_F(ReadAheadViewTest, TheGameF5LoadsIsReadAheadFromTheStartOn)
{
    settle();
    EXPECT_EQ(view->readAhead().heldGame(), 1);
    EXPECT_EQ(picturesReadByNextPicture(1), 0);
    EXPECT_EQ(view->game().gameNumber, 1);
    EXPECT_EQ(view->show().gameRunning, 1);
    EXPECT_STREQ(view->show().bannerText, questionOnDisk(library, 1).c_str());
    EXPECT_EQ(reads(1), 1);

    // While game 1 runs, game 2 is read.
    settle();
    EXPECT_EQ(view->readAhead().heldGame(), 2);
    endPicture();
    EXPECT_EQ(picturesReadByNextPicture(2), 0);
    EXPECT_EQ(view->game().gameNumber, 2);

    // "Nächste Spielnummer" 7 in play mode: game 7 is what F5 loads.
    settle();
    endPicture();
    platform.values = {7};
    view->execute(cmd::kNextGameNumber);
    settle();
    EXPECT_EQ(view->readAhead().heldGame(), 7);
    EXPECT_EQ(picturesReadByNextPicture(7), 0);
    EXPECT_EQ(view->game().gameNumber, 7);
    EXPECT_EQ(reads(3), 1);   // read ahead while game 2 ran, never loaded
}

TEST_F(ReadAheadViewTest, AnotherPicturePathIsReadAheadAndLoadedFromThere)
{
    settle();
    const std::string copy = (root / "Kopie").string();
    fs::copy(library, copy, fs::copy_options::recursive);
    testing::writeAll(gameQuestionPath(copy, 1), "Aus der Kopie\nJa\n");
    view->setPicturePath(copy);
    EXPECT_EQ(picturesReadByNextPicture(1), 0);
    EXPECT_STREQ(view->show().bannerText, "Aus der Kopie");
    EXPECT_EQ(view->game().libraryPath, copy);
    EXPECT_EQ(counting.loads(gamePicturePath(copy, 1)), 1);
}

// The game master edits game 1 and answers the save question when the
// next game starts: the edit is written, the next game comes from the
// read-ahead, and going back to game 1 shows what was saved.
TEST_F(ReadAheadViewTest, ASaveBeforeTheStartAndInBetween)
{
    mode(1);   // loads game 1
    const int32_t polygons = view->game().polygonCount;
    ASSERT_GT(polygons, 1);
    view->game().removePolygon(0);
    view->game().modified = true;
    mode(0);
    endPicture();
    EXPECT_EQ(picturesReadByNextPicture(2), 0);
    ASSERT_EQ(platform.boxes.shown.size(), 1u);
    EXPECT_EQ(platform.boxes.shown[0].text, saveQuestionText(1));
    EXPECT_EQ(view->game().gameNumber, 2);

    endPicture();
    platform.values = {1};
    view->execute(cmd::kNextGameNumber);
    EXPECT_EQ(picturesReadByNextPicture(1), 0);
    EXPECT_EQ(view->game().gameNumber, 1);
    EXPECT_EQ(view->game().polygonCount, polygons - 1);
}

// A game inserted before the next one moves it up a number: F5 loads it
// from its new folder.
TEST_F(ReadAheadViewTest, AGameInsertedInBetweenShiftsTheNextGame)
{
    mode(1);   // game 1, the next one is 2
    settle();
    const std::string second = questionOnDisk(library, 2);
    NewGameRequest request;
    request.pictureFile = library + "/Game005/Pic.png";
    request.question = "Eingeschoben";
    request.answer = "Neu";
    request.mode = static_cast<int32_t>(CreationMode::Insert);
    request.number = 2;
    platform.newPictureAnswer = request;
    view->execute(cmd::kNew);
    ASSERT_EQ(view->game().gameNumber, 2);
    view->execute(cmd::kSave);
    mode(0);
    endPicture();
    EXPECT_EQ(picturesReadByNextPicture(3), 0);
    EXPECT_EQ(view->game().gameNumber, 3);
    EXPECT_STREQ(view->show().bannerText, second.c_str());
}

// Unreadable pictures in all ten numbers after the current game: the
// search finds nothing (or is still at the first when F5 comes), F5 tries
// the ten numbers as ever and ends with "Keine Spiele mehr !"; the next F5
// goes on from there.
TEST_F(ReadAheadViewTest, UnreadableGamesEndInNoMoreGamesWhetherTheSearchEndedOrNot)
{
    const int32_t after = kPictureStartAttempts + 1;
    for (bool pending : {true, false}) {
        SCOPED_TRACE(pending ? "search pending" : "search ended");
        view.reset();
        for (int n = 1; n <= kPictureStartAttempts; ++n)
            testing::writeAll(gamePicturePath(library, n), "kein Bild");
        if (pending)
            counting.closeGate();
        make();
        const int readsBefore = reads(after);
        std::thread opener;
        if (pending) {
            counting.waitUntilEntered(1);
            opener = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                counting.openGate();
            });
        } else {
            settle();
            EXPECT_EQ(view->readAhead().heldGame(), 0);
        }
        nextPicture();
        if (opener.joinable())
            opener.join();
        EXPECT_STREQ(view->show().bannerText, "Keine Spiele mehr !");
        EXPECT_STREQ(view->game().question, "Keine Spiele mehr !");
        EXPECT_STREQ(view->game().answer, "Keine Spiele mehr !");
        EXPECT_EQ(view->game().gameNumber, kPictureStartAttempts);
        EXPECT_EQ(view->show().gameRunning, 0);

        EXPECT_EQ(picturesReadByNextPicture(after), 0);
        EXPECT_EQ(view->game().gameNumber, after);
        EXPECT_EQ(view->show().gameRunning, 1);
        EXPECT_EQ(reads(after) - readsBefore, 1);
    }
}

TEST_F(ReadAheadViewTest, ClosingTheViewWhileAPictureIsReadStopsTheRead)
{
    view.reset();
    counting.closeGate();
    make();
    counting.waitUntilEntered(1);
    view->closing();
    view.reset();
    EXPECT_EQ(counting.aborts(), 1);
    counting.openGate();
}

}  // namespace
}  // namespace gz

namespace gz {
namespace {

// Undo and redo of the cover. Game 1 is given a small known cover (two
// rectangles in the left half, the right half free to draw in), then each
// editor action is undone and redone.
class HistoryViewTest : public BoardViewTest {
protected:
    void SetUp() override
    {
        BoardViewTest::SetUp();
        GameContent game;
        ASSERT_TRUE(view->store().load(1, game));
        w = game.picture.width();
        h = game.picture.height();
        game.clearPolygons();
        addRect(game, {w / 20, h / 10}, {w * 2 / 5, h * 2 / 5});
        addRect(game, {w / 20, h / 2}, {w * 2 / 5, h * 9 / 10});
        ASSERT_TRUE(writePolygonFile(game, w, h, gamePolygonPath(library, 1)));
        open();
    }
    static void addRect(GameContent& game, PolygonPoint a, PolygonPoint b)
    {
        CoverPolygon* p = game.appendPolygon();
        for (PolygonPoint q : {a, PolygonPoint{b.x, a.y}, b, PolygonPoint{a.x, b.y}})
            p->addPoint(q);
    }
    // A fresh view on game 1 in draw mode.
    void open()
    {
        view.reset();
        make();
        mode(1);
        ASSERT_EQ(view->game().gameNumber, 1);
        NullPainter painter;
        view->paintOverlay(painter);
    }
    PolygonPoint board(PolygonPoint picture) const
    {
        return view->renderer().pictureMapping().toBoard(picture);
    }
    PolygonPoint corner(int polygon, int point) const
    {
        return board(view->game().polygons[polygon].points[point]);
    }
    void click(PolygonPoint p)
    {
        view->mouse(MouseKind::Move, p.x, p.y);
        view->mouse(MouseKind::LeftDown, p.x, p.y);
        view->mouse(MouseKind::LeftUp, p.x, p.y);
    }
    void drag(PolygonPoint from, PolygonPoint to)
    {
        view->mouse(MouseKind::Move, from.x, from.y);
        view->mouse(MouseKind::LeftDown, from.x, from.y);
        view->mouse(MouseKind::Move, to.x, to.y);
        view->mouse(MouseKind::LeftUp, to.x, to.y);
    }
    void drawTriangle(PolygonPoint pictureCentre)
    {
        view->execute(cmd::kToolDrawPolygon);
        const PolygonPoint c = board(pictureCentre);
        click(c);
        click({c.x + 40, c.y});
        click({c.x + 20, c.y + 40});
        click(c);   // back on its first corner: closed
    }
    PolygonTable table() const { return PolygonTable::of(view->game()); }

    int w = 0, h = 0;
};

TEST_F(HistoryViewTest, EachEditorActionIsUndoneAndRedoneExactly)
{
    struct Case {
        const char* name;
        std::function<void()> act;
    };
    const Case cases[] = {
        {"move a corner",
         [this] {
             view->execute(cmd::kToolMovePoints);
             const PolygonPoint p = corner(0, 2);
             drag(p, {p.x + 30, p.y + 20});
         }},
        {"snap a corner onto another polygon's",
         [this] {
             view->execute(cmd::kToolMovePoints);
             const PolygonPoint target = corner(1, 0);
             drag(corner(0, 3), {target.x + 2, target.y - 2});
         }},
        {"draw a triangle", [this] { drawTriangle({w * 3 / 4, h / 2}); }},
        {"insert a corner into an edge",
         [this] {
             view->execute(cmd::kToolDrawPolygon);
             const PolygonPoint a = corner(0, 0), b = corner(0, 1);
             const PolygonPoint mid{(a.x + b.x) / 2, a.y};
             click(mid);
             click({mid.x, mid.y - 15});
             view->keyDown(EditorKey::Escape);
         }},
        {"delete a corner",
         [this] {
             view->execute(cmd::kToolDelete);
             click(corner(1, 1));
         }},
        {"delete a polygon at its edge",
         [this] {
             view->execute(cmd::kToolDelete);
             const PolygonPoint a = corner(0, 1), b = corner(0, 2);
             click({a.x, (a.y + b.y) / 2});
         }},
        {"sort click",
         [this] {
             mode(2);
             const PolygonPoint a = corner(1, 0), b = corner(1, 2);
             click({(a.x + b.x) / 2, (a.y + b.y) / 2});
         }},
        {"generate a cover",
         [this] {
             platform.values = {12};
             view->execute(cmd::kGenerateCover);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open();
        const PolygonTable loaded = table();
        EXPECT_FALSE(view->isEnabled(cmd::kUndo));
        EXPECT_FALSE(view->isEnabled(cmd::kRedo));
        c.act();
        ASSERT_EQ(view->editor().captureState(), CaptureState::Idle);
        const PolygonTable changed = table();
        ASSERT_FALSE(changed == loaded);
        EXPECT_TRUE(view->game().modified);
        ASSERT_TRUE(view->isEnabled(cmd::kUndo));

        view->execute(cmd::kUndo);
        EXPECT_TRUE(table() == loaded);
        EXPECT_FALSE(view->game().modified);   // back to what is on disk
        EXPECT_FALSE(view->isEnabled(cmd::kUndo));
        ASSERT_TRUE(view->isEnabled(cmd::kRedo));

        view->execute(cmd::kRedo);
        EXPECT_TRUE(table() == changed);
        EXPECT_TRUE(view->game().modified);
        EXPECT_FALSE(view->isEnabled(cmd::kRedo));
        EXPECT_TRUE(view->game().colourIndexesArePermutation());
    }
}

TEST_F(HistoryViewTest, StepsFollowEachOtherAndANewEditDropsTheRedo)
{
    const PolygonTable loaded = table();
    drawTriangle({w * 3 / 4, h / 4});
    const PolygonTable one = table();
    drawTriangle({w * 3 / 4, h * 3 / 4});
    const PolygonTable two = table();
    ASSERT_EQ(two.polygonCount, loaded.polygonCount + 2);

    view->execute(cmd::kUndo);
    EXPECT_TRUE(table() == one);
    view->execute(cmd::kUndo);
    EXPECT_TRUE(table() == loaded);
    view->execute(cmd::kRedo);
    view->execute(cmd::kRedo);
    EXPECT_TRUE(table() == two);

    view->execute(cmd::kUndo);
    view->execute(cmd::kToolDelete);
    click(corner(0, 0));
    EXPECT_FALSE(view->isEnabled(cmd::kRedo));   // the second triangle is gone for good
    view->execute(cmd::kUndo);
    EXPECT_TRUE(table() == one);
}

TEST_F(HistoryViewTest, ModifiedFollowsTheTableOnDiskAfterASave)
{
    drawTriangle({w * 3 / 4, h / 2});
    const PolygonTable saved = table();
    view->execute(cmd::kSave);
    ASSERT_FALSE(view->game().modified);

    view->execute(cmd::kUndo);   // before the save: differs from the file now
    EXPECT_TRUE(view->game().modified);
    EXPECT_TRUE(view->isEnabled(cmd::kSave));
    view->execute(cmd::kRedo);   // what the file holds
    EXPECT_TRUE(table() == saved);
    EXPECT_FALSE(view->game().modified);
}

TEST_F(HistoryViewTest, UndoWhileDrawingTakesBackTheUnfinishedPolygon)
{
    const PolygonTable loaded = table();
    view->execute(cmd::kToolDrawPolygon);
    const PolygonPoint c = board({w * 3 / 4, h / 2});
    click(c);
    click({c.x + 40, c.y});
    click({c.x + 20, c.y + 40});
    ASSERT_EQ(view->editor().captureState(), CaptureState::Drawing);
    ASSERT_TRUE(view->isEnabled(cmd::kUndo));
    view->execute(cmd::kUndo);
    EXPECT_EQ(view->editor().captureState(), CaptureState::Idle);
    EXPECT_TRUE(table() == loaded);
    EXPECT_FALSE(view->game().modified);
    view->execute(cmd::kRedo);   // the finished triangle
    EXPECT_EQ(view->game().polygonCount, loaded.polygonCount + 1);
}

TEST_F(HistoryViewTest, AnotherGameEndsTheHistoryAndOnlyEditingModesUndo)
{
    drawTriangle({w * 3 / 4, h / 2});
    EXPECT_TRUE(view->isEnabled(cmd::kUndo));
    mode(2);
    EXPECT_TRUE(view->isEnabled(cmd::kUndo));   // sort mode undoes too
    mode(0);
    EXPECT_FALSE(view->isEnabled(cmd::kUndo));
    view->execute(cmd::kUndo);                  // disabled: nothing happens
    EXPECT_EQ(view->game().polygonCount, 3);
    mode(1);
    platform.boxes.answerNext(MessageAnswer::No);   // don't save the triangle
    platform.values = {3};
    view->execute(cmd::kNextGameNumber);
    ASSERT_EQ(view->game().gameNumber, 3);
    EXPECT_FALSE(view->isEnabled(cmd::kUndo));
    EXPECT_FALSE(view->isEnabled(cmd::kRedo));
}

TEST_F(HistoryViewTest, GeneratedCoverAsksForItsSizeAndBeforeReplacing)
{
    const PolygonTable loaded = table();
    struct Case {
        int32_t pieces;
        MessageAnswer replace;
        int32_t expectedCount;   // -1: unchanged
    };
    const Case cases[] = {
        {1, MessageAnswer::Yes, -1},    // refused: "falsch (2..32)"
        {33, MessageAnswer::Yes, -1},
        {20, MessageAnswer::No, -1},    // kept the hand-drawn cover
        {20, MessageAnswer::Yes, 20},
        {2, MessageAnswer::Yes, 2},
        {32, MessageAnswer::Yes, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pieces);
        open();
        platform.boxes.shown.clear();
        platform.values = {c.pieces};
        platform.boxes.answerNext(c.replace);
        view->execute(cmd::kGenerateCover);
        ASSERT_FALSE(platform.boxes.shown.empty());
        if (c.expectedCount < 0) {
            EXPECT_TRUE(table() == loaded);
            EXPECT_FALSE(view->game().modified);
            continue;
        }
        EXPECT_EQ(view->game().polygonCount, c.expectedCount);
        EXPECT_EQ(platform.boxes.shown[0].buttons, MessageButtons::YesNo);
        EXPECT_TRUE(view->game().modified);
        EXPECT_EQ(platform.shownValue, 20);   // the default, then the last one asked for
    }
    // Without polygons there is nothing to replace and no question.
    open();
    view->execute(cmd::kToolDelete);
    while (view->game().polygonCount > 0) {
        const PolygonPoint a = corner(0, 1), b = corner(0, 2);
        click({a.x, (a.y + b.y) / 2});
    }
    platform.boxes.shown.clear();
    platform.values = {5};
    view->execute(cmd::kGenerateCover);
    EXPECT_TRUE(platform.boxes.shown.empty());
    EXPECT_EQ(view->game().polygonCount, 5);
}

TEST_F(BoardViewTest, EditingTitleNamesGameAndMode)
{
    struct Case { int32_t game; int32_t mode; const char* title; };
    const Case cases[] = {
        {7, 1, "Game007 \u2013 Zeichnen"},
        {123, 2, "Game123 \u2013 Sortieren"},
        {3, 5, "Game003 \u2013 Polygon 3"},
        {0, 1, "Kein Spiel \u2013 Zeichnen"},
        {7, 0, ""},   // play mode keeps the document's title
    };
    for (const Case& c : cases)
        EXPECT_EQ(editingWindowTitle(c.game, static_cast<ViewMode>(c.mode)), c.title) << c.game;
    mode(1);
    EXPECT_EQ(view->editingTitle(), "Game001 \u2013 Zeichnen");

    // A library without games: the search stops at some number, but no
    // game is open.
    const std::string empty = (root / "Leer").string();
    fs::create_directories(empty);
    view.reset();
    make();
    view->setPicturePath(empty);
    mode(1);
    ASSERT_GT(view->game().gameNumber, 0);
    EXPECT_EQ(view->editingTitle(), "Kein Spiel \u2013 Zeichnen");
}

TEST_F(BoardViewTest, BannerShowsTheEditedGamesQuestionAndPlayModeGetsItsTextBack)
{
    view->execute(cmd::kStartNextPicture);
    ASSERT_EQ(view->game().gameNumber, 1);
    const std::string question1 = view->game().question;
    view->show().setBanner(view->game().answer);   // as after uncovering
    const std::string answer1 = view->game().answer;
    mode(1);
    EXPECT_EQ(std::string(view->show().bannerText), question1);
    mode(2);
    EXPECT_EQ(std::string(view->show().bannerText), question1);
    mode(0);
    EXPECT_EQ(std::string(view->show().bannerText), answer1);

    mode(1);
    platform.values = {3};
    view->execute(cmd::kNextGameNumber);
    ASSERT_EQ(view->game().gameNumber, 3);
    const std::string question3 = view->game().question;
    EXPECT_EQ(std::string(view->show().bannerText), question3);
    mode(0);   // another game now: not the first game's answer
    EXPECT_EQ(std::string(view->show().bannerText), question3);
}

// "Bilder importieren" in draw mode: the platform's dialogs answer, the
// batch runs on another thread, one summary box follows.
class ImportViewTest : public BoardViewTest {
protected:
    std::string photo(const std::string& name) const
    {
        const fs::path folder = root / "Fotos";
        fs::create_directories(folder);
        RasterImage image;
        EXPECT_TRUE(image.create(24, 40, 30, 0x336699));
        const std::string path = (folder / name).string();
        EXPECT_EQ(saveImageFile(path, image), 0);
        return path;
    }
    ImportRequest answer(std::vector<std::string> files) const
    {
        ImportRequest r;
        r.files = std::move(files);
        r.question = "Welche Stadt ist das?";
        r.pieces = 5;
        r.seed = 42;
        return r;
    }
    const std::string& libraryPath() { return view->store().picturePath(); }
};

TEST_F(ImportViewTest, MakesGamesAfterTheBoardGameAndLeavesThatGameAsItIs)
{
    mode(1);
    ASSERT_EQ(view->game().gameNumber, 1);
    view->game().modified = true;   // an edit not saved yet
    const int32_t polygons = view->game().polygonCount;
    const std::string broken = (root / "kaputt.png").string();
    testing::writeAll(broken, "kein Bild");
    platform.importAnswer = answer({photo("Berlin_Mitte.png"), broken, photo("Rom.png")});
    ASSERT_TRUE(view->execute(cmd::kImportPictures));

    ASSERT_TRUE(platform.importedRequest);
    EXPECT_EQ(platform.importedRequest->startNumber, 1);
    EXPECT_EQ(platform.importSteps.size(), 3u);
    // The one box: the summary, no question about saving game 1.
    ASSERT_EQ(platform.boxes.shown.size(), 1u);
    const auto& box = platform.boxes.shown[0];
    EXPECT_EQ(box.caption, "Bilder importieren");
    EXPECT_EQ(box.text, "2 Bilder wurden als neue Spiele angelegt (Game014 und Game015).\n\n"
                        "Dieses Bild konnte nicht geladen werden:\nkaputt.png");
    EXPECT_EQ(box.icon, MessageIcon::Warning);
    EXPECT_EQ(box.buttons, MessageButtons::Ok);

    // The read-ahead looks for the next game again (before the loads below drop it).
    EXPECT_TRUE(view->readAhead().isSearching(libraryPath(), 2, kPictureStartAttempts));
    EXPECT_EQ(view->game().gameNumber, 1);
    EXPECT_TRUE(view->game().modified);
    EXPECT_EQ(view->game().polygonCount, polygons);
    GameContent made;
    ASSERT_TRUE(view->store().load(14, made));
    EXPECT_STREQ(made.answer, "Berlin Mitte");
    EXPECT_STREQ(made.question, "Welche Stadt ist das?");
    EXPECT_EQ(made.polygonCount, 5);
    ASSERT_TRUE(view->store().load(15, made));
    EXPECT_STREQ(made.answer, "Rom");
}

TEST_F(ImportViewTest, TheBoardGamesNumberIsNotGivenAwayWhenItsFolderIsGone)
{
    mode(1);
    fs::remove_all(gameFolderPath(libraryPath(), 1));
    platform.importAnswer = answer({photo("a.png")});
    view->execute(cmd::kImportPictures);
    EXPECT_FALSE(fs::exists(gameFolderPath(libraryPath(), 1)));
    EXPECT_TRUE(fs::exists(gamePolygonPath(libraryPath(), 14)));
}

TEST_F(ImportViewTest, OnlyDrawModeAsksAndACancelledDialogChangesNothing)
{
    platform.importAnswer = answer({photo("a.png")});
    view->execute(cmd::kImportPictures);   // play mode
    EXPECT_EQ(platform.importAsked, 0);

    mode(1);
    platform.importAnswer.reset();
    view->execute(cmd::kImportPictures);
    EXPECT_EQ(platform.importAsked, 1);
    EXPECT_FALSE(platform.importedRequest);
    EXPECT_TRUE(platform.boxes.shown.empty());
    EXPECT_FALSE(fs::exists(gameFolderPath(libraryPath(), 14)));
}

}  // namespace
}  // namespace gz
