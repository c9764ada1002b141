// Where the demo library is found beside the program, and when a first start
// takes it as the picture path.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

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

}  // namespace
}  // namespace gz
