#include "game/game_store.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "game/file_system_faults.h"
#include "game/polygon_file.h"
#include "library_fixture.h"

namespace gz {
namespace {

using testing::FakePictures;
using testing::TempLibrary;
using testing::readAll;
using testing::writeAll;
namespace stdfs = std::filesystem;

TEST(GamePaths, NamesOfAGame)
{
    struct Case { const char* root; int n; const char* folder; };
    const Case cases[] = {
        {"/lib", 7, "/lib/Game007"},
        {"/lib", 1, "/lib/Game001"},
        {"/lib", 999, "/lib/Game999"},
        {"/lib", 1000, "/lib/Game1000"},
        {"", 42, "/Game042"},   // rooted at the separator
    };
    for (const Case& c : cases)
        EXPECT_EQ(gameFolderPath(c.root, c.n), c.folder) << c.n;
    EXPECT_EQ(gamePicturePath("/lib", 7), "/lib/Game007/Pic.png");
    EXPECT_EQ(gameQuestionPath("/lib", 7), "/lib/Game007/Pic.txt");
    EXPECT_EQ(gamePolygonPath("/lib", 7), "/lib/Game007/Pic.svg");
}

TEST(GamePaths, OneTrailingSeparatorIsRemoved)
{
    struct Case { const char* in; const char* out; };
    const Case cases[] = {
        {"/home/quiz/", "/home/quiz"}, {"/home/quiz", "/home/quiz"}, {"D:\\Spiele\\", "D:\\Spiele"},
        {"/a//", "/a/"}, {"/", ""}, {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(trimPicturePath(c.in), c.out) << c.in;
}

TEST(QuestionFile, ParsesTheFirstTwoLines)
{
    struct Case { std::string data; std::string question; std::string answer; };
    const Case cases[] = {
        {"Welches Land?\nItalien\n", "Welches Land?", "Italien"},
        {"Erste\r\n\r\nZweite\r\n", "Erste", "Zweite"},
        {"Nur eine Zeile", "Nur eine Zeile", ""},
        {"Nur eine Zeile\n", "Nur eine Zeile", ""},
        {"\nAntwort", "", "Antwort"},
        {"F\rA\rRest\nmehr", "F", "A"},
        {"F\n\n\n\nA", "F", "A"},
        {std::string("F\0X\nA", 5), "F", ""},   // a zero byte ends the data
        {std::string(300, 'q') + "\n" + std::string(256, 'a'), std::string(255, 'q'), std::string(255, 'a')},
    };
    for (const Case& c : cases) {
        GameContent g;
        g.setAnswer("alt");
        parseQuestionFile(c.data, g);
        EXPECT_EQ(g.question, c.question) << c.data;
        EXPECT_EQ(g.answer, c.answer) << c.data;
    }
    EXPECT_EQ(formatQuestionFile("Frage", "Antwort"), "Frage\nAntwort\n");
    EXPECT_EQ(formatQuestionFile("", ""), "\n\n");
}

class GameStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(lib.root().empty());
        store.setPicturePath(lib.root());
    }
    TempLibrary lib;
    PosixFileSystem posix;
    FaultyFileSystem faulty{posix};
    FakePictures pictures;
    ScriptedMessageBoxes boxes;
    GameFolderStore store{faulty, pictures, boxes};
};

TEST_F(GameStoreTest, SaveAndLoadRoundTripAWholeGame)
{
    lib.addGame(5, 64, 48, 0);
    GameContent g;
    ASSERT_TRUE(store.load(5, g));
    g.gameNumber = 5;
    g.setQuestion("Welches Land hat diese Flagge?");
    g.setAnswer("\xD6sterreich");   // Windows-1252 bytes stay bytes
    for (int i = 0; i < 3; ++i) {
        CoverPolygon* p = g.appendPolygon();
        p->addPoint({i * 10, 0});
        p->addPoint({i * 10 + 10, 0});
        p->addPoint({i * 10 + 10, 48});
        p->addPoint({i * 10, 48});
    }
    g.modified = true;
    EXPECT_EQ(store.save(false, g), SaveResult::Saved);
    EXPECT_FALSE(g.modified);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(lib.question(5), "Welches Land hat diese Flagge?\n\xD6sterreich\n");

    GameContent back;
    back.modified = true;
    ASSERT_TRUE(store.load(5, back));
    EXPECT_FALSE(back.modified);
    EXPECT_EQ(back.gameNumber, 0);   // load leaves the number to its caller
    EXPECT_STREQ(back.question, g.question);
    EXPECT_STREQ(back.answer, g.answer);
    EXPECT_EQ(back.picture.width(), 64);
    EXPECT_EQ(back.picture.height(), 48);
    ASSERT_EQ(back.polygonCount, 3);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(back.polygons[i].pointCount, 4);
        for (int j = 0; j < 4; ++j)
            EXPECT_EQ(back.polygons[i].points[j], g.polygons[i].points[j]) << i << "," << j;
    }
    // No temporary files are left next to the game's files.
    for (const auto& e : stdfs::directory_iterator(gameFolderPath(lib.root(), 5)))
        EXPECT_NE(e.path().filename().string().substr(0, 2), ".~") << e.path();
}

TEST_F(GameStoreTest, LoadFailsOnAnyMissingOrEmptyFile)
{
    struct Case {
        const char* what;
        const char* file;          // replaced in the game folder
        const char* content;       // nullptr: removed
        bool pictureIsNew;         // the picture step succeeded
        bool textsAreNew;
    };
    const Case cases[] = {
        {"no picture", "Pic.png", nullptr, false, false},
        {"picture not recognised", "Pic.png", "GIF? no", false, false},
        {"no question file", "Pic.txt", nullptr, true, false},
        {"empty question file", "Pic.txt", "", true, false},
        {"no polygon file", "Pic.svg", nullptr, true, true},
        {"empty polygon file", "Pic.svg", "", true, true},
        {"polygon file without svg", "Pic.svg", "<html></html>", true, true},
    };
    for (const Case& c : cases) {
        lib.addGame(3, 20, 10);
        std::string file = gameFolderPath(lib.root(), 3) + "/" + c.file;
        if (c.content)
            writeAll(file, c.content);
        else
            stdfs::remove(file);
        GameContent g;
        g.setQuestion("alt");
        g.picture.create(24, 5, 5);
        g.polygonCount = 1;
        g.modified = true;
        EXPECT_FALSE(store.load(3, g)) << c.what;
        EXPECT_FALSE(g.modified) << c.what;
        EXPECT_EQ(g.polygonCount, 0) << c.what;
        EXPECT_EQ(g.picture.width() == 20, c.pictureIsNew) << c.what;
        EXPECT_EQ(std::string(g.question) == "Frage 3", c.textsAreNew) << c.what;
    }
}

TEST_F(GameStoreTest, PolygonFileWithoutUsablePolygonsLoads)
{
    lib.addGame(2, 30, 30, 0);
    GameContent g;
    EXPECT_TRUE(store.load(2, g));
    EXPECT_EQ(g.polygonCount, 0);
}

TEST_F(GameStoreTest, OnlyAPolygonFileThatIsAFileOccupiesANumber)
{
    lib.addGame(1);
    stdfs::create_directories(gameFolderPath(lib.root(), 2));
    testing::writeAll(gamePicturePath(lib.root(), 2), testing::fakePicture(1, 1, 0));
    stdfs::create_directories(gamePolygonPath(lib.root(), 3));   // a folder named Pic.svg
    lib.addGame(4);
    EXPECT_TRUE(store.isOccupied(1));
    EXPECT_FALSE(store.isOccupied(2));
    EXPECT_FALSE(store.isOccupied(3));
    // Free for a new game: neither occupied nor holding a picture.
    EXPECT_TRUE(store.isTaken(2));
    EXPECT_FALSE(store.isTaken(3));
    EXPECT_EQ(store.firstFreeNumber(1), 3);
    EXPECT_EQ(store.firstFreeNumber(-5), 3);
    EXPECT_EQ(store.firstFreeNumber(4), 5);
    EXPECT_EQ(store.firstFreeNumber(1000), 0);
}

// Saving goes to the library the game was loaded from, also after the
// picture path has been switched to another library holding a game of the
// same number.
TEST_F(GameStoreTest, SaveWritesIntoTheLibraryTheGameCameFrom)
{
    TempLibrary other;
    lib.addGame(2, 40, 30, 1);
    other.addGame(2, 40, 30, 3);
    const std::string otherSvg = testing::readAll(gamePolygonPath(other.root(), 2));
    GameContent g;
    ASSERT_TRUE(store.load(2, g));
    g.gameNumber = 2;
    store.setPicturePath(other.root());
    g.setQuestion("bearbeitet");
    g.modified = true;
    EXPECT_EQ(store.save(false, g), SaveResult::Saved);
    EXPECT_EQ(lib.question(2), "bearbeitet\nAntwort 2\n");
    EXPECT_EQ(other.question(2), "Frage 2\nAntwort 2\n");
    EXPECT_EQ(testing::readAll(gamePolygonPath(other.root(), 2)), otherSvg);

    // The next load comes from the new library and saves there.
    ASSERT_TRUE(store.load(2, g));
    EXPECT_EQ(g.polygonCount, 3);
    g.setQuestion("anders");
    g.modified = true;
    EXPECT_EQ(store.save(false, g), SaveResult::Saved);
    EXPECT_EQ(other.question(2), "anders\nAntwort 2\n");
    EXPECT_EQ(lib.question(2), "bearbeitet\nAntwort 2\n");
}

TEST_F(GameStoreTest, SaveWithoutChangesOrWithoutGame)
{
    GameContent g;
    g.gameNumber = 4;
    EXPECT_EQ(store.save(true, g), SaveResult::Unmodified);
    g.gameNumber = 0;
    g.modified = true;
    EXPECT_EQ(store.save(true, g), SaveResult::NoGame);
    EXPECT_FALSE(g.modified);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(lib.inventory().empty());
}

TEST_F(GameStoreTest, DecliningTheQuestionClearsTheFlagAndWritesNothing)
{
    lib.addGame(7);
    GameContent g;
    ASSERT_TRUE(store.load(7, g));
    g.gameNumber = 7;
    g.setQuestion("neu");
    g.modified = true;
    boxes.answerNext(MessageAnswer::No);
    EXPECT_EQ(store.save(true, g), SaveResult::Declined);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Das Spiel Game007 wurde ver\xE4ndert.\nSoll es gespeichert werden ?");
    EXPECT_EQ(boxes.shown[0].caption, "Speichern");
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Question);
    EXPECT_FALSE(g.modified);
    EXPECT_EQ(lib.question(7), "Frage 7\nAntwort 7\n");
    // Not asked again for the same changes.
    EXPECT_EQ(store.save(true, g), SaveResult::Unmodified);
    EXPECT_EQ(boxes.shown.size(), 1u);

    g.modified = true;
    boxes.answerNext(MessageAnswer::Yes);
    EXPECT_EQ(store.save(true, g), SaveResult::Saved);
    EXPECT_EQ(lib.question(7), "neu\nAntwort 7\n");
}

TEST_F(GameStoreTest, SaveCreatesThePicturePathButNotTheGameFolder)
{
    TempLibrary other;
    std::string root = other.root() + "/neu/tiefer";
    store.setPicturePath(root);
    GameContent g;
    g.gameNumber = 3;
    g.modified = true;
    EXPECT_EQ(store.save(false, g), SaveResult::Failed);
    EXPECT_TRUE(stdfs::is_directory(root));
    EXPECT_FALSE(stdfs::exists(gameFolderPath(root, 3)));
    EXPECT_TRUE(g.modified);
}

// A failed write is a failure: `modified` stays set, the error is shown, and
// the files on disk are the old ones, complete.
TEST_F(GameStoreTest, FailedWritesKeepTheOldFilesAndTheFlag)
{
    struct Case {
        const char* what;
        FaultyFileSystem::Op op;
        const char* pathPart;
        FsStatus status;
        bool textIsNew;
        bool svgIsNew;
    };
    using Op = FaultyFileSystem::Op;
    const Case cases[] = {
        {"disk full writing Pic.svg", Op::WriteFile, "Pic.svg", FsStatus::NoSpace, true, false},
        {"Pic.txt cannot be created", Op::WriteFile, "Pic.txt", FsStatus::Denied, false, true},
        {"flush of Pic.txt fails", Op::SyncFile, "Pic.txt", FsStatus::Failed, false, true},
        {"rename over Pic.svg fails", Op::ReplaceFile, "Pic.svg", FsStatus::Denied, true, false},
    };
    for (const Case& c : cases) {
        lib.addGame(6, 40, 30, 2);
        const std::string oldSvg = readAll(gamePolygonPath(lib.root(), 6));
        GameContent g;
        ASSERT_TRUE(store.load(6, g));
        g.gameNumber = 6;
        g.setQuestion("Neue Frage");
        g.removePolygon(0);
        g.modified = true;
        faulty.clearFaults();
        faulty.failOn(c.op, c.pathPart, c.status);
        boxes.shown.clear();

        EXPECT_EQ(store.save(false, g), SaveResult::Failed) << c.what;
        EXPECT_TRUE(g.modified) << c.what;
        ASSERT_EQ(boxes.shown.size(), 1u) << c.what;
        EXPECT_EQ(boxes.shown[0].caption, "Fehler");
        EXPECT_EQ(boxes.shown[0].text, "Das Spiel Game006 konnte nicht gespeichert werden !");
        EXPECT_EQ(lib.question(6) == "Neue Frage\nAntwort 6\n", c.textIsNew) << c.what;
        EXPECT_EQ(lib.question(6) == "Frage 6\nAntwort 6\n", !c.textIsNew) << c.what;
        EXPECT_EQ(readAll(gamePolygonPath(lib.root(), 6)) == oldSvg, !c.svgIsNew) << c.what;
        EXPECT_FALSE(stdfs::exists(gameFolderPath(lib.root(), 6) + "/.~Pic.svg")) << c.what;
        EXPECT_FALSE(stdfs::exists(gameFolderPath(lib.root(), 6) + "/.~Pic.txt")) << c.what;
    }
    faulty.clearFaults();
}

// A library that takes no new files (a read-only medium, the installed
// demo games) is named in a box of its own before anything is written; a
// question comes first, so the changes can still be dropped.
TEST_F(GameStoreTest, AReadOnlyLibraryIsToldBeforeAnythingIsWritten)
{
    struct Case {
        const char* what;
        bool ask;
        std::vector<MessageAnswer> answers;
        SaveResult result;
        std::vector<MessageIcon> boxes;   // in order
    };
    const Case cases[] = {
        {"Ctrl+S", false, {}, SaveResult::Failed, {MessageIcon::Error}},
        {"asked, Yes", true, {MessageAnswer::Yes}, SaveResult::Failed, {MessageIcon::Question, MessageIcon::Error}},
        {"asked, No", true, {MessageAnswer::No}, SaveResult::Declined, {MessageIcon::Question}},
    };
    lib.addGame(4);
    faulty.failOn(FaultyFileSystem::Op::WriteFile, lib.root() + "/", FsStatus::Denied);
    faulty.failOn(FaultyFileSystem::Op::CreateFolders, lib.root(), FsStatus::Denied);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GameContent g;
        ASSERT_TRUE(store.load(4, g));
        g.gameNumber = 4;
        g.setQuestion("neu");
        g.modified = true;
        boxes.shown.clear();
        for (MessageAnswer a : c.answers)
            boxes.answerNext(a);
        const std::size_t logBefore = faulty.log().size();

        EXPECT_EQ(store.save(c.ask, g), c.result);
        std::vector<MessageIcon> icons;
        for (const auto& b : boxes.shown)
            icons.push_back(b.icon);
        EXPECT_EQ(icons, c.boxes);
        if (c.result == SaveResult::Failed) {
            EXPECT_TRUE(g.modified);
            EXPECT_EQ(boxes.shown.back().caption, "Fehler");
            EXPECT_EQ(boxes.shown.back().text, readOnlyFolderText(lib.root()));
        }
        for (std::size_t i = logBefore; i < faulty.log().size(); ++i) {
            EXPECT_EQ(faulty.log()[i].find("Pic."), std::string::npos) << faulty.log()[i];
            EXPECT_NE(faulty.log()[i].rfind("createFolders", 0), 0u) << faulty.log()[i];
        }
        EXPECT_EQ(lib.question(4), "Frage 4\nAntwort 4\n");
        EXPECT_FALSE(stdfs::exists(lib.root() + "/.~write-test"));
    }
}

TEST(ReadOnlyFolderText, NamesTheFolderAndWhereAnotherIsChosen)
{
    EXPECT_EQ(readOnlyFolderText("/usr/share/gamezinko/Games"),
              "Der Ordner \x84/usr/share/gamezinko/Games\x93 ist schreibgesch\xFCtzt. Bitte im Men\xFC "
              "\x84" "Bearbeiten\x93 unter \x84" "Bilderpfad einstellen\x93 einen anderen Pfad mit Bildern "
              "w\xE4hlen.");
    // The path is kept in UTF-8; the box shows Windows-1252.
    EXPECT_EQ(readOnlyFolderText("/media/Öl").substr(0, 23), "Der Ordner \x84/media/\xD6l\x93 ");
}

TEST_F(GameStoreTest, HalfWrittenFileNeverReplacesTheOldOne)
{
    lib.addGame(8, 40, 30, 3);
    const std::string oldSvg = readAll(gamePolygonPath(lib.root(), 8));
    GameContent g;
    ASSERT_TRUE(store.load(8, g));
    g.gameNumber = 8;
    g.modified = true;
    faulty.cutWrites("Pic.svg", 100);   // the disk fills after 100 bytes
    EXPECT_EQ(store.save(false, g), SaveResult::Failed);
    EXPECT_EQ(readAll(gamePolygonPath(lib.root(), 8)), oldSvg);
    GameContent again;
    EXPECT_TRUE(store.load(8, again));
    EXPECT_EQ(again.polygonCount, 3);
}

TEST_F(GameStoreTest, ReadOnlyGameFolderIsReportedAsFailure)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    lib.addGame(9);
    stdfs::permissions(gameFolderPath(lib.root(), 9), stdfs::perms::owner_read | stdfs::perms::owner_exec);
    GameContent g;
    ASSERT_TRUE(store.load(9, g));
    g.gameNumber = 9;
    g.modified = true;
    EXPECT_EQ(store.save(false, g), SaveResult::Failed);
    EXPECT_TRUE(g.modified);
    stdfs::permissions(gameFolderPath(lib.root(), 9), stdfs::perms::owner_all);
}

// The process dies right before the rename: the old files are intact and
// load as before.
TEST_F(GameStoreTest, CrashBeforeTheRenameLeavesTheOldFiles)
{
    struct Case { const char* dieBefore; };
    const Case cases[] = {{"Pic.txt"}, {"Pic.svg"}};
    for (const Case& c : cases) {
        lib.addGame(4, 40, 30, 2);
        const std::string oldText = lib.question(4);
        const std::string oldSvg = readAll(gamePolygonPath(lib.root(), 4));
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            faulty.setHook([&](FaultyFileSystem::Op op, const std::string& path) {
                if (op == FaultyFileSystem::Op::ReplaceFile && path.find(c.dieBefore) != std::string::npos)
                    _exit(0);
            });
            GameContent g;
            store.load(4, g);
            g.gameNumber = 4;
            g.setQuestion("Halb gespeichert");
            g.clearPolygons();
            g.modified = true;
            store.save(false, g);
            _exit(1);   // not reached: the hook ends the process first
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << c.dieBefore;
        std::string nowText = lib.question(4);
        std::string nowSvg = readAll(gamePolygonPath(lib.root(), 4));
        if (std::string(c.dieBefore) == "Pic.txt") {
            EXPECT_EQ(nowText, oldText);
        } else {
            EXPECT_EQ(nowText, "Halb gespeichert\nAntwort 4\n");   // written before the crash
        }
        EXPECT_EQ(nowSvg, oldSvg) << c.dieBefore;
        GameContent back;
        EXPECT_TRUE(store.load(4, back)) << c.dieBefore;
        EXPECT_EQ(back.polygonCount, 2) << c.dieBefore;
    }
}

TEST(SafeReplace, TemporarySiblingKeepsTheExtension)
{
    EXPECT_EQ(temporarySiblingOf("/a/Game001/Pic.png"), "/a/Game001/.~Pic.png");
    EXPECT_EQ(temporarySiblingOf("Pic.svg"), ".~Pic.svg");
    EXPECT_EQ(folderOf("/a/Game001/Pic.png"), "/a/Game001");
}

TEST(SafeReplace, WriterThatFailsLeavesNothingBehind)
{
    TempLibrary lib;
    PosixFileSystem posix;
    std::string path = lib.path("datei.txt");
    writeAll(path, "alt");
    FsStatus s = replaceFileSafely(posix, path, [&](const std::string& temp) {
        writeAll(temp, "halb");
        return false;
    });
    EXPECT_EQ(s, FsStatus::Failed);
    EXPECT_EQ(readAll(path), "alt");
    EXPECT_FALSE(stdfs::exists(temporarySiblingOf(path)));
    // A writer that claims success without writing anything is a failure too.
    EXPECT_EQ(replaceFileSafely(posix, path, [](const std::string&) { return true; }), FsStatus::Failed);
    EXPECT_EQ(replaceFileSafely(posix, path, std::string_view("neu")), FsStatus::Ok);
    EXPECT_EQ(readAll(path), "neu");
}

TEST(PosixFileSystem, RenameFolderNeverReplacesATarget)
{
    TempLibrary lib;
    PosixFileSystem posix;
    stdfs::create_directories(lib.path("a"));
    writeAll(lib.path("a/x"), "1");
    stdfs::create_directories(lib.path("leer"));
    EXPECT_EQ(posix.renameFolder(lib.path("a"), lib.path("leer")), FsStatus::Exists);
    EXPECT_EQ(readAll(lib.path("a/x")), "1");
    EXPECT_EQ(posix.renameFolder(lib.path("a"), lib.path("b")), FsStatus::Ok);
    EXPECT_EQ(readAll(lib.path("b/x")), "1");
    EXPECT_EQ(posix.renameFolder(lib.path("fehlt"), lib.path("c")), FsStatus::NotFound);
}

TEST(PosixFileSystem, RemoveFolderTakesOnlyAnEmptyFolder)
{
    TempLibrary lib;
    PosixFileSystem posix;
    stdfs::create_directories(lib.path("voll"));
    writeAll(lib.path("voll/x"), "1");
    stdfs::create_directories(lib.path("leer"));
    EXPECT_EQ(posix.removeFolder(lib.path("voll")), FsStatus::Exists);
    EXPECT_EQ(readAll(lib.path("voll/x")), "1");
    EXPECT_EQ(posix.removeFolder(lib.path("voll/x")), FsStatus::NotFound);   // a file is no folder
    EXPECT_EQ(readAll(lib.path("voll/x")), "1");
    EXPECT_EQ(posix.removeFolder(lib.path("leer")), FsStatus::Ok);
    EXPECT_FALSE(stdfs::exists(lib.path("leer")));
    EXPECT_EQ(posix.removeFolder(lib.path("leer")), FsStatus::NotFound);
}

TEST(PosixFileSystem, ReadStopsAtTheLimit)
{
    TempLibrary lib;
    PosixFileSystem posix;
    writeAll(lib.path("gross"), std::string(70000, 'x'));
    std::string out = "vorher";
    ASSERT_EQ(posix.readFile(lib.path("gross"), kGameFileReadLimit, out), FsStatus::Ok);
    EXPECT_EQ(out.size(), kGameFileReadLimit);
    out = "vorher";
    EXPECT_EQ(posix.readFile(lib.path("fehlt"), 10, out), FsStatus::NotFound);
    EXPECT_EQ(out, "vorher");
    EXPECT_EQ(posix.readFile(lib.root(), 10, out), FsStatus::Failed);   // a folder
    EXPECT_EQ(posix.createFolders(lib.path("x/y/z")), FsStatus::Ok);
    EXPECT_EQ(posix.kind(lib.path("x/y/z")), PathKind::Folder);
    writeAll(lib.path("datei"), "");
    EXPECT_NE(posix.createFolders(lib.path("datei")), FsStatus::Ok);
}

TEST(PosixFileSystem, IdentityFollowsTheFileNotTheName)
{
    TempLibrary lib;
    PosixFileSystem posix;
    writeAll(lib.path("bild"), "12345");
    FileIdentity first, again;
    ASSERT_EQ(posix.identify(lib.path("bild"), first), FsStatus::Ok);
    EXPECT_EQ(first.size, 5u);
    ASSERT_EQ(posix.identify(lib.path("bild"), again), FsStatus::Ok);
    EXPECT_EQ(again, first);

    // Another file renamed over the name, with size and time of the old one.
    writeAll(lib.path("neu"), "54321");
    stdfs::last_write_time(lib.path("neu"), stdfs::last_write_time(lib.path("bild")));
    stdfs::rename(lib.path("neu"), lib.path("bild"));
    FileIdentity replaced;
    ASSERT_EQ(posix.identify(lib.path("bild"), replaced), FsStatus::Ok);
    EXPECT_EQ(replaced.size, first.size);
    EXPECT_EQ(replaced.modifiedNs, first.modifiedNs);
    EXPECT_NE(replaced, first);

    FileIdentity none;
    EXPECT_EQ(posix.identify(lib.path("fehlt"), none), FsStatus::NotFound);
    EXPECT_EQ(posix.identify(lib.root(), none), FsStatus::Failed);   // a folder
}

}  // namespace
}  // namespace gz
