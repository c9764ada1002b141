#include "uikit/recent_lists.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace gz {
namespace {

std::vector<std::string> numbered(int n)
{
    std::vector<std::string> v;
    for (int i = 1; i <= n; ++i)
        v.push_back("n" + std::to_string(i));
    return v;
}

TEST(RecentNames, MergeMovesCurrentFrontAndDropsCopies)
{
    using V = std::vector<std::string>;
    struct Case { const char* current; V items; V expect; };
    const Case cases[] = {
        {"b.png", {"a.png", "b.png", "c.png"}, {"b.png", "a.png", "c.png"}},
        {"A.png", {"a.png"}, {"A.png", "a.png"}},            // letter case counts
        {"x", {"", "y", "", "x"}, {"x", "y"}},               // no empty entries
        {"", {"a", "b"}, {}},                                 // nothing to store
        {"n1", numbered(16), numbered(16)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mergeRecentNames(c.current, c.items), c.expect) << c.current;

    V sixteen = numbered(16);
    V merged = mergeRecentNames("new", sixteen);
    ASSERT_EQ(merged.size(), 16u);
    EXPECT_EQ(merged.front(), "new");
    EXPECT_EQ(merged.back(), "n15");   // the oldest fell off
}

TEST(FolderList, EntryOfTheFieldText)
{
    // A fake file system: folders /p, /p/q, /r and the file /p/pic.png.
    std::map<std::string, FolderPathKind> fs = {
        {"/", FolderPathKind::Folder},         {"/p", FolderPathKind::Folder},
        {"/p/q", FolderPathKind::Folder},      {"/r", FolderPathKind::Folder},
        {"/p/pic.png", FolderPathKind::File},
    };
    FolderProbe probe = [&](const std::string& p) {
        auto it = fs.find(p);
        return it == fs.end() ? FolderPathKind::Missing : it->second;
    };
    struct Case { const char* text; const char* base; const char* expect; };   // "" = nothing stored
    const Case cases[] = {
        {"/p/q", "/", "/p/q/"},
        {"/p/q/", "/", "/p/q/"},
        {"/p/q\\", "/", "/p/q/"},
        {"/p/pic.png", "/", "/p/"},          // a file stands for its folder
        {"/p/neu.png", "/", "/p/"},          // a missing name in an existing folder
        {"/x/neu.png", "/", ""},             // neither exists
        {"pic.png", "/p", "/p/"},            // relative to the shown folder
        {"q", "/p/", "/p/q/"},
        {"/", "/", "/"},
        {"/neu", "/", "/"},
        {"", "/", ""},
    };
    for (const Case& c : cases) {
        auto got = folderListEntry(c.text, c.base, probe);
        EXPECT_EQ(got.value_or(""), c.expect) << c.text;
    }
    // Only 259 characters of the field count.
    std::string longText = "/p/" + std::string(300, 'x');
    EXPECT_EQ(folderListEntry(longText, "/", probe).value_or(""), "/p/");
}

TEST(FolderList, MoveToFront)
{
    using V = std::vector<std::string>;
    struct Case { V list; const char* folder; V expect; };
    const Case cases[] = {
        {{"/a/", "/b/", "/c/"}, "/c/", {"/c/", "/a/", "/b/"}},
        {{"/a/", "/b/", "/C/"}, "/c/", {"/c/", "/a/", "/b/"}},        // case ignored
        {{"/a/", "/b/"}, "/A/", {"/a/", "/b/"}},                       // already first
        {{"/a/", "/b/"}, "/n/", {"/n/", "/a/", "/b/"}},
        {{}, "/n/", {"/n/"}},
        {{"/a/", "/b/x/"}, "/b/", {"/b/", "/a/"}},                     // prefix match replaces
        {{"/b/x/", "/a/"}, "/b/", {"/b/", "/b/x/", "/a/"}},            // a deeper first entry stays
    };
    for (const Case& c : cases) {
        V list = c.list;
        moveFolderToFront(list, c.folder);
        EXPECT_EQ(list, c.expect) << c.folder;
    }
}

TEST(FolderList, SuggestsExistingPathsWithTheTypedBeginning)
{
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("gz_suggest_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "Bilder");
    fs::create_directories(dir / "Bild2");
    fs::create_directories(dir / "Musik");
    std::ofstream((dir / "Bild.png").string()) << "x";
    std::string base = dir.string() + "/";

    EXPECT_EQ(pathSuggestions(base + "Bild", 10),
              (std::vector<std::string>{base + "Bild.png", base + "Bild2/", base + "Bilder/"}));
    EXPECT_EQ(pathSuggestions(base + "Bild", 2).size(), 2u);
    EXPECT_EQ(pathSuggestions(base + "bild", 10).size(), 0u);   // Linux names keep their case
    EXPECT_EQ(pathSuggestions(base, 10).size(), 4u);
    EXPECT_TRUE(pathSuggestions(base + "nix/", 10).empty());
    EXPECT_TRUE(pathSuggestions("", 10).empty());
    std::atomic<bool> stop{true};
    EXPECT_TRUE(pathSuggestions(base, 10, &stop).empty());
    fs::remove_all(dir);
}

}  // namespace
}  // namespace gz
