#include "shell/message_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "shell/frame_messages.h"
#include "shell/message_wire.h"

namespace gz {
namespace {

std::string joined(const std::vector<std::string>& args)
{
    std::string s;
    for (const std::string& a : args)
        s += "[" + a + "]";
    return s;
}

TEST(MessageClient, BadArgumentsAreOneLineUsageErrors)
{
    const std::vector<std::string> cases[] = {
        {},
        {"frobnicate"},
        {"probe", "x"},
        {"exit", "now"},
        {"ask-path", "x"},
        {"received-path", "x"},
        {"open"},
        {"open", "a", "b"},
        {"compare"},
        {"status"},
        {"status", "0"},
        {"status", "0", "a", "b"},
        {"status", "abc", "x"},
        {"status", "-1", "x"},
        {"status", "99999999999", "x"},
        {"status", "4294967296", "x"},   // one past the 32-bit parameter
        {"status", "", "x"},
        {"status", "1x", "x"},
        {"status", "+1", "x"},
        {"status", " 1", "x"},
        {"status", "0x1", "x"},
        {"status", "a\nb", "x"},         // still one line
        {"status", "0", std::string(70000, 'x')},
    };
    for (const auto& args : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(runMessageClient(args, "gz-nobody-listens-here", out, err), 2) << joined(args);
        EXPECT_EQ(out.str(), "") << joined(args);
        const std::string e = err.str();
        EXPECT_GT(e.size(), 1u) << joined(args);
        EXPECT_EQ(std::count(e.begin(), e.end(), '\n'), 1) << joined(args) << e;
        EXPECT_EQ(e.back(), '\n') << joined(args);
    }
}

// Arguments come in UTF-8 and go on the wire in Windows-1252, like every
// text of the program.
TEST(MessageClient, RequestsGoOutInTheProgramsCodePage)
{
    struct Case {
        std::vector<std::string> args;
        uint32_t kind, message;
        uint64_t first;
        std::string text;   // copy-data payloads carry a zero byte after it
    };
    const Case cases[] = {
        {{"probe"}, wire::kMessage, kMsgInstanceProbe, kInstanceProbeMagic, ""},
        {{"exit"}, wire::kMessage, kMsgInstanceControl, kInstanceExit, ""},
        {{"ask-path"}, wire::kMessage, kMsgInstanceControl, kInstanceAskPath, ""},
        {{"received-path"}, wire::kMessage, kMsgInstanceControl, kInstanceReceivedPath, ""},
        {{"open", "/tmp/Öl.txt"}, wire::kCopyData, kCopyOpenDocument, 0, "/tmp/\xD6l.txt"},
        {{"compare", "äpfel übung"}, wire::kCopyData, kCopyComparePath, 0, "\xE4pfel \xFC" "bung"},
        {{"status", "0", "Hallo Status Ä"}, wire::kMessage, kMsgSetStatusText, 0, "Hallo Status \xC4"},
        {{"status", "3", "5 €"}, wire::kMessage, kMsgSetStatusText, 3, "5 \x80"},
        {{"status", "7", "x"}, wire::kMessage, kMsgSetStatusText, 7, "x"},   // the frame ignores it
        {{"status", "4294967295", "→"}, wire::kMessage, kMsgSetStatusText, 0xFFFFFFFF, "?"},
    };
    for (const Case& c : cases) {
        ClientRequest r = clientRequest(c.args);
        ASSERT_EQ(r.error, "") << joined(c.args);
        bool bad = false;
        std::optional<wire::Frame> f = wire::takeFrame(r.frame, bad);
        ASSERT_TRUE(f.has_value()) << joined(c.args);
        EXPECT_TRUE(r.frame.empty()) << joined(c.args);   // exactly one frame
        EXPECT_EQ(f->kind, c.kind) << joined(c.args);
        EXPECT_EQ(f->message, c.message) << joined(c.args);
        EXPECT_EQ(f->first, c.first) << joined(c.args);
        EXPECT_EQ(f->payload, c.kind == wire::kCopyData ? c.text + '\0' : c.text) << joined(c.args);
    }
}

}  // namespace
}  // namespace gz
