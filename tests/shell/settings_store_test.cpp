#include "shell/qsettings_backend.h"
#include "shell/settings_memory.h"
#include "shell/settings_store.h"
#include "shell/settings_values.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

namespace gz {
namespace {

namespace fs = std::filesystem;

// A fresh folder for the INI files of one test; the user's settings are never touched.
class TempFolder {
public:
    TempFolder()
    {
        std::string templ = (fs::temp_directory_path() / "gz-settings-XXXXXX").string();
        path_ = mkdtemp(templ.data()) ? templ : std::string();
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

struct BackendKind {
    const char* name;
    std::function<std::unique_ptr<SettingsBackend>(const std::string& folder)> make;
};

const BackendKind kBackends[] = {
    {"Memory", [](const std::string&) { return std::make_unique<MemorySettingsBackend>(); }},
    {"QSettingsIni", [](const std::string& f) { return std::make_unique<QSettingsBackend>(f); }},
};

// The same contract on both backends.
class SettingsContract : public ::testing::TestWithParam<BackendKind> {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(tmp_.path().empty());
        store_ = GetParam().make(tmp_.path());
    }
    // A second backend on the same storage, as the next program run sees it.
    std::unique_ptr<SettingsBackend> reopen()
    {
        if (std::string(GetParam().name) == "Memory")
            return nullptr;   // memory does not outlive its object
        return GetParam().make(tmp_.path());
    }
    SettingsBackend& store() { return *store_; }

    TempFolder tmp_;
    std::unique_ptr<SettingsBackend> store_;
};

INSTANTIATE_TEST_SUITE_P(Backends, SettingsContract, ::testing::ValuesIn(kBackends),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(SettingsContract, FirstStartReadsDefaultsAndWritesAllSixViewValues)
{
    ViewSettings v = readViewSettings(store());
    EXPECT_EQ(v, ViewSettings{});
    EXPECT_EQ(v.switchTime, 5000);
    EXPECT_EQ(v.polyInfo, 1);

    writeViewSettings(store(), v);
    SettingsKeyStack key(store());
    ASSERT_TRUE(key.openRoot({}, KeyMode::Read));
    int32_t n = -7;
    std::string s = "untouched";
    EXPECT_TRUE(key.readInt("SwitchTime", n));
    EXPECT_EQ(n, 5000);
    for (const char* name : {"ColorMode", "StarSize", "ComPort"}) {
        n = -7;
        EXPECT_TRUE(key.readInt(name, n)) << name;
        EXPECT_EQ(n, 0) << name;
    }
    EXPECT_TRUE(key.readInt("PolyInfo", n));
    EXPECT_EQ(n, 1);
    EXPECT_TRUE(key.readString("PicPath", s));
    EXPECT_EQ(s, "");
}

TEST_P(SettingsContract, ViewValuesRoundTripIntoTheNextRun)
{
    ViewSettings v;
    v.switchTime = 7500;
    v.colorMode = 1;
    v.starSize = 7;   // kept as stored, only the layout treats it as 0
    v.polyInfo = 0;
    v.picPath = "/home/quiz/Bilder \xC3\x84rger/" + std::string(300, 'x');   // a long path with an umlaut
    v.comPort = 3;
    writeViewSettings(store(), v);
    EXPECT_EQ(readViewSettings(store()), v);
    if (auto next = reopen()) {
        EXPECT_EQ(readViewSettings(*next), v);
    }
}

TEST_P(SettingsContract, SwitchTimeIsClampedAsUnsigned)
{
    struct Case { uint32_t stored; int32_t expect; };
    const Case cases[] = {
        {0, 2000}, {1999, 2000}, {2000, 2000}, {5001, 5001},
        {10000, 10000}, {10001, 10000}, {0x80000000u, 10000}, {0xFFFFFFFFu, 10000},
    };
    for (const Case& c : cases) {
        SettingsKeyStack key(store());
        ASSERT_TRUE(key.openRoot({}, KeyMode::Create));
        ASSERT_TRUE(key.writeUInt("SwitchTime", c.stored));
        key.close();
        EXPECT_EQ(readViewSettings(store()).switchTime, c.expect) << c.stored;
    }
}

TEST_P(SettingsContract, ValuesOfTheWrongTypeKeepTheirDefaults)
{
    SettingsKeyStack key(store());
    ASSERT_TRUE(key.openRoot({}, KeyMode::Create));
    ASSERT_TRUE(key.writeString("ColorMode", "schwarz"));
    ASSERT_TRUE(key.writeStringList("ComPort", {"a", "b"}));
    ASSERT_TRUE(key.writeString("PicPath", "C:\\Spiele"));
    ASSERT_TRUE(key.writeString("PolyInfo", std::string(300, 'x')));
    key.close();
    ViewSettings v = readViewSettings(store());
    EXPECT_EQ(v.colorMode, 0);
    EXPECT_EQ(v.comPort, 0);
    EXPECT_EQ(v.polyInfo, 1);
    EXPECT_EQ(v.picPath, "C:\\Spiele");
}

TEST_P(SettingsContract, OverlongPicPathKeepsTheDefault)
{
    SettingsKeyStack key(store());
    ASSERT_TRUE(key.openRoot({}, KeyMode::Create));
    ASSERT_TRUE(key.writeString("PicPath", std::string(kMaxPicPathBytes + 1, 'p')));
    key.close();
    EXPECT_EQ(readViewSettings(store()).picPath, "");
    ASSERT_TRUE(key.openRoot({}, KeyMode::Create));
    ASSERT_TRUE(key.writeString("PicPath", std::string(kMaxPicPathBytes, 'p')));
    key.close();
    EXPECT_EQ(readViewSettings(store()).picPath.size(), kMaxPicPathBytes);
}

TEST_P(SettingsContract, FrameValuesAndPlacement)
{
    EXPECT_EQ(readFrameOptions(store()), FrameOptions{});
    EXPECT_FALSE(readFramePlacement(store()).isZoomed.has_value());

    writeFrameOptions(store(), FrameOptions{0, 1});
    EXPECT_EQ(readFrameOptions(store()), (FrameOptions{0, 1}));

    PlacementToSave normal;
    normal.isZoomed = 0;
    normal.writeRect = true;
    normal.posX = -1280;
    normal.posY = 40;
    normal.sizeX = 1024;
    normal.sizeY = 768;
    normal.writeMonitor = true;
    normal.monitor = 1;
    writeFramePlacement(store(), normal);

    // Closed while maximised on one monitor: the normal rectangle and the monitor stay.
    PlacementToSave maximised;
    maximised.isZoomed = 1;
    maximised.posX = 99;
    maximised.monitor = 0;
    writeFramePlacement(store(), maximised);

    StoredPlacement p = readFramePlacement(store());
    ASSERT_TRUE(p.isZoomed.has_value());
    EXPECT_EQ(*p.isZoomed, 1);
    EXPECT_EQ(p.posX, -1280);
    EXPECT_EQ(p.posY, 40);
    EXPECT_EQ(p.sizeX, 1024);
    EXPECT_EQ(p.sizeY, 768);
    EXPECT_EQ(p.monitor, 1);
}

TEST_P(SettingsContract, PlacementWithOnlyIsZoomedCountsTheRestAsZero)
{
    SettingsKeyStack key(store());
    ASSERT_TRUE(key.openRoot({}, KeyMode::Create));
    ASSERT_TRUE(key.openSubkey("Settings"));
    ASSERT_TRUE(key.writeInt("IsZoomed", 0));
    ASSERT_TRUE(key.writeInt("LastMonitor", -1));
    key.close();
    StoredPlacement p = readFramePlacement(store());
    ASSERT_TRUE(p.isZoomed.has_value());
    EXPECT_EQ(p.posX, 0);
    EXPECT_EQ(p.sizeY, 0);
    EXPECT_EQ(p.monitor, -1);
}

TEST_P(SettingsContract, PreviewPagesWrittenOnlyWhenNotZero)
{
    writePreviewPages(store(), 0);
    SettingsKeyStack key(store());
    int32_t pages = 0;
    EXPECT_FALSE(key.openRoot("Software\\Mervo\\GameZinko\\Settings", KeyMode::Read) &&
                 key.readInt("PreviewPages", pages));
    writePreviewPages(store(), 2);
    EXPECT_EQ(readPreviewPages(store()), 2);
}

TEST_P(SettingsContract, RecentFileListIsReplacedWhole)
{
    writeRecentFiles(store(), {"/a/Das Spiel", "/b/Das Spiel", "/c/Das Spiel", "/d/Das Spiel"});
    writeRecentFiles(store(), {"/x/Das Spiel", "", "/z/Das Spiel", ""});
    RecentFiles r = readRecentFiles(store());
    EXPECT_EQ(r[0], "/x/Das Spiel");
    EXPECT_EQ(r[1], "");   // the old File2 went with the subkey
    EXPECT_EQ(r[2], "/z/Das Spiel");
    EXPECT_EQ(r[3], "");
    writeRecentFiles(store(), {});
    EXPECT_EQ(readRecentFiles(store()), RecentFiles{});
}

TEST_P(SettingsContract, NameListsAndFolderListsRoundTrip)
{
    const std::vector<std::string> names = {"b.png", "a.png", "c \xC3\xBC.png"};
    std::vector<std::string> got = {"kept"};
    EXPECT_FALSE(readNameList(store(), "#", "NameList", got));
    EXPECT_EQ(got, std::vector<std::string>{"kept"});
    ASSERT_TRUE(writeNameList(store(), "#", "NameList", names));
    ASSERT_TRUE(readNameList(store(), "#", "NameList", got));
    EXPECT_EQ(got, names);

    // One entry and a subkey name.
    ASSERT_TRUE(writeNameList(store(), "#Dialoge", "NameList", {"nur.png"}));
    ASSERT_TRUE(readNameList(store(), "#Dialoge", "NameList", got));
    EXPECT_EQ(got, std::vector<std::string>{"nur.png"});

    std::string key = folderListKeyPath(store(), kRegistryKeyName, kApplicationName);
    std::vector<std::string> folders;
    for (int i = 0; i < 40; ++i)
        folders.push_back("/bilder/" + std::to_string(i) + "/");
    std::vector<std::string> written = writeFolderList(store(), key, "OfnListPng", folders);
    EXPECT_EQ(written.size(), 16u);
    ASSERT_TRUE(readFolderList(store(), key, "OfnListPng", got));
    EXPECT_EQ(got, written);
}

TEST_P(SettingsContract, FolderChooserValuesInTheCommonKey)
{
    EXPECT_EQ(readFolderChooserSettings(store()), FolderChooserSettings{});
    writeFolderChooserSettings(store(), {1, 0}, false);
    EXPECT_EQ(readFolderChooserSettings(store()), (FolderChooserSettings{0, 0}));
    writeFolderChooserSettings(store(), {1, 0}, true);
    EXPECT_EQ(readFolderChooserSettings(store()), (FolderChooserSettings{1, 0}));
    // Not in the application key.
    SettingsKeyStack k(store());
    int32_t v = 5;
    EXPECT_FALSE(k.openRoot({}, KeyMode::Read) && k.readInt("PathDlgTreeMode", v));
}

TEST_P(SettingsContract, FolderChooserTakesEachPresentValueAndKeepsTheOtherDefault)
{
    struct Case { const char* name; int32_t stored; FolderChooserSettings expect; };
    const Case cases[] = {
        {"PathDlgBreadCrumb", 0, {0, 0}},
        {"PathDlgTreeMode", 1, {1, 1}},
        {"PathDlgTree", 1, {0, 1}},       // another name is not the value
    };
    for (const Case& c : cases) {
        {
            SettingsKeyStack key(store());
            ASSERT_TRUE(key.openRoot(kCommonKeyPath, KeyMode::Create));
            key.removeValue("PathDlgTreeMode");
            key.removeValue("PathDlgBreadCrumb");
            key.removeValue("PathDlgTree");
            ASSERT_TRUE(key.writeInt(c.name, c.stored));
        }
        EXPECT_EQ(readFolderChooserSettings(store()), c.expect) << c.name;
    }
    // A text where an integer belongs keeps the default.
    SettingsKeyStack key(store());
    ASSERT_TRUE(key.openRoot(kCommonKeyPath, KeyMode::Create));
    key.removeValue("PathDlgTree");
    key.writeString("PathDlgBreadCrumb", "kein");
    key.writeInt("PathDlgTreeMode", 0);
    key.close();
    EXPECT_EQ(readFolderChooserSettings(store()), FolderChooserSettings{});
}

TEST_P(SettingsContract, FolderChooserValuesAreIntegersAnotherProgramReads)
{
    writeFolderChooserSettings(store(), {1, 0}, true);
    std::unique_ptr<SettingsBackend> next = reopen();
    SettingsKeyStack key(next ? *next : store());
    ASSERT_TRUE(key.openRoot(kCommonKeyPath, KeyMode::Read));
    uint32_t tree = 7, crumbs = 7;
    EXPECT_TRUE(key.readUInt("PathDlgTreeMode", tree));
    EXPECT_TRUE(key.readUInt("PathDlgBreadCrumb", crumbs));
    EXPECT_EQ(tree, 1u);
    EXPECT_EQ(crumbs, 0u);
}

TEST_P(SettingsContract, IntegersKeepAll32Bits)
{
    SettingsKeyStack key(store());
    ASSERT_TRUE(key.openRoot({}, KeyMode::Create));
    const int32_t values[] = {0, -1, INT32_MIN, INT32_MAX, 42};
    for (int32_t v : values) {
        ASSERT_TRUE(key.writeInt("Wert", v));
        int32_t back = 0;
        ASSERT_TRUE(key.readInt("Wert", back));
        EXPECT_EQ(back, v);
        uint32_t ub = 0;
        ASSERT_TRUE(key.readUInt("Wert", ub));
        EXPECT_EQ(ub, static_cast<uint32_t>(v));
    }
}

// Paths are stored as text: any Unicode path survives, the settings file
// holds it as plain UTF-8, and a UTF-8 value typed into the file is read as
// that path.
TEST_P(SettingsContract, PathsSurviveAsText)
{
    const std::string path = "/home/quiz/\xC3\x9C" "bung \xE2\x82\xAC \xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE \xE5\x86\x99\xE7\x9C\x9F \xF0\x9F\x8E\xB2";
    SettingsKeyStack key(store());
    ASSERT_TRUE(key.openRoot({}, KeyMode::Create));
    ASSERT_TRUE(key.writeString("PicPath", path));
    key.close();
    std::unique_ptr<SettingsBackend> next = reopen();
    SettingsKeyStack k2(next ? *next : store());
    std::string back;
    ASSERT_TRUE(k2.openRoot({}, KeyMode::Read));
    ASSERT_TRUE(k2.readString("PicPath", back));
    EXPECT_EQ(back, path);
    if (!next)
        return;
    auto* qs = dynamic_cast<QSettingsBackend*>(next.get());
    ASSERT_NE(qs, nullptr);
    const std::string file = qs->locationOf(kApplicationKeyPath);
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("PicPath=" + path), std::string::npos) << text;
}

// Written by hand, or by an earlier version that stored the UTF-8 bytes of
// a path as Windows-1252 characters: both read as the path.
TEST(QSettingsBackendFile, HandWrittenAndDoublyEncodedPathsAreFound)
{
    TempFolder dir;
    ASSERT_FALSE(dir.path().empty());
    struct Case { const char* line; std::string path; };
    const Case cases[] = {
        {"PicPath=/media/stick/\xC3\x9C" "bungen", "/media/stick/\xC3\x9C" "bungen"},
        {"PicPath=/media/stick/\xC3\x83\xC5\x93" "bungen", "/media/stick/\xC3\x9C" "bungen"},
        {"PicPath=/media/M\xC3\xBCller/\xC3\x84pfel", "/media/M\xC3\xBCller/\xC3\x84pfel"},
        {"PicPath=/media/plain", "/media/plain"},
    };
    for (const Case& c : cases) {
        const std::string folder = dir.path() + "/case";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder + "/Mervo");
        std::ofstream(folder + "/Mervo/GameZinko.ini") << "[General]\n" << c.line << "\n";
        QSettingsBackend backend(folder);
        EXPECT_EQ(readViewSettings(backend).picPath, c.path) << c.line;
    }
}

// --- Key stack rules (memory backend) ---

TEST(SettingsKeyStack, ReadModeNeedsAnExistingKeyAndNeverWrites)
{
    MemorySettingsBackend m;
    SettingsKeyStack key(m);
    EXPECT_FALSE(key.openRoot({}, KeyMode::Read));
    EXPECT_FALSE(key.writeInt("SwitchTime", 1));
    int32_t v = 77;
    EXPECT_FALSE(key.readInt("SwitchTime", v));
    EXPECT_EQ(v, 77);

    ASSERT_TRUE(key.openRoot({}, KeyMode::Create));
    EXPECT_TRUE(m.keyExists(kApplicationKeyPath));
    ASSERT_TRUE(key.writeInt("SwitchTime", 3000));
    ASSERT_TRUE(key.openRoot({}, KeyMode::Read));
    EXPECT_FALSE(key.writeInt("SwitchTime", 4000));
    EXPECT_FALSE(key.openSubkey("Settings"));   // missing, and read mode does not create
    EXPECT_EQ(key.currentPath(), kApplicationKeyPath);
    EXPECT_TRUE(key.readInt("SwitchTime", v));
    EXPECT_EQ(v, 3000);
}

TEST(SettingsKeyStack, ElevenSubkeyLevelsAtMost)
{
    MemorySettingsBackend m;
    SettingsKeyStack key(m);
    ASSERT_TRUE(key.openRoot({}, KeyMode::Create));
    for (int i = 0; i < 11; ++i)
        ASSERT_TRUE(key.openSubkey("L" + std::to_string(i))) << i;
    EXPECT_EQ(key.subkeyLevels(), 11);
    std::string before = key.currentPath();
    EXPECT_FALSE(key.openSubkey("L11"));
    EXPECT_EQ(key.currentPath(), before);
    EXPECT_TRUE(key.writeInt("Tief", 1));
    key.close();
    EXPECT_FALSE(key.isOpen());
    EXPECT_FALSE(key.writeInt("Tief", 2));
}

TEST(SettingsKeyStack, StoredStringReadsWithOrWithoutItsZero)
{
    MemorySettingsBackend m;
    SettingsKeyStack key(m);
    ASSERT_TRUE(key.openRoot({}, KeyMode::Create));
    struct Case { std::string stored; std::string expect; };
    const Case cases[] = {
        {"D:\\Spiele", "D:\\Spiele"},
        {std::string("D:\\Spiele\0", 10), "D:\\Spiele"},
        {std::string("D:\0junk", 7), "D:"},
        {"", ""},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(key.writeString("PicPath", c.stored));
        std::string s = "old";
        EXPECT_TRUE(key.readString("PicPath", s)) << c.expect;
        EXPECT_EQ(s, c.expect);
    }
    // A 259-byte text with its zero fits a 259-byte destination; 260 bytes do not.
    ASSERT_TRUE(key.writeString("PicPath", std::string(259, 'a') + '\0'));
    std::string s = "old";
    EXPECT_TRUE(key.readString("PicPath", s, 259));
    ASSERT_TRUE(key.writeString("PicPath", std::string(260, 'a')));
    s = "old";
    EXPECT_FALSE(key.readString("PicPath", s, 259));
    EXPECT_EQ(s, "old");
}

TEST(SettingsKeyStack, KeysAndNamesIgnoreLetterCase)
{
    MemorySettingsBackend m;
    SettingsKeyStack key(m);
    ASSERT_TRUE(key.openRoot("software\\MERVO\\gamezinko", KeyMode::Create));
    ASSERT_TRUE(key.writeInt("switchtime", 2500));
    EXPECT_EQ(readViewSettings(m).switchTime, 2500);
}

TEST(SettingsFailures, FailedReadsKeepDefaultsAndFailedWritesChangeNothing)
{
    MemorySettingsBackend m;
    ViewSettings v;
    v.switchTime = 9000;
    v.picPath = "/spiele";
    writeViewSettings(m, v);
    writeFrameOptions(m, {0, 1});

    m.setFailReads(true);
    EXPECT_EQ(readViewSettings(m), ViewSettings{});
    EXPECT_EQ(readFrameOptions(m), FrameOptions{});
    EXPECT_FALSE(readFramePlacement(m).isZoomed.has_value());
    m.setFailReads(false);

    m.setFailWrites(true);
    writeViewSettings(m, ViewSettings{});
    writeRecentFiles(m, {"/neu"});
    m.setFailWrites(false);
    EXPECT_EQ(readViewSettings(m), v);
    EXPECT_EQ(readRecentFiles(m), RecentFiles{});
}

TEST(SettingsFailures, FolderChooserValuesFailSilently)
{
    MemorySettingsBackend m;
    writeFolderChooserSettings(m, {1, 0}, true);
    m.setFailReads(true);
    EXPECT_EQ(readFolderChooserSettings(m), FolderChooserSettings{});
    m.setFailReads(false);
    m.setFailWrites(true);
    writeFolderChooserSettings(m, {0, 1}, true);
    m.setFailWrites(false);
    EXPECT_EQ(readFolderChooserSettings(m), (FolderChooserSettings{1, 0}));
    // Reading never creates the common key.
    MemorySettingsBackend fresh;
    readFolderChooserSettings(fresh);
    EXPECT_FALSE(fresh.keyExists(kCommonKeyPath));
}

TEST(SettingsLists, FolderListValueNames)
{
    struct Case { const char* ext; const char* name; };
    const Case cases[] = {
        {"*.png", "OfnListPng"},
        {"png", "OfnListPng"},
        {"*.JPEG", "OfnListJpeg"},
        {"", "OfnList"},
        {"*.", "OfnList"},
        {"b?p", "OfnListP"},
        {"*.1x", "OfnList1x"},
        {"*.abcdefghijklmnopqrstuvwxyz", "OfnListAbcdefghijklmnopqrstuvwx"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(folderListValueName(c.ext), c.name) << c.ext;
}

TEST(SettingsLists, FolderListLocation)
{
    MemorySettingsBackend m;
    EXPECT_EQ(folderListKeyPath(m, "Mervo", "GameZinko"), "Software\\Mervo\\GameZinko");
    EXPECT_EQ(folderListKeyPath(m, "", "GameZinko"), "Software\\Mervo\\Common\\OfnList");
    m.createKey("Software\\Mervo\\GameZinko");
    EXPECT_EQ(folderListKeyPath(m, "", "GameZinko"), "Software\\Mervo\\GameZinko");
    EXPECT_EQ(folderListKeyPath(m, "", ""), "Software\\Mervo\\Common\\OfnList");
}

TEST(SettingsLists, FolderListWriteSkipsWhatDoesNotFit4096Bytes)
{
    MemorySettingsBackend m;
    // 1 closing zero + 2 x 2001 leaves 2093 bytes: the 2500-byte entry is left
    // out, the short one after it still fits.
    const std::vector<std::string> in = {std::string(2000, 'a'), std::string(2000, 'b'),
                                         std::string(2500, 'c'), "/kurz/"};
    std::vector<std::string> w = writeFolderList(m, "Software\\Mervo\\GameZinko", "OfnListPng", in);
    ASSERT_EQ(w.size(), 3u);
    EXPECT_EQ(w[2], "/kurz/");
    const auto* v = m.find("Software\\Mervo\\GameZinko", "OfnListPng");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->list, w);
}

TEST(SettingsLists, KeySpecifications)
{
    EXPECT_EQ(keyPathOf("#"), "Software\\Mervo\\GameZinko");
    EXPECT_EQ(keyPathOf("#Dialog"), "Software\\Mervo\\GameZinko\\Dialog");
    EXPECT_EQ(keyPathOf("Software\\Other"), "Software\\Other");
}

// --- QSettings specifics ---

std::string slurp(const std::string& path)
{
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

TEST(QSettingsBackend, KeysLiveInTheTemporaryFolderAsIniFiles)
{
    TempFolder tmp;
    QSettingsBackend b(tmp.path());
    EXPECT_EQ(b.locationOf(kApplicationKeyPath), tmp.path() + "/Mervo/GameZinko.ini");
    EXPECT_EQ(b.locationOf(kCommonKeyPath), tmp.path() + "/Mervo/Common.ini");
    EXPECT_EQ(b.locationOf("Software\\Mervo"), tmp.path() + "/Mervo.ini");

    ViewSettings v;
    v.picPath = "/bilder";
    writeViewSettings(b, v);
    writeFrameOptions(b, {1, 0});
    std::string ini = slurp(tmp.path() + "/Mervo/GameZinko.ini");
    EXPECT_NE(ini.find("SwitchTime=5000"), std::string::npos) << ini;
    EXPECT_NE(ini.find("PicPath=/bilder"), std::string::npos) << ini;
    EXPECT_NE(ini.find("[Settings]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("FlatMode=1"), std::string::npos) << ini;
}

TEST(QSettingsBackend, HandEditedIniValues)
{
    TempFolder tmp;
    fs::create_directories(tmp.path() + "/Mervo");
    {
        std::ofstream f(tmp.path() + "/Mervo/GameZinko.ini");
        f << "[General]\nSwitchTime=4294967295\nColorMode=abc\nStarSize=-3\nPicPath=1234\nComPort= 2\n";
    }
    QSettingsBackend b(tmp.path());
    ViewSettings v = readViewSettings(b);
    EXPECT_EQ(v.switchTime, 10000);
    EXPECT_EQ(v.colorMode, 0);
    EXPECT_EQ(v.starSize, -3);
    EXPECT_EQ(v.picPath, "1234");   // digits are still a path
    EXPECT_EQ(v.comPort, 2);
}

TEST(QSettingsBackend, EmptyListAndRemovedKey)
{
    TempFolder tmp;
    QSettingsBackend b(tmp.path());
    ASSERT_TRUE(writeNameList(b, "#", "NameList", {}));
    std::vector<std::string> got = {"x"};
    EXPECT_TRUE(readNameList(b, "#", "NameList", got));
    EXPECT_TRUE(got.empty());

    ASSERT_TRUE(b.writeInteger("Software\\Mervo\\GameZinko\\A\\B", "Wert", 1));
    EXPECT_TRUE(b.keyExists("Software\\Mervo\\GameZinko\\A"));
    ASSERT_TRUE(b.removeKey("Software\\Mervo\\GameZinko\\A"));
    EXPECT_FALSE(b.keyExists("Software\\Mervo\\GameZinko\\A"));
    EXPECT_FALSE(b.keyExists("Software\\Mervo\\GameZinko\\A\\B"));
    EXPECT_TRUE(b.keyExists(kApplicationKeyPath));   // NameList is still there
}

}  // namespace
}  // namespace gz
