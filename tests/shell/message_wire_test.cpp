#include "shell/message_wire.h"

#include <gtest/gtest.h>

namespace gz::wire {
namespace {

TEST(MessageWire, FramesRoundTripAndArriveInPieces)
{
    std::string stream = encodeMessage(0x27F5, 2, 77, "") + encodeCopyData(0x27F58001, std::string("a\0b", 3)) +
                         encodeResult(-5);
    // Feed it one byte at a time: a frame appears only once it is complete.
    std::string buffer;
    std::vector<Frame> frames;
    for (char c : stream) {
        buffer += c;
        bool bad = false;
        while (auto f = takeFrame(buffer, bad))
            frames.push_back(*f);
        ASSERT_FALSE(bad);
    }
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].kind, kMessage);
    EXPECT_EQ(frames[0].message, 0x27F5u);
    EXPECT_EQ(frames[0].first, 2u);
    EXPECT_EQ(frames[0].second, 77u);
    EXPECT_EQ(frames[1].kind, kCopyData);
    EXPECT_EQ(frames[1].message, 0x27F58001u);
    EXPECT_EQ(frames[1].payload, std::string("a\0b", 3));
    EXPECT_EQ(frames[2].result, -5);
    EXPECT_TRUE(buffer.empty());
}

TEST(MessageWire, HostileFramesAreRejected)
{
    struct Case { std::string bytes; };
    std::string huge = encodeCopyData(1, "");
    huge[8] = huge[9] = huge[10] = huge[11] = '\xFF';   // length 4 GiB
    const Case cases[] = {{std::string("\x09\0\0\0", 4)}, {huge}};
    for (const Case& c : cases) {
        std::string b = c.bytes;
        bool bad = false;
        EXPECT_FALSE(takeFrame(b, bad).has_value());
        EXPECT_TRUE(bad);
    }
}

std::string describe(const std::optional<Frame>& f)
{
    if (!f)
        return "none";
    if (f->kind == kResult)
        return "result " + std::to_string(f->result);
    return "request " + std::to_string(f->first);
}

// While the peer owes us an answer, its answer goes first and its other
// requests wait in order; results nobody waits for are dropped.
TEST(MessageInbox, RequestsWaitWhileAnAnswerIsOwed)
{
    Inbox in;
    ASSERT_TRUE(in.feed(encodeResult(9) + encodeMessage(1, 10, 0)));
    EXPECT_EQ(describe(in.next()), "request 10");   // the stray result is gone
    in.expectAnswer();
    ASSERT_TRUE(in.feed(encodeMessage(1, 11, 0) + encodeMessage(1, 12, 0)));
    EXPECT_EQ(describe(in.next()), "none");
    ASSERT_TRUE(in.feed(encodeResult(5)));
    EXPECT_EQ(describe(in.next()), "result 5");
    EXPECT_FALSE(in.answerOwed());
    EXPECT_EQ(describe(in.next()), "request 11");

    // An answer given up on is dropped when it comes after all.
    in.expectAnswer();
    in.dropAnswer();
    ASSERT_TRUE(in.feed(encodeResult(6)));
    EXPECT_EQ(describe(in.next()), "request 12");
    EXPECT_EQ(describe(in.next()), "none");
}

TEST(MessageInbox, AFloodOrAnInvalidFrameEndsTheConnection)
{
    Inbox flooded;
    flooded.expectAnswer();
    const std::string ask = encodeMessage(1, 2, 0);
    std::size_t sent = 0;
    bool open = true;
    while (open && sent <= Inbox::kMaxHeld) {
        open = flooded.feed(ask);
        sent += ask.size();
    }
    EXPECT_FALSE(open);
    EXPECT_LE(sent, Inbox::kMaxHeld + ask.size());

    // What has been taken no longer counts.
    Inbox served;
    for (sent = 0; sent <= 2 * Inbox::kMaxHeld; sent += ask.size()) {
        ASSERT_TRUE(served.feed(ask));
        ASSERT_TRUE(served.next().has_value());
    }

    // Requests before an invalid frame are still handed out.
    Inbox broken;
    EXPECT_FALSE(broken.feed(encodeMessage(1, 3, 0) + std::string("\x09\0\0\0", 4)));
    EXPECT_EQ(describe(broken.next()), "request 3");
    EXPECT_FALSE(broken.feed(encodeMessage(1, 4, 0)));
}

}  // namespace
}  // namespace gz::wire
