#include "uikit/recent_name_list.h"

#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "shell/qsettings_backend.h"
#include "shell/settings_values.h"

namespace gz {
namespace {

using Names = std::vector<std::string>;

Names numbered(const char* stem, int n)
{
    Names v;
    for (int i = 1; i <= n; ++i)
        v.push_back(stem + std::to_string(i));
    return v;
}

// The settings live in INI files of a temporary folder, never in the
// user's own store.
class RecentNameListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        settings = std::make_unique<QSettingsBackend>(tmp.path().toStdString());
    }
    void store(const Names& names) { ASSERT_TRUE(writeNameList(*settings, "#", "NameList", names)); }
    Names stored()
    {
        Names out;
        readNameList(*settings, "#", "NameList", out);
        return out;
    }
    static Names items(const QComboBox& box)
    {
        Names out;
        for (int i = 0; i < box.count(); ++i)
            out.push_back(box.itemText(i).toStdString());
        return out;
    }

    QTemporaryDir tmp;
    std::unique_ptr<QSettingsBackend> settings;
};

TEST_F(RecentNameListTest, SavingPutsTheUsedEntryFirst)
{
    struct Case { Names before; const char* entry; int written; Names after; };
    const Names sixteen = numbered("n", 16);
    Names sixteenAfter = {"new"};
    sixteenAfter.insert(sixteenAfter.end(), sixteen.begin(), sixteen.end() - 1);
    const Case cases[] = {
        {{"a.png", "b.png", "c.png"}, "b.png", 3, {"b.png", "a.png", "c.png"}},
        {{"a.png"}, "A.png", 2, {"A.png", "a.png"}},            // letter case counts
        {sixteen, "new", 16, sixteenAfter},                      // the oldest falls off
        {sixteen, "n16", 16, [&] { Names v{"n16"}; v.insert(v.end(), sixteen.begin(), sixteen.end() - 1); return v; }()},
        {{"a.png", "b.png"}, "", 0, {"a.png", "b.png"}},        // an empty field stores nothing
        {{}, "x.png", 1, {"x.png"}},
    };
    for (const Case& c : cases) {
        settings->removeValue(kApplicationKeyPath, "NameList");
        if (!c.before.empty())
            store(c.before);
        RecentNameList box(*settings);
        std::string text;
        box.load("NameList", "#", text);
        box.setEditText(QString::fromUtf8(c.entry));
        EXPECT_EQ(box.save("NameList", "#"), c.written) << c.entry;
        EXPECT_EQ(stored(), c.after) << c.entry;
    }
}

TEST_F(RecentNameListTest, LoadFillsTheListAndGivesTheMostRecentEntry)
{
    store({"/p/b.png", "/p/a.png", "/p/c.png"});
    RecentNameList box(*settings);
    std::string text = "previous";
    EXPECT_EQ(box.load("NameList", "#", text), 3);
    EXPECT_EQ(text, "/p/b.png");
    EXPECT_EQ(box.currentText(), QStringLiteral("/p/b.png"));
    EXPECT_EQ(items(box), (Names{"/p/b.png", "/p/a.png", "/p/c.png"}));

    // Shown alphabetically, stored most recent first all the same.
    box.setSortedDisplay(true);
    EXPECT_EQ(items(box), (Names{"/p/a.png", "/p/b.png", "/p/c.png"}));
    EXPECT_EQ(box.currentText(), QStringLiteral("/p/b.png"));
    box.setEditText(QStringLiteral("/p/d.png"));
    EXPECT_EQ(box.save("NameList", "#"), 4);
    EXPECT_EQ(stored(), (Names{"/p/d.png", "/p/b.png", "/p/a.png", "/p/c.png"}));
    EXPECT_EQ(items(box), (Names{"/p/a.png", "/p/b.png", "/p/c.png", "/p/d.png"}));
}

TEST_F(RecentNameListTest, MissingListLeavesTextAndItemsAlone)
{
    RecentNameList box(*settings);
    box.addItem(QStringLiteral("kept"));
    std::string text = "previous";
    EXPECT_EQ(box.load("NameList", "#", text), 0);
    EXPECT_EQ(text, "previous");
    EXPECT_EQ(box.count(), 1);
    // Another key or value name is another list.
    store({"a"});
    EXPECT_EQ(box.load("NameList", "#Other", text), 0);
    EXPECT_EQ(box.load("OtherList", "#", text), 0);
    EXPECT_EQ(text, "previous");
}

TEST_F(RecentNameListTest, LongNamesAreCutForTheListButNotForTheCaller)
{
    const std::string first = "/" + std::string(2999, 'f');
    const std::string second = "/" + std::string(299, 's');
    store({first, second});
    RecentNameList box(*settings);
    std::string text;
    EXPECT_EQ(box.load("NameList", "#", text), 2);
    EXPECT_EQ(text, first.substr(0, 2047));
    EXPECT_EQ(box.itemText(1).size(), 255);
    // Choosing the cut item puts the whole name into the field ...
    box.setCurrentIndex(1);
    emit box.activated(1);
    EXPECT_EQ(box.currentText().toStdString(), second);
    // ... and saving keeps every entry whole.
    EXPECT_EQ(box.save("NameList", "#"), 2);
    EXPECT_EQ(stored(), (Names{second, first}));
}

TEST_F(RecentNameListTest, MultiByteNamesAreNotCutInsideACharacter)
{
    // 1024 two-byte characters: 2048 bytes, one more than the caller's text takes.
    std::string name;
    for (int i = 0; i < 1024; ++i)
        name += "\xC3\xA4";
    store({name});
    RecentNameList box(*settings);
    std::string text;
    box.load("NameList", "#", text);
    EXPECT_EQ(text.size(), 2046u);
    EXPECT_EQ(QString::fromStdString(text).toStdString(), text);   // still valid UTF-8
}

TEST_F(RecentNameListTest, UseAcrossDialogOpeningsKeepsMostRecentFirst)
{
    for (const char* used : {"a.png", "b.png", "c.png", "a.png", "", "b.png"}) {
        RecentNameList box(*settings);
        std::string text;
        box.load("NameList", "#", text);
        box.setEditText(QString::fromUtf8(used));
        box.save("NameList", "#");
    }
    EXPECT_EQ(stored(), (Names{"b.png", "a.png", "c.png"}));
    RecentNameList box(*settings);
    std::string text;
    EXPECT_EQ(box.load("NameList", "#", text), 3);
    EXPECT_EQ(text, "b.png");
}

TEST_F(RecentNameListTest, SubkeyAndPlainKeyPaths)
{
    struct Case { const char* keyName; std::string keyPath; };
    const Case cases[] = {
        {"#", std::string(kApplicationKeyPath)},
        {"#Dialogs", std::string(kApplicationKeyPath) + "\\Dialogs"},
        {"Software\\Mervo\\Other", "Software\\Mervo\\Other"},
    };
    for (const Case& c : cases) {
        RecentNameList box(*settings);
        box.setEditText(QStringLiteral("x.png"));
        EXPECT_EQ(box.save("NameList", c.keyName), 1) << c.keyName;
        std::vector<std::string> list;
        EXPECT_TRUE(settings->readStringList(c.keyPath, "NameList", kMaxSettingsListBytes, list)) << c.keyName;
        EXPECT_EQ(list, (Names{"x.png"}));
    }
}

}  // namespace
}  // namespace gz
