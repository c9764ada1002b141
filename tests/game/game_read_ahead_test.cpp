#include "game/game_read_ahead.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <memory>
#include <thread>

#include "game/file_system_faults.h"
#include "game/game_creation.h"
#include "game/polygon_file.h"
#include "library_fixture.h"

namespace gz {
namespace {

using testing::CountingPictures;
using testing::FakePictures;
using testing::TempLibrary;
using testing::fakePicture;
using testing::writeAll;
namespace stdfs = std::filesystem;

constexpr int32_t kSearched = 10;   // the numbers one picture start tries

// The store reads its pictures through the read-ahead, which reads through
// a counting stand-in: a picture handed out from the read-ahead is not
// loaded a second time. Public: the case tables change the library.
class ReadAheadTest : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_FALSE(lib.root().empty());
        store.setPicturePath(lib.root());
    }
    std::string picture(int n) const { return gamePicturePath(lib.root(), n); }
    void readAheadFrom(int32_t first)
    {
        ahead.start(lib.root(), first, kSearched);
        ahead.waitUntilSettled();
    }
    uint32_t colourOf(const GameContent& g) const { return g.picture.isEmpty() ? 0 : g.picture.colourAt(0, 0); }

    TempLibrary lib;
    PosixFileSystem posix;
    FaultyFileSystem faulty{posix};
    FakePictures fake;
    CountingPictures counting{fake};
    GameReadAhead ahead{faulty, counting};
    ScriptedMessageBoxes boxes;
    GameFolderStore store{faulty, ahead, boxes};
    GameContent current;   // the game on the board, for the cases that need one
    GameContent game;
};

TEST_F(ReadAheadTest, ACurrentReadAheadIsHandedOutOnce)
{
    lib.addGame(1, 40, 30, 3);
    lib.addGame(2);
    readAheadFrom(1);
    EXPECT_EQ(ahead.heldGame(), 1);
    EXPECT_EQ(counting.loads(picture(1)), 1);
    EXPECT_EQ(counting.loads(picture(2)), 0);   // the search stops at the first game that loads

    ASSERT_TRUE(store.load(1, game));
    EXPECT_EQ(counting.loads(picture(1)), 1);
    EXPECT_EQ(game.picture.width(), 40);
    EXPECT_EQ(game.picture.height(), 30);
    EXPECT_EQ(colourOf(game), 1u);
    EXPECT_STREQ(game.question, "Frage 1");
    EXPECT_STREQ(game.answer, "Antwort 1");
    EXPECT_EQ(game.polygonCount, 3);
    EXPECT_EQ(game.picture.progressFn(), nullptr);   // nothing of the search's decode stays on it

    // Handed out: the next load of the game reads it again.
    EXPECT_EQ(ahead.heldGame(), 0);
    ASSERT_TRUE(store.load(1, game));
    EXPECT_EQ(counting.loads(picture(1)), 2);
}

// A picture start tries the numbers one after the other: through the
// read-ahead every load ends as it ends without it, only the first game
// that loads is not read again.
TEST_F(ReadAheadTest, APictureStartLoadsWhatThePlainStoreLoads)
{
    lib.addGame(2, 20, 10);
    stdfs::remove(gamePolygonPath(lib.root(), 2));   // created, never saved
    lib.addGame(3, 30, 10);
    writeAll(gameQuestionPath(lib.root(), 3), "");   // no question
    lib.addGame(4, 40, 10);
    writeAll(picture(4), "kein Bild");               // unreadable picture
    lib.addGame(6, 60, 10);
    lib.addGame(7, 70, 10);
    readAheadFrom(1);
    EXPECT_EQ(ahead.heldGame(), 6);

    FakePictures plainPictures;
    GameFolderStore plain{posix, plainPictures, boxes};
    plain.setPicturePath(lib.root());
    GameContent expected;
    for (int32_t n = 1; n <= 6; ++n) {
        SCOPED_TRACE(n);
        const bool loaded = store.load(n, game);
        EXPECT_EQ(loaded, plain.load(n, expected));
        EXPECT_EQ(game.picture.width(), expected.picture.width());
        EXPECT_EQ(colourOf(game), colourOf(expected));
        EXPECT_STREQ(game.question, expected.question);
        EXPECT_EQ(game.polygonCount, expected.polygonCount);
        EXPECT_EQ(loaded, n == 6);
    }
    EXPECT_EQ(counting.loads(picture(6)), 1);
    EXPECT_EQ(counting.loads(picture(2)), 2);   // the search read it, the start reads it again
    EXPECT_EQ(counting.loads(picture(7)), 0);
}

TEST_F(ReadAheadTest, SearchesOnlyTheNumbersAPictureStartTries)
{
    lib.addGame(11);
    readAheadFrom(1);
    EXPECT_EQ(ahead.heldGame(), 0);
    EXPECT_EQ(counting.loads(picture(11)), 0);
    readAheadFrom(2);
    EXPECT_EQ(ahead.heldGame(), 11);
}

// Whatever changed the picture file after it was read, the load reads the
// file as it is now.
struct StaleCase {
    const char* name;
    std::function<void(ReadAheadTest&, const std::string& picture)> change;
    int width;         // of the picture loaded afterwards
    uint32_t colour;
};
void PrintTo(const StaleCase& c, std::ostream* os) { *os << c.name; }

void setModified(const std::string& path, stdfs::file_time_type when)
{
    stdfs::last_write_time(path, when);
}

const StaleCase kStaleCases[] = {
    {"OtherSize",
     [](ReadAheadTest&, const std::string& p) { writeAll(p, fakePicture(400, 30, 1)); }, 400, 1},
    {"SameSizeOtherModificationTime",
     [](ReadAheadTest&, const std::string& p) {
         const auto before = stdfs::last_write_time(p);
         writeAll(p, fakePicture(40, 30, 7));
         setModified(p, before + std::chrono::seconds(5));
     },
     40, 7},
    {"ReplacedByRenameWithSizeAndTimeKept",
     [](ReadAheadTest&, const std::string& p) {
         const std::string other = p + ".neu";
         writeAll(other, fakePicture(40, 30, 8));
         setModified(other, stdfs::last_write_time(p));
         stdfs::rename(other, p);
     },
     40, 8},
    {"GamesShiftedUpByOne",
     [](ReadAheadTest& t, const std::string&) {
         // What inserting a game at 1 does to the folders.
         stdfs::rename(gameFolderPath(t.lib.root(), 2), gameFolderPath(t.lib.root(), 3));
         stdfs::rename(gameFolderPath(t.lib.root(), 1), gameFolderPath(t.lib.root(), 2));
         t.lib.addGame(1, 40, 30);
         writeAll(gamePicturePath(t.lib.root(), 1), fakePicture(40, 30, 9));
     },
     40, 9},
    {"IdentityUnreadable",
     [](ReadAheadTest& t, const std::string& p) {
         t.faulty.failOn(FaultyFileSystem::Op::Identify, p);
     },
     40, 1},
};

class StaleReadAhead : public ReadAheadTest, public ::testing::WithParamInterface<StaleCase> {};

TEST_P(StaleReadAhead, IsNeverUsed)
{
    lib.addGame(1, 40, 30);
    lib.addGame(2, 40, 30);
    readAheadFrom(1);
    ASSERT_EQ(ahead.heldGame(), 1);
    GetParam().change(*this, picture(1));

    ASSERT_TRUE(store.load(1, game));
    EXPECT_EQ(counting.loads(picture(1)), 2);
    EXPECT_EQ(game.picture.width(), GetParam().width);
    EXPECT_EQ(colourOf(game), GetParam().colour);
}

INSTANTIATE_TEST_SUITE_P(Changes, StaleReadAhead, ::testing::ValuesIn(kStaleCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The question and polygon files are not read ahead: the load reads them as
// they are then, beside the picture that was read ahead.
struct LaterFileCase {
    const char* name;
    std::function<void(ReadAheadTest&)> change;
    bool loads;
    const char* question;
    int32_t polygons;
};
void PrintTo(const LaterFileCase& c, std::ostream* os) { *os << c.name; }

void writePolygons(const TempLibrary& lib, int count)
{
    GameContent g;
    for (int i = 0; i < count; ++i) {
        CoverPolygon* p = g.appendPolygon();
        p->addPoint({0, 0});
        p->addPoint({40, i});
        p->addPoint({i, 30});
    }
    writeAll(gamePolygonPath(lib.root(), 1), formatPolygonFile(g, 40, 30));
}

const LaterFileCase kLaterFileCases[] = {
    {"QuestionRewritten",
     [](ReadAheadTest& t) { writeAll(gameQuestionPath(t.lib.root(), 1), "Neue Frage\nNeue Antwort\n"); }, true,
     "Neue Frage", 2},
    {"PolygonsRewritten", [](ReadAheadTest& t) { writePolygons(t.lib, 5); }, true, "Frage 1", 5},
    {"PolygonFileRemoved", [](ReadAheadTest& t) { stdfs::remove(gamePolygonPath(t.lib.root(), 1)); }, false,
     "Frage 1", 0},
    {"SavedInBetween",
     [](ReadAheadTest& t) {
         // The game is the current one too: edited and saved before it is loaded again.
         GameContent& current = t.current;
         current.gameNumber = 1;
         current.setQuestion("Gespeichert");
         current.clearPolygons();
         CoverPolygon* p = current.appendPolygon();
         for (PolygonPoint q : {PolygonPoint{0, 0}, PolygonPoint{40, 0}, PolygonPoint{40, 30}})
             p->addPoint(q);
         current.modified = true;
         ASSERT_EQ(t.store.save(true, current), SaveResult::Saved);
     },
     true, "Gespeichert", 1},
};

class LaterFiles : public ReadAheadTest, public ::testing::WithParamInterface<LaterFileCase> {};

TEST_P(LaterFiles, AreReadWhenTheGameIsLoaded)
{
    lib.addGame(1, 40, 30);
    lib.addGame(2, 40, 30);
    ASSERT_TRUE(store.load(1, current));   // before the search, as on the board
    readAheadFrom(1);
    ASSERT_EQ(ahead.heldGame(), 1);
    GetParam().change(*this);
    const int readsBefore = counting.loads(picture(1));

    EXPECT_EQ(store.load(1, game), GetParam().loads);
    EXPECT_EQ(counting.loads(picture(1)), readsBefore);   // the picture file did not change
    EXPECT_EQ(colourOf(game), 1u);
    EXPECT_STREQ(game.question, GetParam().question);
    EXPECT_EQ(game.polygonCount, GetParam().polygons);
}

INSTANTIATE_TEST_SUITE_P(Changes, LaterFiles, ::testing::ValuesIn(kLaterFileCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Any use of the picture files other than loading a searched game drops
// the read-ahead: it was for a next game that is no longer next.
struct DropCase {
    const char* name;
    std::function<void(ReadAheadTest&)> use;
};
void PrintTo(const DropCase& c, std::ostream* os) { *os << c.name; }

const DropCase kDropCases[] = {
    {"LoadFromAnotherLibrary",
     [](ReadAheadTest& t) {
         TempLibrary other;
         other.addGame(1, 50, 50);
         t.store.setPicturePath(other.root());
         EXPECT_TRUE(t.store.load(1, t.game));
         EXPECT_EQ(t.game.picture.width(), 50);
         t.store.setPicturePath(t.lib.root());
     }},
    {"LoadOfAnotherPicture",
     [](ReadAheadTest& t) {
         writeAll(t.lib.path("quelle.pic"), fakePicture(8, 8, 3));
         RasterImage image;
         EXPECT_EQ(t.ahead.load(t.lib.path("quelle.pic"), image), 0);
     }},
    {"SaveOfAPicture",
     [](ReadAheadTest& t) {
         RasterImage image;
         image.create(24, 4, 4, 0u);
         EXPECT_EQ(t.ahead.save(t.lib.path("bild.png"), image), 0);
     }},
};

class DroppedReadAhead : public ReadAheadTest, public ::testing::WithParamInterface<DropCase> {};

TEST_P(DroppedReadAhead, AfterOtherUses)
{
    lib.addGame(1, 40, 30);
    readAheadFrom(1);
    GetParam().use(*this);
    EXPECT_EQ(ahead.heldGame(), 0);
    EXPECT_FALSE(ahead.isSearching(lib.root(), 1, kSearched));
    ASSERT_TRUE(store.load(1, game));
    EXPECT_EQ(counting.loads(picture(1)), 2);
}

INSTANTIATE_TEST_SUITE_P(Uses, DroppedReadAhead, ::testing::ValuesIn(kDropCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReadAheadTest, AnotherSearchedGameIsReadWithoutTouchingTheHeldOne)
{
    lib.addGame(1, 40, 30);
    lib.addGame(2, 20, 20);
    readAheadFrom(1);
    ASSERT_TRUE(store.load(2, game));   // the number changed without a new search
    EXPECT_EQ(colourOf(game), 2u);
    EXPECT_EQ(ahead.heldGame(), 1);
    ASSERT_TRUE(store.load(1, game));
    EXPECT_EQ(counting.loads(picture(1)), 1);
}

TEST_F(ReadAheadTest, AGameInsertedInBetweenIsLoadedFromWhereItIsNow)
{
    lib.addGame(1, 40, 30);
    lib.addGame(2, 40, 30);
    readAheadFrom(1);
    writeAll(lib.path("quelle.pic"), fakePicture(80, 60, 0x123456));
    NewGameRequest request;
    request.pictureFile = lib.path("quelle.pic");
    request.question = "Neu";
    request.answer = "Eingef\xFCgt";
    request.mode = static_cast<int32_t>(CreationMode::Insert);
    request.number = 1;
    GameContent created;
    ASSERT_EQ(createGame(store, request, created), CreationResult::Created);

    // The new game has no polygon file until it is saved: its picture is
    // loaded all the same, then the load fails.
    EXPECT_FALSE(store.load(1, game));
    EXPECT_EQ(colourOf(game), 0x123456u);
    ASSERT_TRUE(store.load(2, game));
    EXPECT_EQ(colourOf(game), 1u);
    EXPECT_STREQ(game.question, "Frage 1");
}

TEST_F(ReadAheadTest, ALoadOfASearchedGameWaitsForTheSearchInsteadOfReadingTwice)
{
    lib.addGame(1, 40, 30);
    counting.closeGate();
    ahead.start(lib.root(), 1, kSearched);
    counting.waitUntilEntered(1);   // the search is reading game 1's picture
    std::thread opener([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        counting.openGate();
    });
    const bool loaded = store.load(1, game);
    opener.join();
    EXPECT_TRUE(loaded);
    EXPECT_EQ(counting.loads(picture(1)), 1);
    EXPECT_EQ(colourOf(game), 1u);
}

TEST_F(ReadAheadTest, ASearchThatFoundNothingLeavesEveryLoadToTheFiles)
{
    for (int n = 1; n <= kSearched; ++n) {
        lib.addGame(n);
        writeAll(picture(n), "kaputt");
    }
    readAheadFrom(1);
    EXPECT_EQ(ahead.heldGame(), 0);
    for (int n = 1; n <= kSearched; ++n) {
        EXPECT_FALSE(store.load(n, game)) << n;
        EXPECT_EQ(counting.loads(picture(n)), 2) << n;
    }
}

// A decode in progress stops when its search is no longer wanted.
struct StopCase {
    const char* name;
    std::function<void(std::unique_ptr<GameReadAhead>&, const TempLibrary&)> stop;
    int32_t heldAfterwards;
};
void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

const StopCase kStopCases[] = {
    {"Destroyed", [](std::unique_ptr<GameReadAhead>& a, const TempLibrary&) { a.reset(); }, 0},
    {"Cleared", [](std::unique_ptr<GameReadAhead>& a, const TempLibrary&) { a->clear(); }, 0},
    {"StartedAgain",
     [](std::unique_ptr<GameReadAhead>& a, const TempLibrary& lib) { a->start(lib.root(), 2, kSearched); }, 2},
};

class StoppedSearch : public ::testing::TestWithParam<StopCase> {};

TEST_P(StoppedSearch, AbortsTheDecode)
{
    TempLibrary lib;
    lib.addGame(1);
    lib.addGame(2);
    PosixFileSystem posix;
    FakePictures fake;
    CountingPictures counting{fake};
    auto ahead = std::make_unique<GameReadAhead>(posix, counting);
    counting.closeGate();
    ahead->start(lib.root(), 1, kSearched);
    counting.waitUntilEntered(1);

    GetParam().stop(ahead, lib);
    // Only an abort ends the wait at the closed gate.
    EXPECT_TRUE(counting.waitForAborts(1, std::chrono::seconds(20)));
    counting.openGate();
    if (ahead) {
        ahead->waitUntilSettled();
        EXPECT_EQ(ahead->heldGame(), GetParam().heldAfterwards);
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, StoppedSearch, ::testing::ValuesIn(kStopCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace gz
