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

}  // namespace
}  // namespace gz::wire
