#include "shell/frame_messages.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <vector>

#include "game/cp1252.h"

namespace gz {
namespace {

class RecordingHost : public FrameMessageHost {
public:
    bool queueExit() override { ++exits; return true; }
    std::string currentDocumentPath() const override { return documentPath; }
    bool openDocument(const std::string& path) override { opened.push_back(path); return openResult; }
    void setStatusText(int pane, const std::string& text) override { status.emplace_back(pane, text); }
    intptr_t sendCopyData(uintptr_t asker, uint32_t code, const std::string& payload) override
    {
        sent.push_back({asker, code, payload});
        return 7;
    }
    bool makeMenuItemPlain(uintptr_t menu, uintptr_t position) override
    {
        plainItems.emplace_back(menu, position);
        return menu == kOwnMenu;
    }
    static constexpr uintptr_t kOwnMenu = 0x1000;
    std::vector<std::pair<uintptr_t, uintptr_t>> plainItems;
    struct Sent { uintptr_t asker; uint32_t code; std::string payload; };
    int exits = 0;
    std::string documentPath = "/home/quiz/Das Spiel";
    bool openResult = true;
    std::vector<std::string> opened;
    std::vector<std::pair<int, std::string>> status;
    std::vector<Sent> sent;
};

std::string utf16(std::u16string_view s)
{
    std::string b;
    for (char16_t c : s) {
        b += static_cast<char>(c & 0xFF);
        b += static_cast<char>(c >> 8);
    }
    return b;
}

TEST(FrameMessages, InstanceProbeAnswersOnlyTheMagic)
{
    RecordingHost host;
    FrameMessageHandler h(host);
    EXPECT_EQ(h.handle(kMsgInstanceProbe, 0x12345678, 0), 0x12345678);
    EXPECT_EQ(h.handle(kMsgInstanceProbe, 0, 0), 0);
    EXPECT_EQ(h.handle(kMsgInstanceProbe, 0x12345679, 0), 0);
}

TEST(FrameMessages, MenuIconProtocol)
{
    RecordingHost host;
    FrameMessageHandler h(host);
    EXPECT_EQ(h.handle(kMsgMenuProtocolProbe, 0, 0), 0x12345678);
    EXPECT_EQ(h.handle(kMsgMenuItemPlain, 3, RecordingHost::kOwnMenu), 1);
    EXPECT_EQ(h.handle(kMsgMenuItemPlain, 3, 0xDEAD), 0);   // not one of ours
    ASSERT_EQ(host.plainItems.size(), 2u);
    EXPECT_EQ(host.plainItems[0], std::make_pair(RecordingHost::kOwnMenu, uintptr_t{3}));
}

TEST(FrameMessages, InstanceControlCodes)
{
    RecordingHost host;
    FrameMessageHandler h(host);
    EXPECT_NE(h.handle(kMsgInstanceControl, 0, 0), 0);
    EXPECT_EQ(host.exits, 1);

    EXPECT_EQ(h.handle(kMsgInstanceControl, 2, 99), 7);
    ASSERT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(host.sent[0].asker, 99u);
    EXPECT_EQ(host.sent[0].code, kCopyPathReply);
    EXPECT_EQ(host.sent[0].payload, std::string("/home/quiz/Das Spiel") + '\0');

    EXPECT_EQ(h.handle(kMsgInstanceControl, 3, 0), 0);
    EXPECT_EQ(host.exits, 1);
}

TEST(FrameMessages, PathReplyIsKeptAndReadBack)
{
    RecordingHost host;
    FrameMessageHandler h(host);
    EXPECT_EQ(h.copyData(kCopyPathReply, std::string("abc") + '\0'), 1);
    EXPECT_EQ(h.receivedPath(), "abc");
    auto* text = reinterpret_cast<const std::string*>(h.handle(kMsgInstanceControl, 4, 0));
    EXPECT_EQ(*text, "abc");
}

TEST(FrameMessages, CopyDataCodes)
{
    struct Case { uint32_t code; std::string payload; intptr_t expect; };
    const Case cases[] = {
        {kCopyOpenDocument, "/tmp/x", 1},
        {kCopyComparePath, "/HOME/QUIZ/das spiel", 1},
        {kCopyComparePath, "\\home\\quiz\\Das Spiel", 1},
        {kCopyComparePath, "/home/quiz/../quiz/./Das Spiel", 1},
        {kCopyComparePath, "/home/quiz/Das Spie", 0},
        {kCopyComparePath + 1, "/home/quiz/Das Spiel", 0},
        {0x12340001, "x", 0},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        FrameMessageHandler h(host);
        EXPECT_EQ(h.copyData(c.code, c.payload), c.expect) << std::hex << c.code << " " << c.payload;
        EXPECT_TRUE(h.receivedPath().empty());
    }
}

TEST(FrameMessages, Utf16PayloadIsConvertedThenDispatched)
{
    RecordingHost host;
    FrameMessageHandler h(host);
    EXPECT_EQ(h.copyData(kCopyOpenDocument | kCopyUtf16Bit, utf16(u"/tmp/Bär")), 1);
    ASSERT_EQ(host.opened.size(), 1u);
    EXPECT_EQ(host.opened[0], "/tmp/B\xE4r");
}

TEST(FrameMessages, Utf16PayloadThatDoesNotFitIsRefused)
{
    RecordingHost host;
    FrameMessageHandler h(host);
    std::u16string longPath(300, u'a');
    EXPECT_EQ(h.copyData(kCopyPathReply | kCopyUtf16Bit, utf16(longPath)), 0);
    EXPECT_TRUE(h.receivedPath().empty());
    std::u16string fits(258, u'a');
    EXPECT_EQ(h.copyData(kCopyPathReply | kCopyUtf16Bit, utf16(fits)), 1);
    EXPECT_EQ(h.receivedPath().size(), 258u);
}

TEST(FrameMessages, StatusTextOnlyForTheFourPanes)
{
    RecordingHost host;
    FrameMessageHandler h(host);
    h.handle(kMsgSetStatusText, 0, 0, "Bereit");
    h.handle(kMsgSetStatusText, 3, 0, "RF");
    h.handle(kMsgSetStatusText, 4, 0, "x");
    ASSERT_EQ(host.status.size(), 2u);
    EXPECT_EQ(host.status[1], std::make_pair(3, std::string("RF")));
}

TEST(PathCompare, CaseFoldingRules)
{
    struct Case { std::string a, b; bool same; };
    const Case cases[] = {
        {"abc", "ABC", true},
        {"\xC4", "\xE4", true},     // Ä / ä
        {"\xD7", "\xF7", true},     // the pair the rule includes
        {"\xDF", "\xFF", false},    // outside 0xC0..0xDE
        {"a/b", "a\\b", true},
        {"ab", "abc", false},
        {"[", "{", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(samePathBytes(c.a, c.b), c.same) << c.a << " vs " << c.b;
}

TEST(PathCompare, RelativePathsAreMadeAbsolute)
{
    EXPECT_TRUE(namesSameFile("Games/Game001", "/work/Games/Game001", "/work"));
    EXPECT_TRUE(namesSameFile("../x", "/x", "/work"));
    EXPECT_FALSE(namesSameFile("", "", "/work"));
    EXPECT_FALSE(absolutePath(std::string(300, 'a'), "/").has_value());
}

// The file system names the current directory in UTF-8; the paths it
// completes are in the program's code page.
TEST(PathCompare, RelativePathBelowADirectoryWithUmlauts)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("gz-K\xC3\xBC" "che-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    RecordingHost host;
    host.documentPath = cp1252::fromUtf8(fs::current_path().string()) + "/Spiel";
    FrameMessageHandler h(host);
    const intptr_t same = h.copyData(kCopyComparePath, std::string("spiel") + '\0');
    fs::current_path(before);
    fs::remove(dir);
    EXPECT_EQ(same, 1);
}

}  // namespace
}  // namespace gz
