// Where the demo library is found beside the program, when a first start
// takes it as the picture path, and when a start goes to the user's own
// copy of the installed one instead.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>

#include "game/cp1252.h"
#include "game/file_system_faults.h"
#include "shell/demo_library.h"
#include "shell/settings_memory.h"
#include "shell/settings_values.h"

namespace gz {
namespace {

namespace fs = std::filesystem;

class DemoLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("gz_demo_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "bin");
    }
    void TearDown() override { fs::remove_all(root); }
    fs::path root;
};

TEST_F(DemoLibraryTest, FoundInstalledOrInTheBuildTree)
{
    EXPECT_EQ(findDemoLibrary((root / "bin").string()), "") << "nothing there yet";
    fs::create_directories(root / "demo" / "Games");
    EXPECT_EQ(findDemoLibrary((root / "bin").string()), fs::canonical(root / "demo" / "Games").string());
    // The installed place wins over a build tree beside it.
    fs::create_directories(root / "share" / "gamezinko" / "Games");
    EXPECT_EQ(findDemoLibrary((root / "bin").string()),
              fs::canonical(root / "share" / "gamezinko" / "Games").string());
    EXPECT_EQ(findDemoLibrary(""), "");
}

TEST_F(DemoLibraryTest, AFileNamedLikeTheLibraryIsNotIt)
{
    fs::create_directories(root / "demo");
    { std::FILE* f = std::fopen((root / "demo" / "Games").c_str(), "w"); ASSERT_NE(f, nullptr); std::fclose(f); }
    EXPECT_EQ(findDemoLibrary((root / "bin").string()), "");
}

TEST(DemoLibraryFirstStart, OnlyAnEmptyStoredPathWithoutPathArgumentTakesIt)
{
    const std::string demo = "/usr/share/gamezinko/Games";
    struct Case {
        const char* name;
        std::optional<std::string> stored;   // PicPath before the start
        std::vector<std::string> args;
        bool seeded;
        std::string picPathAfter;
    };
    const Case cases[] = {
        {"first start", std::nullopt, {}, true, demo},
        {"empty value", std::string(), {}, true, demo},
        {"only a switch", std::nullopt, {"-z"}, true, demo},
        {"path argument", std::nullopt, {"/home/quiz/Games"}, false, ""},
        {"relative path argument", std::nullopt, {"Games"}, false, ""},
        {"stored path, folder missing", std::string("/nowhere/Games"), {}, false, "/nowhere/Games"},
    };
    for (const Case& c : cases) {
        MemorySettingsBackend settings;
        if (c.stored)
            settings.writeString("Software\\Mervo\\GameZinko", "PicPath", *c.stored);
        EXPECT_EQ(useDemoLibraryOnFirstStart(settings, c.args, demo), c.seeded) << c.name;
        EXPECT_EQ(readViewSettings(settings).picPath, c.picPathAfter) << c.name;
    }
}

TEST(DemoLibraryFirstStart, NoLibraryOrOneTooLongForThePathChangesNothing)
{
    for (const std::string& demo : {std::string(), "/" + std::string(kMaxPicPathBytes, 'x')}) {
        MemorySettingsBackend settings;
        EXPECT_FALSE(useDemoLibraryOnFirstStart(settings, {}, demo));
        EXPECT_EQ(readViewSettings(settings).picPath, "");
    }
}

TEST_F(DemoLibraryTest, OnlyTheInstalledPlaceIsTheInstalledLibrary)
{
    fs::create_directories(root / "demo" / "Games");
    EXPECT_EQ(findInstalledDemoLibrary((root / "bin").string()), "") << "a build tree is the developer's own";
    fs::create_directories(root / "share" / "gamezinko" / "Games");
    EXPECT_EQ(findInstalledDemoLibrary((root / "bin").string()),
              fs::canonical(root / "share" / "gamezinko" / "Games").string());
    EXPECT_EQ(findInstalledDemoLibrary(""), "");
}

TEST(UserLibraryFolder, FollowsTheXdgBaseDirectoryRules)
{
    struct Case {
        const char* name;
        const char* xdgDataHome;   // null: unset
        const char* home;
        std::string folder;
    };
    const Case cases[] = {
        {"XDG_DATA_HOME set", "/data/anna", "/home/anna", "/data/anna/GameZinko/Games"},
        {"XDG_DATA_HOME with a trailing slash", "/data/anna/", "/home/anna", "/data/anna/GameZinko/Games"},
        {"XDG_DATA_HOME unset", nullptr, "/home/anna", "/home/anna/.local/share/GameZinko/Games"},
        {"XDG_DATA_HOME empty", "", "/home/anna", "/home/anna/.local/share/GameZinko/Games"},
        {"XDG_DATA_HOME relative: ignored", "daten", "/home/anna", "/home/anna/.local/share/GameZinko/Games"},
        {"HOME with a trailing slash", nullptr, "/home/anna/", "/home/anna/.local/share/GameZinko/Games"},
        {"neither set", nullptr, nullptr, ""},
        {"HOME empty", "", "", ""},
        {"HOME relative", "daten", "anna", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(userLibraryFolder(c.xdgDataHome, c.home), c.folder) << c.name;
}

// The start on the installed library: which path is the start's, and what
// of it is replaced by the user's copy.
class WritableLibraryTest : public DemoLibraryTest {
protected:
    void SetUp() override
    {
        DemoLibraryTest::SetUp();
        fs::create_directories(root / "share" / "gamezinko" / "Games" / "Game001");
        std::ofstream(root / "share" / "gamezinko" / "Games" / "Game001" / "Pic.txt") << "Frage\nAntwort\n";
        installed = findInstalledDemoLibrary((root / "bin").string());
        ASSERT_FALSE(installed.empty());
        userLibrary = (root / "home" / ".local" / "share" / "GameZinko" / "Games").string();
    }
    std::string storedPicPath() { return readViewSettings(settings).picPath; }
    std::string copiedQuestion() const
    {
        std::ifstream in(fs::path(userLibrary) / "Game001" / "Pic.txt");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string installed, userLibrary;
    MemorySettingsBackend settings;
    PosixFileSystem posix;
    FaultyFileSystem faulty{posix};
};

TEST_F(WritableLibraryTest, AStartOnTheInstalledLibraryGoesToTheCopy)
{
    struct Case {
        const char* name;
        std::optional<std::string> stored;   // PicPath before the start
        std::vector<std::string> args;
        std::string storedAfter;             // "copy": the user's library
        std::vector<std::string> argsAfter;
    };
    const std::string other = (root / "bin").string();
    const std::string spelledOtherwise = (root / "bin" / ".." / "share" / "gamezinko" / "Games").string() + "/";
    const Case cases[] = {
        {"stored", installed, {}, "copy", {}},
        {"stored, with a switch", installed, {"-z"}, "copy", {"-z"}},
        {"argument", std::nullopt, {installed}, "", {"copy"}},
        {"argument spelled otherwise", other, {"-z", spelledOtherwise}, other, {"-z", "copy"}},
        {"the last argument counts", installed, {installed, other}, installed, {installed, other}},
        {"argument after another", std::nullopt, {other, installed}, "", {other, "copy"}},
        {"another library", other, {}, other, {}},
        {"nothing stored", std::nullopt, {}, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(root / "home");
        settings = MemorySettingsBackend();
        if (c.stored)
            settings.writeString("Software\\Mervo\\GameZinko", "PicPath", *c.stored);
        std::vector<std::string> args = c.args;
        EXPECT_EQ(useWritableLibrary(settings, args, installed, userLibrary, faulty), "");
        EXPECT_EQ(storedPicPath(), c.storedAfter == "copy" ? userLibrary : c.storedAfter);
        std::vector<std::string> argsAfter = c.argsAfter;
        for (std::string& a : argsAfter)
            if (a == "copy")
                a = userLibrary;
        EXPECT_EQ(args, argsAfter);
        const bool copied = c.storedAfter == "copy" || argsAfter != c.args;
        EXPECT_EQ(copiedQuestion(), copied ? "Frage\nAntwort\n" : "");
    }
}

TEST_F(WritableLibraryTest, TheUsersGamesThereAreTakenAsTheyAre)
{
    fs::create_directories(fs::path(userLibrary) / "Game001");
    std::ofstream(fs::path(userLibrary) / "Game001" / "Pic.txt") << "Meine\n\n";
    settings.writeString("Software\\Mervo\\GameZinko", "PicPath", installed);
    std::vector<std::string> args;
    EXPECT_EQ(useWritableLibrary(settings, args, installed, userLibrary, faulty), "");
    EXPECT_EQ(storedPicPath(), userLibrary);
    EXPECT_EQ(copiedQuestion(), "Meine\n\n");
}

// No copy: the start stays on the installed library and says so once.
TEST_F(WritableLibraryTest, WithoutACopyThePathStaysAndAWarningSaysWhy)
{
    struct Case {
        const char* name;
        std::string target;
        bool copyFails;
        std::string warning;   // UTF-8
    };
    const std::string stays = "“: Neue Spiele und Änderungen lassen sich dort nicht speichern.";
    const Case cases[] = {
        {"the copy fails", userLibrary, true,
         "Die Beispielspiele konnten nicht nach „" + userLibrary +
             "“ kopiert werden. Sie bleiben im schreibgeschützten Ordner „" + installed + stays},
        {"no folder for the user's data", "", false,
         "Es gibt keinen Ordner für eigene Daten (weder XDG_DATA_HOME noch HOME nennt einen absoluten Pfad). "
         "Die Beispielspiele bleiben im schreibgeschützten Ordner „" + installed + stays},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings.writeString("Software\\Mervo\\GameZinko", "PicPath", installed);
        faulty.clearFaults();
        if (c.copyFails)
            faulty.failOn(FaultyFileSystem::Op::CopyFile, "Pic.txt", FsStatus::NoSpace);
        std::vector<std::string> args = {"-z"};
        EXPECT_EQ(cp1252::toUtf8(useWritableLibrary(settings, args, installed, c.target, faulty)), c.warning);
        EXPECT_EQ(storedPicPath(), installed);
        EXPECT_EQ(args, std::vector<std::string>{"-z"});
        EXPECT_FALSE(fs::exists(userLibrary));
    }
    // No installed library beside the program: nothing to do, nothing to say.
    std::vector<std::string> args = {installed};
    EXPECT_EQ(useWritableLibrary(settings, args, "", userLibrary, faulty), "");
    EXPECT_EQ(args, std::vector<std::string>{installed});
}

}  // namespace
}  // namespace gz
