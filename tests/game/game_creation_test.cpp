#include "game/game_creation.h"

#include <gtest/gtest.h>

#include <set>

#include "game/file_system_faults.h"
#include "imaging/image_files.h"
#include "library_fixture.h"
#include "tests/imaging/image_colours.h"

namespace gz {
namespace {

using testing::FakePictures;
using testing::TempLibrary;
using testing::readAll;
using testing::writeAll;
namespace stdfs = std::filesystem;

class CreationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(lib.root().empty());
        store.setPicturePath(lib.root());
        source = lib.path("quelle.pic");
        writeAll(source, testing::fakePicture(80, 60, 0x123456));
    }

    NewGameRequest request(int32_t mode, int32_t number) const
    {
        NewGameRequest r;
        r.pictureFile = source;
        r.question = "Welches Land hat diese Flagge?";
        r.answer = "Italien";
        r.mode = mode;
        r.number = number;
        return r;
    }

    CreationResult create(int32_t mode, int32_t number) { return createGame(store, request(mode, number), game); }

    // The one error box shown, or "" when none (more than one fails the test).
    std::string errorShown() const
    {
        if (boxes.shown.empty())
            return "";
        EXPECT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown.back().caption, "Fehler");
        EXPECT_EQ(boxes.shown.back().buttons, MessageButtons::Ok);
        EXPECT_EQ(boxes.shown.back().icon, MessageIcon::Error);
        return boxes.shown.back().text;
    }

    void expectNewGameAt(int32_t t)
    {
        EXPECT_EQ(game.gameNumber, t);
        EXPECT_TRUE(game.modified);
        EXPECT_EQ(game.polygonCount, 0);
        EXPECT_STREQ(game.question, "Welches Land hat diese Flagge?");
        EXPECT_STREQ(game.answer, "Italien");
        EXPECT_EQ(game.picture.width(), 80);
        EXPECT_EQ(readAll(gamePicturePath(lib.root(), t)), testing::fakePicture(80, 60, 0x123456));
        EXPECT_EQ(lib.question(t), "Welches Land hat diese Flagge?\nItalien\n");
        EXPECT_FALSE(stdfs::exists(gamePolygonPath(lib.root(), t)));   // written by the next save
    }

    TempLibrary lib;
    PosixFileSystem posix;
    FaultyFileSystem faulty{posix};
    FakePictures pictures;
    ScriptedMessageBoxes boxes;
    GameFolderStore store{faulty, pictures, boxes};
    GameContent game;
    std::string source;
};

TEST_F(CreationTest, NextFreeNumber)
{
    struct Case {
        std::vector<int> games;
        int32_t n;
        int32_t target;   // 0: fails with the number message
    };
    const Case cases[] = {
        {{}, 1, 1},
        {{}, 0, 1},
        {{}, -4, 1},
        {{1, 2, 4}, 1, 3},
        {{5}, 5, 6},
        {{}, 999, 999},
        {{998, 999}, 998, 0},
        {{}, 1000, 0},
    };
    for (const Case& c : cases) {
        TempLibrary fresh;
        store.setPicturePath(fresh.root());
        for (int g : c.games)
            fresh.addGame(g);
        boxes.shown.clear();
        game = GameContent();
        CreationResult r = createGame(store, request(0, c.n), game);
        if (c.target == 0) {
            EXPECT_EQ(r, CreationResult::BadNumber) << c.n;
            EXPECT_EQ(errorShown(), "Die Bildenummer ist falsch (1..999) !");
            EXPECT_EQ(game.gameNumber, 0);
        } else {
            EXPECT_EQ(r, CreationResult::Created) << c.n;
            EXPECT_EQ(errorShown(), "");
            EXPECT_EQ(game.gameNumber, c.target) << c.n;
            EXPECT_EQ(fresh.question(c.target), "Welches Land hat diese Flagge?\nItalien\n");
        }
    }
}

// A folder without a polygon file is free, unless it holds a picture: a
// game created and never saved must not be replaced without a word.
TEST_F(CreationTest, NextFreeSkipsAFolderThatHoldsAPicture)
{
    struct Case {
        const char* name;
        std::vector<const char*> filesInFolder2;
        int32_t target;
    };
    const Case cases[] = {
        {"empty folder", {}, 2},
        {"question only", {"Pic.txt"}, 2},
        {"created, never saved", {"Pic.png", "Pic.txt"}, 3},
        {"picture only", {"Pic.png"}, 3},
    };
    for (const Case& c : cases) {
        TempLibrary fresh;
        store.setPicturePath(fresh.root());
        fresh.addGame(1);
        stdfs::create_directories(gameFolderPath(fresh.root(), 2));
        for (const char* f : c.filesInFolder2)
            writeAll(gameFolderPath(fresh.root(), 2) + "/" + f, "alter Rest");
        boxes.shown.clear();
        game = GameContent();
        ASSERT_EQ(createGame(store, request(0, 1), game), CreationResult::Created) << c.name;
        EXPECT_EQ(game.gameNumber, c.target) << c.name;
        EXPECT_EQ(readAll(gamePicturePath(fresh.root(), c.target)), testing::fakePicture(80, 60, 0x123456))
            << c.name;
        if (c.target != 2) {
            for (const char* f : c.filesInFolder2)
                EXPECT_EQ(readAll(gameFolderPath(fresh.root(), 2) + "/" + f), "alter Rest") << c.name;
        }
    }
}

// Insert at a folder that holds only a picture moves it up like a game.
TEST_F(CreationTest, InsertMovesAPictureWithoutPolygonFileUp)
{
    lib.addGame(3);
    std::filesystem::remove(gamePolygonPath(lib.root(), 3));   // created, never saved
    lib.addGame(4);
    EXPECT_EQ(create(1, 3), CreationResult::Created);
    EXPECT_EQ(errorShown(), "");
    EXPECT_EQ(readAll(gamePicturePath(lib.root(), 4)), testing::fakePicture(40, 30, 3));
    EXPECT_EQ(lib.question(4), "Frage 3\nAntwort 3\n");
    EXPECT_EQ(lib.question(5), "Frage 4\nAntwort 4\n");
    expectNewGameAt(3);
}

TEST_F(CreationTest, InsertShiftsGamesUpFromTheTop)
{
    for (int n : {3, 4, 5})
        lib.addGame(n);
    lib.addGame(7);
    EXPECT_EQ(create(1, 3), CreationResult::Created);
    EXPECT_EQ(errorShown(), "");
    std::vector<std::string> renames;
    for (const std::string& line : faulty.log())
        if (line.rfind("renameFolder ", 0) == 0)
            renames.push_back(stdfs::path(line.substr(13)).filename().string());
    EXPECT_EQ(renames, (std::vector<std::string>{"Game005", "Game004", "Game003"}));
    EXPECT_EQ(lib.question(4), "Frage 3\nAntwort 3\n");
    EXPECT_EQ(lib.question(5), "Frage 4\nAntwort 4\n");
    EXPECT_EQ(lib.question(6), "Frage 5\nAntwort 5\n");
    EXPECT_EQ(lib.question(7), "Frage 7\nAntwort 7\n");
    expectNewGameAt(3);
}

TEST_F(CreationTest, InsertAtAFreeNumberMovesNothing)
{
    lib.addGame(1);
    lib.addGame(3);
    EXPECT_EQ(create(1, 2), CreationResult::Created);
    for (const std::string& line : faulty.log())
        EXPECT_NE(line.rfind("renameFolder", 0), 0u) << line;
    expectNewGameAt(2);
    EXPECT_EQ(lib.question(3), "Frage 3\nAntwort 3\n");
}

TEST_F(CreationTest, InsertFailsWhenTheFreeNumbersFolderExists)
{
    lib.addGame(3);
    lib.addGame(4);
    stdfs::create_directories(gameFolderPath(lib.root(), 5));   // left by an earlier failed create
    const auto before = lib.inventory();
    EXPECT_EQ(create(1, 3), CreationResult::InsertFailed);
    EXPECT_EQ(errorShown(), "Es gab einen Fehler beim Einf\xFCgen !");
    EXPECT_EQ(lib.inventory(), before);
    EXPECT_EQ(game.gameNumber, 0);
    EXPECT_FALSE(game.modified);
}

TEST_F(CreationTest, InsertWithoutAFreeNumber)
{
    struct Case { std::vector<int> games; int32_t n; };
    const Case cases[] = {{{998, 999}, 998}, {{999}, 999}};
    for (const Case& c : cases) {
        TempLibrary fresh;
        store.setPicturePath(fresh.root());
        for (int g : c.games)
            fresh.addGame(g);
        boxes.shown.clear();
        EXPECT_EQ(createGame(store, request(1, c.n), game), CreationResult::NoFreeSlot) << c.n;
        EXPECT_EQ(errorShown(), "Es wurde kein freier Platz gefunden !");
    }
    // 1000 is not occupied: it becomes the target and fails the range check.
    boxes.shown.clear();
    EXPECT_EQ(create(1, 1000), CreationResult::BadNumber);
    EXPECT_EQ(errorShown(), "Die Bildenummer ist falsch (1..999) !");
}

// A rename fails in the middle of the shift: the operation stops with the
// error, and every game that existed is still in exactly one Game folder.
TEST_F(CreationTest, InsertFailingPartWayKeepsEveryGameReachable)
{
    struct Case { const char* failingFolder; };
    const Case cases[] = {{"Game005"}, {"Game004"}, {"Game003"}};
    for (const Case& c : cases) {
        TempLibrary fresh;
        store.setPicturePath(fresh.root());
        for (int n : {3, 4, 5})
            fresh.addGame(n);
        std::multiset<std::string> gamesBefore;
        for (const auto& [n, q] : fresh.inventory())
            gamesBefore.insert(q);
        faulty.clearFaults();
        faulty.failOn(FaultyFileSystem::Op::RenameFolder, c.failingFolder, FsStatus::Denied);
        boxes.shown.clear();
        game = GameContent();

        EXPECT_EQ(createGame(store, request(1, 3), game), CreationResult::InsertFailed) << c.failingFolder;
        EXPECT_EQ(errorShown(), "Es gab einen Fehler beim Einf\xFCgen !");
        std::multiset<std::string> gamesAfter;
        for (const auto& [n, q] : fresh.inventory())
            gamesAfter.insert(q);
        EXPECT_EQ(gamesAfter, gamesBefore) << c.failingFolder;
        EXPECT_EQ(game.gameNumber, 0);
        // Each remaining game still loads.
        for (const auto& [n, q] : fresh.inventory()) {
            GameContent g;
            EXPECT_TRUE(store.load(n, g)) << c.failingFolder << " " << n;
        }
    }
    faulty.clearFaults();
}

TEST_F(CreationTest, OverwriteReplacesPictureAndQuestionButKeepsThePolygonsUntilSaved)
{
    lib.addGame(4, 40, 30, 3);
    const std::string oldSvg = readAll(gamePolygonPath(lib.root(), 4));
    EXPECT_EQ(create(2, 4), CreationResult::Created);
    EXPECT_EQ(game.gameNumber, 4);
    EXPECT_EQ(readAll(gamePicturePath(lib.root(), 4)), testing::fakePicture(80, 60, 0x123456));
    EXPECT_EQ(lib.question(4), "Welches Land hat diese Flagge?\nItalien\n");
    EXPECT_EQ(readAll(gamePolygonPath(lib.root(), 4)), oldSvg);

    EXPECT_EQ(store.save(true, game), SaveResult::Saved);   // asks; the script answers Yes
    GameContent back;
    ASSERT_TRUE(store.load(4, back));
    EXPECT_EQ(back.polygonCount, 0);
}

TEST_F(CreationTest, OverwriteRangeAndOtherModes)
{
    struct Case { int32_t mode; int32_t n; bool ok; };
    const Case cases[] = {
        {2, 0, false}, {2, -1, false}, {2, 1000, false}, {2, 1, true}, {2, 999, true},
        {7, 12, true}, {-1, 0, false},   // any other mode overwrites
    };
    for (const Case& c : cases) {
        boxes.shown.clear();
        game = GameContent();
        CreationResult r = create(c.mode, c.n);
        EXPECT_EQ(r == CreationResult::Created, c.ok) << c.mode << "/" << c.n;
        if (!c.ok) {
            EXPECT_EQ(errorShown(), "Die Bildenummer ist falsch (1..999) !");
            EXPECT_FALSE(stdfs::exists(gameFolderPath(lib.root(), c.n)));
        } else {
            EXPECT_EQ(game.gameNumber, c.n);
        }
    }
}

TEST_F(CreationTest, TheGamesOwnPictureIsNotCopiedOntoItself)
{
    lib.addGame(6);
    source = gamePicturePath(lib.root(), 6);
    EXPECT_EQ(create(2, 6), CreationResult::Created);
    EXPECT_TRUE(pictures.saves.empty());
    EXPECT_EQ(game.picture.width(), 40);
    // The same file by another spelling is copied, safely.
    source = lib.root() + "/./Game006/Pic.png";
    EXPECT_EQ(create(2, 6), CreationResult::Created);
    EXPECT_EQ(pictures.saves.size(), 1u);
    EXPECT_EQ(readAll(gamePicturePath(lib.root(), 6)), testing::fakePicture(40, 30, 6));
}

// Inserting at N with N's own picture as the source: that file moves on
// to N+1 with the shift, and the new game N must still get its picture.
TEST_F(CreationTest, InsertWithTheShiftedGamesOwnPictureCopiesIt)
{
    lib.addGame(3, 40, 30);
    lib.addGame(4, 50, 20);
    source = gamePicturePath(lib.root(), 3);
    EXPECT_EQ(create(1, 3), CreationResult::Created);
    EXPECT_EQ(errorShown(), "");
    EXPECT_EQ(readAll(gamePicturePath(lib.root(), 3)), testing::fakePicture(40, 30, 3));
    EXPECT_EQ(readAll(gamePicturePath(lib.root(), 4)), testing::fakePicture(40, 30, 3));
    EXPECT_EQ(lib.question(4), "Frage 3\nAntwort 3\n");
    EXPECT_EQ(readAll(gamePicturePath(lib.root(), 5)), testing::fakePicture(50, 20, 4));

    // Saved, the new game is a whole game that loads.
    EXPECT_EQ(store.save(false, game), SaveResult::Saved);
    GameContent back;
    ASSERT_TRUE(store.load(3, back));
    EXPECT_EQ(back.picture.width(), 40);
    EXPECT_STREQ(back.question, "Welches Land hat diese Flagge?");
}

// A game is saved into the library it was created in, even after the
// picture path has been changed to another library.
TEST_F(CreationTest, ACreatedGameIsSavedWhereItWasCreated)
{
    TempLibrary other;
    other.addGame(1);
    const std::string otherSvg = readAll(gamePolygonPath(other.root(), 1));
    ASSERT_EQ(create(0, 1), CreationResult::Created);
    store.setPicturePath(other.root());
    EXPECT_EQ(store.save(false, game), SaveResult::Saved);
    EXPECT_TRUE(stdfs::exists(gamePolygonPath(lib.root(), 1)));
    EXPECT_EQ(other.question(1), "Frage 1\nAntwort 1\n");
    EXPECT_EQ(readAll(gamePolygonPath(other.root(), 1)), otherSvg);
}

TEST_F(CreationTest, UnreadablePictureChangesNothing)
{
    lib.addGame(3);
    lib.addGame(4);
    const auto before = lib.inventory();
    writeAll(source, "kein Bild");
    game.picture.create(24, 7, 7);
    game.setQuestion("aktuelles Spiel");
    for (int mode : {0, 1, 2}) {
        boxes.shown.clear();
        EXPECT_EQ(create(mode, 3), CreationResult::PictureUnreadable) << mode;
        EXPECT_EQ(errorShown(), "Das Bild konnte nicht geladen werden !");
        EXPECT_EQ(lib.inventory(), before) << mode;   // no folder moved, none made
        EXPECT_EQ(game.picture.width(), 7);
        EXPECT_STREQ(game.question, "aktuelles Spiel");
    }
}

TEST_F(CreationTest, PictureThatCannotBeSavedKeepsTheOldOne)
{
    lib.addGame(5);
    const std::string oldPicture = readAll(gamePicturePath(lib.root(), 5));
    pictures.failSavePart = "Pic.png";
    EXPECT_EQ(create(2, 5), CreationResult::PictureNotSaved);
    EXPECT_EQ(errorShown(), "Es gab einen Fehler beim Speichern des Bildes !");
    EXPECT_EQ(readAll(gamePicturePath(lib.root(), 5)), oldPicture);
    EXPECT_FALSE(stdfs::exists(gameFolderPath(lib.root(), 5) + "/.~Pic.png"));
    EXPECT_EQ(lib.question(5), "Frage 5\nAntwort 5\n");
    EXPECT_EQ(game.gameNumber, 0);
}

TEST_F(CreationTest, AModifiedCurrentGameIsSavedFirst)
{
    lib.addGame(2, 40, 30, 1);
    ASSERT_TRUE(store.load(2, game));
    game.gameNumber = 2;
    game.setQuestion("bearbeitet");
    game.modified = true;
    EXPECT_EQ(create(0, 1), CreationResult::Created);
    ASSERT_GE(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Speichern");
    EXPECT_EQ(lib.question(2), "bearbeitet\nAntwort 2\n");
    EXPECT_EQ(game.gameNumber, 1);

    // A save that fails stops the creation: the edits are still in memory.
    game.setQuestion("wieder bearbeitet");
    game.modified = true;
    faulty.failOn(FaultyFileSystem::Op::WriteFile, "Game001", FsStatus::NoSpace);
    boxes.shown.clear();
    EXPECT_EQ(create(0, 1), CreationResult::CurrentGameNotSaved);
    EXPECT_EQ(game.gameNumber, 1);
    EXPECT_STREQ(game.question, "wieder bearbeitet");
    EXPECT_TRUE(game.modified);
    faulty.clearFaults();
}

TEST_F(CreationTest, WaitCursorIsShownAndRemoved)
{
    EXPECT_EQ(create(2, 0), CreationResult::BadNumber);
    EXPECT_EQ(boxes.waitCursorChanges, (std::vector<bool>{true, false}));
}

// Shrinking happens only when asked, and only to pictures that do not fit
// within 3840 x 2160; the aspect ratio stays. Without the flag every
// picture is taken as it is.
TEST_F(CreationTest, LargePicturesShrinkToScreenSizeOnlyWhenAsked)
{
    struct Case { const char* what; int w, h; int shrunkW, shrunkH; };
    const Case cases[] = {
        {"landscape", 5000, 1000, 3840, 768},
        {"portrait", 1000, 3000, 720, 2160},
        {"exactly the screen", 3840, 2160, 3840, 2160},
        {"one column too wide", 3841, 2160, 3840, 2159},
        {"one row too high", 3840, 2161, 3838, 2160},
        {"tiny", 20, 10, 20, 10},
    };
    for (const Case& c : cases) {
        writeAll(source, testing::fakePicture(c.w, c.h, 0x123456));
        for (bool shrink : {false, true}) {
            NewGameRequest r = request(2, 1);
            r.shrinkToScreen = shrink;
            game = GameContent();
            ASSERT_EQ(createGame(store, r, game), CreationResult::Created) << c.what;
            const int w = shrink ? c.shrunkW : c.w, h = shrink ? c.shrunkH : c.h;
            EXPECT_EQ(game.picture.width(), w) << c.what << " shrink " << shrink;
            EXPECT_EQ(game.picture.height(), h) << c.what << " shrink " << shrink;
            EXPECT_EQ(readAll(gamePicturePath(lib.root(), 1)), testing::fakePicture(w, h, 0x123456))
                << c.what << " shrink " << shrink;
            EXPECT_EQ(lib.question(1), "Welches Land hat diese Flagge?\nItalien\n");
        }
    }
    EXPECT_EQ(errorShown(), "");
}

// The game's own Pic.png as the source is not copied onto itself, unless it
// was shrunk: the file must be the picture the polygons are drawn on.
TEST_F(CreationTest, TheGamesOwnPictureIsWrittenWhenShrunk)
{
    struct Case { int w, h; bool written; };
    const Case cases[] = {{5000, 1000, true}, {400, 300, false}};
    for (const Case& c : cases) {
        lib.addGame(6, c.w, c.h);
        source = gamePicturePath(lib.root(), 6);
        pictures.saves.clear();
        NewGameRequest r = request(2, 6);
        r.shrinkToScreen = true;
        ASSERT_EQ(createGame(store, r, game), CreationResult::Created) << c.w;
        EXPECT_EQ(pictures.saves.size(), c.written ? 1u : 0u) << c.w;
        EXPECT_EQ(readAll(gamePicturePath(lib.root(), 6)),
                  testing::fakePicture(game.picture.width(), game.picture.height(), 6))
            << c.w;
    }
}

// With the real codecs: any readable picture becomes a PNG named Pic.png.
TEST(CreationWithCodecs, SourcePictureIsStoredAsPng)
{
    TempLibrary lib;
    PosixFileSystem posix;
    ImageFilePictures pictures;
    ScriptedMessageBoxes boxes;
    GameFolderStore store(posix, pictures, boxes);
    store.setPicturePath(lib.root() + "/Spiele");

    RasterImage img;
    ASSERT_TRUE(img.create(24, 16, 8, 0x2040C0));
    img.fillRect(0, 0, 8, 8, 0xFF0000);
    for (const char* name : {"quelle.bmp", "quelle.jpg"}) {
        std::string src = lib.path(name);
        ASSERT_EQ(saveImageFile(src, img), 0) << name;
        NewGameRequest r;
        r.pictureFile = src;
        r.question = "Form?";
        r.answer = "Rechteck";
        r.mode = 0;
        r.number = 1;
        GameContent game;
        ASSERT_EQ(createGame(store, r, game), CreationResult::Created) << name << " " << imageFileLastError();
        std::string png = readAll(gamePicturePath(store.picturePath(), game.gameNumber));
        ASSERT_GE(png.size(), 8u);
        EXPECT_EQ(png.substr(1, 3), "PNG") << name;
        RasterImage back;
        ASSERT_EQ(loadImageFile(gamePicturePath(store.picturePath(), game.gameNumber), back), 0);
        EXPECT_EQ(back.width(), 16);
        EXPECT_EQ(back.height(), 8);
        game.modified = true;
        EXPECT_EQ(store.save(false, game), SaveResult::Saved);   // now it occupies its number
    }
    EXPECT_TRUE(boxes.shown.empty());
}

// A photo-like picture: gradients, two edges and noise in every channel.
RasterImage photoLike(int w, int h)
{
    RasterImage img;
    EXPECT_TRUE(img.create(24, w, h, 0u));
    uint32_t seed = 99;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const uint32_t noise = seed >> 28;
            const uint32_t r = (x * 200 / w + noise) & 0xFF, g = (y * 200 / h + noise) & 0xFF;
            const uint32_t b = (x > w / 3 && y < h / 2 ? 180 : 40) + noise;
            img.setPixel(x, y, r << 16 | g << 8 | b);
        }
    return img;
}

// Pic.png is written with the fast setting and still holds exactly the
// game's picture, whatever the source was and whether it was shrunk.
TEST(CreationWithCodecs, PicPngHoldsTheGamesPictureExactly)
{
    TempLibrary lib;
    PosixFileSystem posix;
    ImageFilePictures pictures;
    ScriptedMessageBoxes boxes;
    GameFolderStore store(posix, pictures, boxes);
    store.setPicturePath(lib.root() + "/Spiele");

    RasterImage palette;
    ASSERT_TRUE(palette.create(8, 50, 40, 0u));
    for (int i = 0; i < 256; ++i)
        palette.palette()[i] = static_cast<uint32_t>(i * 0x010305);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x)
            palette.setPixel(x, y, static_cast<uint32_t>((x * 7 + y * 3) & 0xFF));
    struct Case { const char* name; RasterImage picture; bool shrink; int bpp; int w, h; };
    Case cases[] = {
        {"photo.png", photoLike(300, 200), false, 24, 300, 200},
        {"photo.jpg", photoLike(300, 200), false, 24, 300, 200},
        {"palette.bmp", std::move(palette), true, 8, 50, 40},   // fits: stays 8 bits
        {"wide.png", photoLike(3900, 30), true, 24, 3840, 30},
    };
    for (Case& c : cases) {
        const std::string src = lib.path(c.name);
        ASSERT_EQ(saveImageFile(src, c.picture), 0) << c.name;
        NewGameRequest r;
        r.pictureFile = src;
        r.question = "Was ist das?";
        r.answer = "Ein Bild";
        r.mode = 2;
        r.number = 1;
        r.shrinkToScreen = c.shrink;
        GameContent game;
        ASSERT_EQ(createGame(store, r, game), CreationResult::Created) << c.name << " " << imageFileLastError();
        EXPECT_EQ(game.picture.bitsPerPixel(), c.bpp) << c.name;
        EXPECT_EQ(game.picture.width(), c.w) << c.name;
        EXPECT_EQ(game.picture.height(), c.h) << c.name;

        const std::string png = gamePicturePath(store.picturePath(), 1);
        RasterImage back;
        ASSERT_EQ(loadImageFile(png, back), 0) << c.name;
        EXPECT_EQ(back.width(), c.w) << c.name;
        EXPECT_EQ(back.height(), c.h) << c.name;
        EXPECT_TRUE(testing::coloursOf(back) == testing::coloursOf(game.picture)) << c.name;

        std::vector<uint8_t> fast;
        ASSERT_EQ(saveImageMemoryWith(kImageFormatPng, game.picture, kPngFastSettings, fast), 0);
        EXPECT_TRUE(readAll(png) == std::string(fast.begin(), fast.end())) << c.name << ": not the fast setting";
    }
    EXPECT_TRUE(boxes.shown.empty());
}

// A shrunk picture is the large one averaged, not cut or sampled: sharp
// halves stay sharp halves, a fine grid becomes its mean colour.
TEST(CreationWithCodecs, ShrunkPictureIsTheAverageOfTheLargeOne)
{
    TempLibrary lib;
    PosixFileSystem posix;
    ImageFilePictures pictures;
    ScriptedMessageBoxes boxes;
    GameFolderStore store(posix, pictures, boxes);
    store.setPicturePath(lib.root() + "/Spiele");

    // Left half red, right half a one-pixel black and white grid.
    RasterImage big;
    ASSERT_TRUE(big.create(24, 7680, 40, 0xFF0000u));
    for (int y = 0; y < 40; ++y)
        for (int x = 3840; x < 7680; ++x)
            big.setPixel(x, y, (x + y) % 2 ? 0xFFFFFFu : 0u);
    const std::string src = lib.path("big.png");
    ASSERT_EQ(saveImageFile(src, big), 0);
    NewGameRequest r;
    r.pictureFile = src;
    r.question = "Halb rot?";
    r.answer = "Ja";
    r.mode = 0;
    r.shrinkToScreen = true;
    GameContent game;
    ASSERT_EQ(createGame(store, r, game), CreationResult::Created);
    ASSERT_EQ(game.picture.width(), 3840);
    ASSERT_EQ(game.picture.height(), 20);
    for (int y : {0, 10, 19}) {
        EXPECT_EQ(game.picture.colourAt(0, y) & 0xFFFFFF, 0xFF0000u);
        EXPECT_EQ(game.picture.colourAt(1919, y) & 0xFFFFFF, 0xFF0000u);
        for (int x : {1920, 3000, 3839}) {
            const uint32_t c = game.picture.colourAt(x, y) & 0xFFFFFF;
            EXPECT_NEAR(static_cast<int>(c & 0xFF), 127, 1) << x << "," << y;
            EXPECT_EQ(c, (c & 0xFF) * 0x010101u) << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace gz
