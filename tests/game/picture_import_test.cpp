#include "game/picture_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "game/file_system_faults.h"
#include "game/polygon_file.h"
#include "imaging/image_files.h"
#include "library_fixture.h"

namespace gz {
namespace {

using testing::TempLibrary;
using testing::readAll;
using testing::writeAll;
namespace stdfs = std::filesystem;

uint32_t crc32Of(const uint8_t* data, std::size_t size)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A 60-byte PNG that declares a width x height RGBA picture: the loader
// refuses it as too big before it allocates anything.
std::string pngDeclaring(uint32_t width, uint32_t height)
{
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    const auto be32 = [&](uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            png.push_back(static_cast<uint8_t>(v >> shift));
    };
    be32(width);
    be32(height);
    for (uint8_t v : std::initializer_list<uint8_t>{8, 6, 0, 0, 0})
        png.push_back(v);
    be32(crc32Of(png.data() + 12, 17));
    for (uint8_t v : std::initializer_list<uint8_t>{0, 0, 0, 2, 'I', 'D', 'A', 'T', 0x78, 0x9C, 0, 0, 0, 0})
        png.push_back(v);
    return std::string(png.begin(), png.end());
}

// Every file under the folder with its bytes.
std::map<std::string, std::string> snapshot(const std::string& root)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : stdfs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(root).string()] = readAll(entry.path().string());
    return files;
}

// The names directly in the folder.
std::vector<std::string> namesIn(const std::string& root)
{
    std::vector<std::string> names;
    for (const auto& entry : stdfs::directory_iterator(root))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Reads through the real codecs; saving fails for paths containing
// `failSavePart`, leaving a stub as a writer that gave up would.
class FailingSaves final : public PictureFiles {
public:
    int load(const std::string& path, RasterImage& image) override { return codecs_.load(path, image); }
    int save(const std::string& path, const RasterImage& image) override
    {
        if (!failSavePart.empty() && path.find(failSavePart) != std::string::npos) {
            writeAll(path, "halb");
            return -1;
        }
        return codecs_.save(path, image);
    }
    std::string failSavePart;

private:
    ImageFilePictures codecs_;
};

// A library under lib/Spiele with games 1, 2 and 4, a game 5 made and
// never saved (picture and question, no polygon file), and picture files
// to import under lib/Fotos.
class ImportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(lib.root().empty());
        library = lib.path("Spiele");
        photos = lib.path("Fotos");
        stdfs::create_directories(library);
        stdfs::create_directories(photos);
        for (int n : {1, 2, 4})
            addGame(n);
        stdfs::create_directories(gameFolderPath(library, 5));
        writeAll(gamePicturePath(library, 5), "ungespeichert");
        writeAll(gameQuestionPath(library, 5), "Frage 5\nAntwort 5\n");
    }

    void addGame(int n) const
    {
        stdfs::create_directories(gameFolderPath(library, n));
        writeAll(gamePicturePath(library, n), "Bild " + std::to_string(n));
        writeAll(gameQuestionPath(library, n), "Frage " + std::to_string(n) + "\nAntwort\n");
        writeAll(gamePolygonPath(library, n), "Polygone " + std::to_string(n));
    }

    // A w x h picture file in the photo folder, of one colour.
    std::string picture(const std::string& name, int w = 48, int h = 36, uint32_t colour = 0x3366CC) const
    {
        RasterImage image;
        EXPECT_TRUE(image.create(24, w, h, colour));
        const std::string path = photos + "/" + name;
        EXPECT_EQ(saveImageFile(path, image), 0) << imageFileLastError();
        return path;
    }
    std::string bytesFile(const std::string& name, const std::string& bytes) const
    {
        const std::string path = photos + "/" + name;
        writeAll(path, bytes);
        return path;
    }

    ImportRequest request(std::vector<std::string> files, int32_t start = 1) const
    {
        ImportRequest r;
        r.files = std::move(files);
        r.question = "Was ist auf dem Bild zu sehen?";
        r.pieces = 6;
        r.startNumber = start;
        r.seed = 0x5EED;
        return r;
    }

    ImportReport run(const ImportRequest& r, FileSystem& fs, PictureFiles& pics)
    {
        steps.clear();
        return importPictures(fs, pics, library, r, [&](const ImportStep& s) { steps.push_back(s); }, cancel);
    }
    ImportReport run(const ImportRequest& r) { return run(r, posix, codecs); }

    // No staging folder (nor anything else) beside the game folders.
    void expectOnlyGameFolders() const
    {
        for (const std::string& name : namesIn(library))
            EXPECT_EQ(name.rfind("Game", 0), 0u) << name;
    }

    TempLibrary lib;
    std::string library, photos;
    PosixFileSystem posix;
    ImageFilePictures codecs;
    std::atomic<bool> cancel{false};
    std::vector<ImportStep> steps;
};

TEST_F(ImportTest, GoodPicturesFillTheFreeNumbersAndNothingElseChanges)
{
    const std::vector<std::string> files = {
        picture("Eiffelturm.png"),
        bytesFile("kaputt.jpg", "\xFF\xD8\xFF\xE0 kein JPEG"),
        bytesFile("riesig.png", pngDeclaring(30000, 30000)),
        picture("Big_Ben.png"),
        bytesFile("notizen.txt", "Einkaufsliste"),
        picture("Kolosseum.png"),
    };
    const auto before = snapshot(library);
    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        for (int n : {3, 6, 7})
            stdfs::remove_all(gameFolderPath(library, n));
        ImportRequest r = request(files);
        r.threads = threads;
        const ImportReport report = run(r);

        EXPECT_EQ(report.created, (std::vector<int32_t>{3, 6, 7}));
        EXPECT_EQ(report.unreadable, (std::vector<std::string>{files[1], files[2], files[4]}));
        EXPECT_EQ(report.end, ImportEnd::Done);
        EXPECT_EQ(report.handled, files.size());
        ASSERT_EQ(steps.size(), files.size());
        for (std::size_t i = 0; i < steps.size(); ++i) {
            EXPECT_EQ(steps[i].index, i);
            EXPECT_EQ(steps[i].count, files.size());
            EXPECT_EQ(steps[i].file, files[i]);
        }

        // The old games byte for byte, no folder for the unreadable files,
        // no staging folder left.
        auto after = snapshot(library);
        for (const auto& [name, bytes] : before) {
            EXPECT_EQ(after[name], bytes) << name;
            after.erase(name);
        }
        EXPECT_EQ(after.size(), 9u);   // three files of three new games
        EXPECT_EQ(namesIn(library), (std::vector<std::string>{"Game001", "Game002", "Game003", "Game004",
                                                              "Game005", "Game006", "Game007"}));
    }
}

TEST_F(ImportTest, EveryGameLoadsWithItsCoverQuestionAndAnswer)
{
    const std::vector<std::string> files = {picture("Tower_Bridge.png", 64, 40, 0x112233),
                                            picture("Tower Bridge 2.png", 64, 40, 0x112233),
                                            picture("Brandenburger_Tor.jpg", 30, 50, 0x808080)};
    ImportRequest r = request(files, 4);
    r.pieces = 9;
    const ImportReport report = run(r);
    ASSERT_EQ(report.created, (std::vector<int32_t>{6, 7, 8}));

    const char* answers[] = {"Tower Bridge", "Tower Bridge 2", "Brandenburger Tor"};
    const int widths[] = {64, 64, 30};
    ScriptedMessageBoxes boxes;
    GameFolderStore reader(posix, codecs, boxes);
    reader.setPicturePath(library);
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(answers[i]);
        const int32_t n = report.created[i];
        GameContent game;
        ASSERT_TRUE(reader.load(n, game));
        EXPECT_STREQ(game.question, "Was ist auf dem Bild zu sehen?");
        EXPECT_STREQ(game.answer, answers[i]);
        EXPECT_EQ(game.picture.width(), widths[i]);
        EXPECT_EQ(game.polygonCount, 9);
        EXPECT_FALSE(game.modified);

        // The cover is the one generated for this file's own seed.
        GameContent expected;
        generateCover(expected, game.picture.width(), game.picture.height(), 9, importCoverSeed(r.seed, i));
        EXPECT_EQ(readAll(gamePolygonPath(library, n)),
                  formatPolygonFile(expected, game.picture.width(), game.picture.height()));
    }
    // Two pictures of one size still get covers of their own.
    EXPECT_NE(readAll(gamePolygonPath(library, 6)), readAll(gamePolygonPath(library, 7)));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ImportTest, LargePicturesAreShrunkOnlyWhenAsked)
{
    const std::string wide = picture("Panorama.png", 4000, 20, 0x445566);
    for (bool shrink : {false, true}) {
        SCOPED_TRACE(shrink);
        ImportRequest r = request({wide}, 10);
        r.shrinkToScreen = shrink;
        const ImportReport report = run(r);
        ASSERT_EQ(report.created.size(), 1u);
        RasterImage stored;
        ASSERT_EQ(loadImageFile(gamePicturePath(library, report.created[0]), stored), 0);
        EXPECT_EQ(stored.width(), shrink ? 3840 : 4000);
        EXPECT_EQ(stored.height(), shrink ? 19 : 20);
        // The cover is laid over the picture as stored.
        ScriptedMessageBoxes boxes;
        GameFolderStore reader(posix, codecs, boxes);
        reader.setPicturePath(library);
        GameContent game;
        ASSERT_TRUE(reader.load(report.created[0], game));
        int32_t right = 0;
        for (int p = 0; p < game.polygonCount; ++p)
            for (int k = 0; k < game.polygons[p].pointCount; ++k)
                right = std::max(right, game.polygons[p].points[k].x);
        EXPECT_GE(right, stored.width() - 1);
        EXPECT_LE(right, stored.width());
    }
}

TEST(ImportAnswer, IsTheFileNameSpokenAsText)
{
    struct Case {
        const char* path;
        const char* answer;
    };
    const Case cases[] = {
        {"/fotos/Eiffelturm.jpg", "Eiffelturm"},
        {"/fotos/Big_Ben_London.png", "Big Ben London"},
        {"/fotos/__Mitte__.png", "Mitte"},
        {"/fotos/St. Peter.Rom.jpeg", "St. Peter.Rom"},
        {"/fotos/ohne Endung", "ohne Endung"},
        {"relativ.gif", "relativ"},
        {"/fotos/.versteckt", ".versteckt"},
        {"/fotos/M\xC3\xBCnchen_Fr\xC3\xB6ttmaning.jpg", "M\xFCnchen Fr\xF6ttmaning"},   // ü, ö
        {"/fotos/Stra\xC3\x9F" "e \xE2\x82\xAC 5.png", "Stra\xDF" "e \x80 5"},            // ß, €
        {"/fotos/\xE6\x9D\xB1\xE4\xBA\xAC.png", "??"},                                      // no such letters
        {"/fotos/Zeile\nzwei.png", "Zeile zwei"},
        {"/fotos/_.jpg", ".jpg"},
        {"/ordner.mit.punkt/Datei", "Datei"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(answerFromFileName(c.path), c.answer) << c.path;
    // An answer holds 255 bytes.
    EXPECT_EQ(answerFromFileName("/fotos/" + std::string(300, 'x') + ".jpg"), std::string(255, 'x'));
    EXPECT_EQ(answerFromFileName("/fotos/" + std::string(254, 'x') + "_y.jpg"), std::string(254, 'x'));
}

TEST_F(ImportTest, CancelStopsAfterThePictureInProgress)
{
    std::vector<std::string> files;
    for (int i = 0; i < 5; ++i)
        files.push_back(picture("Bild" + std::to_string(i) + ".png"));
    struct Case {
        int threads;
        std::size_t cancelDuring;   // index of the file in progress when cancelled
    };
    for (const Case c : {Case{1, 0}, Case{2, 0}, Case{1, 2}, Case{2, 2}, Case{2, 4}}) {
        SCOPED_TRACE(::testing::Message() << c.threads << " threads, cancel during " << c.cancelDuring);
        for (int n = 6; n <= 12; ++n)
            stdfs::remove_all(gameFolderPath(library, n));
        ImportRequest r = request(files, 6);
        r.threads = c.threads;
        std::atomic<bool> stop{false};
        const ImportReport report = importPictures(
            posix, codecs, library, r,
            [&](const ImportStep& s) {
                if (s.index == c.cancelDuring)
                    stop = true;
            },
            stop);
        const std::size_t made = c.cancelDuring + 1;
        EXPECT_EQ(report.created.size(), made);
        EXPECT_EQ(report.handled, made);
        EXPECT_EQ(report.end, made == files.size() ? ImportEnd::Done : ImportEnd::Cancelled);
        for (int32_t n = 6; n < 6 + static_cast<int32_t>(made); ++n)
            EXPECT_EQ(stdfs::exists(gamePolygonPath(library, n)), true) << n;
        EXPECT_FALSE(stdfs::exists(gameFolderPath(library, 6 + static_cast<int32_t>(made))));
        expectOnlyGameFolders();
    }
}

TEST_F(ImportTest, RunningOutOfNumbersStopsAt999)
{
    addGame(998);
    const std::vector<std::string> files = {picture("a.png"), bytesFile("b.png", "kaputt"), picture("c.png"),
                                            picture("d.png"), picture("e.png")};
    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        for (int n : {997, 999})
            stdfs::remove_all(gameFolderPath(library, n));
        ImportRequest r = request(files, 997);
        r.threads = threads;
        const ImportReport report = run(r);
        EXPECT_EQ(report.created, (std::vector<int32_t>{997, 999}));
        EXPECT_EQ(report.unreadable, (std::vector<std::string>{files[1]}));
        EXPECT_EQ(report.end, ImportEnd::OutOfNumbers);
        EXPECT_EQ(report.handled, 3u);
        EXPECT_EQ(readAll(gamePolygonPath(library, 998)), "Polygone 998");
        expectOnlyGameFolders();
    }
    // Nothing free from the start on.
    const ImportReport none = run(request({files[0]}, 999));
    EXPECT_TRUE(none.created.empty());
    EXPECT_EQ(none.end, ImportEnd::OutOfNumbers);
    EXPECT_EQ(none.handled, 0u);
    expectOnlyGameFolders();
}

TEST_F(ImportTest, TheNumberKeptFreeIsSkipped)
{
    ImportRequest r = request({picture("a.png"), picture("b.png")}, 2);
    r.keepFree = 3;
    EXPECT_EQ(run(r).created, (std::vector<int32_t>{6, 7}));
    EXPECT_FALSE(stdfs::exists(gameFolderPath(library, 3)));
}

TEST_F(ImportTest, AFreeNumbersFolderGetsTheFilesAndKeepsItsOtherContents)
{
    // An empty folder, and one with a question file but no game.
    stdfs::create_directories(gameFolderPath(library, 3));
    stdfs::create_directories(gameFolderPath(library, 6));
    writeAll(gameQuestionPath(library, 6), "alt\nalt\n");
    writeAll(gameFolderPath(library, 6) + "/Notiz.txt", "bleibt");
    const ImportReport report = run(request({picture("Erster.png"), picture("Zweiter.png")}));
    EXPECT_EQ(report.created, (std::vector<int32_t>{3, 6}));
    EXPECT_EQ(readAll(gameQuestionPath(library, 6)), "Was ist auf dem Bild zu sehen?\nZweiter\n");
    EXPECT_EQ(readAll(gameFolderPath(library, 6) + "/Notiz.txt"), "bleibt");
    for (int n : {3, 6})
        EXPECT_TRUE(stdfs::exists(gamePolygonPath(library, n))) << n;
    expectOnlyGameFolders();
}

TEST_F(ImportTest, ANumberTakenWhileThePictureWasPreparedIsLeftToItsGame)
{
    // Another program saves a game under number 3 just before the import
    // puts its first game there.
    FaultyFileSystem fs(posix);
    bool once = false;
    fs.setHook([&](FaultyFileSystem::Op op, const std::string&) {
        if (op == FaultyFileSystem::Op::RenameFolder && !once) {
            once = true;
            addGame(3);
        }
    });
    const ImportReport report = run(request({picture("a.png"), picture("b.png")}), fs, codecs);
    EXPECT_EQ(report.created, (std::vector<int32_t>{6, 7}));
    EXPECT_EQ(readAll(gamePolygonPath(library, 3)), "Polygone 3");
    EXPECT_EQ(readAll(gamePicturePath(library, 3)), "Bild 3");
    expectOnlyGameFolders();
}

TEST_F(ImportTest, AFailingWriteStopsTheBatchWithoutAHalfGame)
{
    using Op = FaultyFileSystem::Op;
    struct Case {
        const char* what;
        Op op;
        const char* inStaging;   // the failing path within the second file's staging folder
        bool freeFolder;         // Game006 exists, empty: the files are moved in
    };
    const Case cases[] = {
        {"staging folder not made", Op::CreateFolders, "", false},
        {"question file not written", Op::WriteFile, "/Pic.txt", false},
        {"polygon file not written", Op::WriteFile, "/Pic.svg", false},
        {"polygon file not synced", Op::SyncFile, "/Pic.svg", false},
        {"picture not synced", Op::SyncFile, "/Pic.png", false},
        {"game folder not renamed", Op::RenameFolder, "", false},
        {"picture not moved in", Op::ReplaceFile, "/Pic.png", true},
        {"polygon file not moved in", Op::ReplaceFile, "/Pic.svg", true},
    };
    const std::vector<std::string> files = {picture("a.png"), picture("b.png"), picture("c.png")};
    for (const Case& c : cases) {
        for (int threads : {1, 2}) {
            SCOPED_TRACE(::testing::Message() << c.what << ", " << threads << " threads");
            for (int n : {3, 6, 7, 8})
                stdfs::remove_all(gameFolderPath(library, n));
            if (c.freeFolder)
                stdfs::create_directories(gameFolderPath(library, 6));
            const auto before = snapshot(library);
            FaultyFileSystem fs(posix);
            ImportRequest r = request(files);
            fs.failOn(c.op, importStagingFolder(library, r.seed, 1) + c.inStaging, FsStatus::NoSpace);
            r.threads = threads;
            const ImportReport report = run(r, fs, codecs);

            // The first game is made; the second fails and ends the batch.
            EXPECT_EQ(report.created, (std::vector<int32_t>{3}));
            EXPECT_EQ(report.end, ImportEnd::NotSaved);
            EXPECT_EQ(report.handled, 1u);
            EXPECT_TRUE(stdfs::exists(gamePolygonPath(library, 3)));
            auto after = snapshot(library);
            for (const auto& [name, bytes] : before)
                EXPECT_EQ(after[name], bytes) << name;
            for (int n = 6; n <= 9; ++n) {
                EXPECT_FALSE(stdfs::exists(gamePolygonPath(library, n))) << n;
                EXPECT_FALSE(stdfs::exists(gamePicturePath(library, n))) << n;
            }
            EXPECT_EQ(stdfs::exists(gameFolderPath(library, 6)), c.freeFolder);
            expectOnlyGameFolders();
        }
    }
}

TEST_F(ImportTest, APictureThatCannotBeWrittenStopsTheBatch)
{
    FailingSaves pictures;
    pictures.failSavePart = ".~Import";
    const ImportReport report = run(request({picture("a.png"), picture("b.png")}), posix, pictures);
    EXPECT_TRUE(report.created.empty());
    EXPECT_EQ(report.end, ImportEnd::NotSaved);
    EXPECT_EQ(report.handled, 0u);
    expectOnlyGameFolders();
    EXPECT_FALSE(stdfs::exists(gameFolderPath(library, 3)));
}

TEST(ImportSummary, TellsWhatWasMadeAndWhatWasLeftOut)
{
    const auto files = [](std::size_t n) {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < n; ++i)
            out.push_back("/fotos/Bild" + std::to_string(i + 1) + ".jpg");
        return out;
    };
    struct Case {
        const char* what;
        std::size_t fileCount;
        ImportReport report;
        const char* text;
        MessageIcon icon;
    };
    const Case cases[] = {
        {"all in a row", 20, {{12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31}, {},
                             ImportEnd::Done, 20},
         "20 Bilder wurden als neue Spiele angelegt (Game012 bis Game031).", MessageIcon::Information},
        {"one", 1, {{7}, {}, ImportEnd::Done, 1}, "1 Bild wurde als neues Spiel angelegt (Game007).",
         MessageIcon::Information},
        {"around taken numbers", 7, {{3, 6, 7, 8, 9, 11, 12}, {}, ImportEnd::Done, 7},
         "7 Bilder wurden als neue Spiele angelegt (Game003, Game006 bis Game009, Game011 und Game012).",
         MessageIcon::Information},
        {"unreadable files", 4, {{3, 6}, {"/fotos/kaputt.jpg", "/fotos/M\xC3\xBC" "ll.png"}, ImportEnd::Done, 4},
         "2 Bilder wurden als neue Spiele angelegt (Game003 und Game006).\n\n"
         "Diese Bilder konnten nicht geladen werden:\nkaputt.jpg\nM\xFCll.png",
         MessageIcon::Warning},
        {"nothing readable", 1, {{}, {"/fotos/x.png"}, ImportEnd::Done, 1},
         "Es wurde kein neues Spiel angelegt.\n\nDieses Bild konnte nicht geladen werden:\nx.png",
         MessageIcon::Warning},
        {"cancelled", 20, {{12, 13, 14}, {}, ImportEnd::Cancelled, 3},
         "3 Bilder wurden als neue Spiele angelegt (Game012 bis Game014).\n\n"
         "Der Import wurde abgebrochen: 17 Bilder wurden nicht importiert.",
         MessageIcon::Information},
        {"out of numbers", 5, {{998, 999}, {}, ImportEnd::OutOfNumbers, 2},
         "2 Bilder wurden als neue Spiele angelegt (Game998 und Game999).\n\n"
         "Es wurde kein freier Platz mehr gefunden (h\xF6" "chstens Game999) !\n3 Bilder wurden nicht importiert.",
         MessageIcon::Warning},
        {"not saved", 3, {{4}, {}, ImportEnd::NotSaved, 1},
         "1 Bild wurde als neues Spiel angelegt (Game004).\n\n"
         "Es gab einen Fehler beim Speichern des Bildes Bild2.jpg !\n2 Bilder wurden nicht importiert.",
         MessageIcon::Warning},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ImportRequest r;
        r.files = files(c.fileCount);
        EXPECT_EQ(importSummaryText(r, c.report), c.text);
        EXPECT_EQ(importSummaryIcon(c.report), c.icon);
    }
}

TEST(ImportSummary, ListsAtMostFifteenUnreadableFiles)
{
    ImportRequest r;
    ImportReport report;
    for (int i = 1; i <= 18; ++i) {
        r.files.push_back("/f/x" + std::to_string(i) + ".png");
        report.unreadable.push_back(r.files.back());
    }
    report.handled = 18;
    const std::string text = importSummaryText(r, report);
    EXPECT_NE(text.find("\nx15.png\nund 3 weitere"), std::string::npos) << text;
    EXPECT_EQ(text.find("x16.png"), std::string::npos);
}

}  // namespace
}  // namespace gz
