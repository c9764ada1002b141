#include "devices/input_event_decoder.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace gz {

void PrintTo(const InputKeyEvent& e, std::ostream* os)
{
    static const char* const kinds[] = {"release", "press", "repeat", "dropped"};
    *os << kinds[static_cast<int>(e.kind) & 3] << " 0x" << std::hex << e.code << std::dec;
}

namespace {

using Kind = InputKeyEvent::Kind;
using Events = std::vector<InputKeyEvent>;

// A record as the kernel lays it out on 64-bit Linux, built byte by byte
// rather than through the struct: 16 bytes of time (made non-zero, as read()
// gives it), then little-endian u16 type, u16 code and s32 value.
std::string kernelRecord(uint16_t type, uint16_t code, int32_t value)
{
    std::string r(24, '\0');
    for (int i = 0; i < 16; ++i)
        r[static_cast<std::size_t>(i)] = static_cast<char>(0xA0 + i);
    const auto put = [&](std::size_t at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            r[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    put(16, type, 2);
    put(18, code, 2);
    put(20, static_cast<uint32_t>(value), 4);
    return r;
}

// Feeds `stream` in pieces whose sizes cycle through `pieces`, checking the
// held bytes on the way.
Events decodeInPieces(const std::string& stream, const std::vector<std::size_t>& pieces)
{
    InputEventDecoder d;
    Events out;
    std::size_t pos = 0;
    for (std::size_t i = 0; pos < stream.size(); ++i) {
        const std::size_t n = std::min(pieces[i % pieces.size()], stream.size() - pos);
        d.feed(stream.data() + pos, n, out);
        pos += n;
        EXPECT_LT(d.pending(), kInputRecordSize);
        EXPECT_EQ(d.pending(), pos % kInputRecordSize);
    }
    return out;
}

TEST(InputEventDecoder, TheKernelsRecordLayoutOnThisMachine)
{
    ASSERT_EQ(kInputRecordSize, 24u) << "the project expects 64-bit Linux";
    // The writer used by the other tests gives the same type/code/value bytes.
    EXPECT_EQ(encodeInputEvent(EV_KEY, BTN_TRIGGER, 1).substr(16), kernelRecord(EV_KEY, BTN_TRIGGER, 1).substr(16));
    EXPECT_EQ(encodeInputEvent(EV_ABS, ABS_Y, -5).substr(16), kernelRecord(EV_ABS, ABS_Y, -5).substr(16));
}

TEST(InputEventDecoder, KeyEventsComeOutHoweverTheStreamIsCut)
{
    // What a game pad and a keyboard send, with the noise around key events.
    const std::string stream =
        kernelRecord(EV_MSC, MSC_SCAN, 0x90001) + kernelRecord(EV_KEY, BTN_TRIGGER, 1) +
        kernelRecord(EV_SYN, SYN_REPORT, 0) + kernelRecord(EV_ABS, ABS_X, 127) +
        kernelRecord(EV_SYN, SYN_REPORT, 0) + kernelRecord(EV_KEY, BTN_TRIGGER, 0) +
        kernelRecord(EV_KEY, KEY_A, 1) + kernelRecord(EV_KEY, KEY_A, 2) + kernelRecord(EV_KEY, KEY_A, 2) +
        kernelRecord(EV_KEY, KEY_A, 0) + kernelRecord(EV_KEY, KEY_B, 3) + kernelRecord(EV_KEY, KEY_B, -1) +
        kernelRecord(EV_REL, REL_X, 1) + kernelRecord(EV_LED, LED_CAPSL, 1) +
        kernelRecord(EV_KEY, BTN_TRIGGER_HAPPY3, 1) + kernelRecord(EV_SYN, SYN_REPORT, 0);
    const Events expected = {
        {Kind::Press, BTN_TRIGGER},  {Kind::Release, BTN_TRIGGER}, {Kind::Press, KEY_A},
        {Kind::Repeat, KEY_A},       {Kind::Repeat, KEY_A},        {Kind::Release, KEY_A},
        {Kind::Press, BTN_TRIGGER_HAPPY3},
    };
    const std::vector<std::vector<std::size_t>> cuts = {
        {1}, {7}, {23}, {24}, {25}, {48}, {5000}, {1, 23, 2, 47}, {13, 11}, {24, 1, 24, 23},
    };
    for (const auto& cut : cuts) {
        std::string what;
        for (std::size_t n : cut)
            what += std::to_string(n) + " ";
        EXPECT_EQ(decodeInPieces(stream, cut), expected) << "pieces of " << what;
    }
    std::mt19937 rng(20261211);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::size_t> cut;
        for (int i = 0; i < 9; ++i)
            cut.push_back(1 + rng() % 60);
        ASSERT_EQ(decodeInPieces(stream, cut), expected) << "round " << round;
    }
}

TEST(InputEventDecoder, AfterSynDroppedTheTornFrameIsSkipped)
{
    struct Case {
        const char* what;
        std::string stream;
        Events events;
        bool skippingAtEnd;
    };
    const std::string press1 = kernelRecord(EV_KEY, BTN_TRIGGER, 1);
    const std::string press2 = kernelRecord(EV_KEY, BTN_THUMB, 1);
    const std::string dropped = kernelRecord(EV_SYN, SYN_DROPPED, 0);
    const std::string report = kernelRecord(EV_SYN, SYN_REPORT, 0);
    const Case cases[] = {
        {"events up to the report are skipped", dropped + press1 + report + press2,
         {{Kind::Dropped, 0}, {Kind::Press, BTN_THUMB}}, false},
        {"a report right after", dropped + report + press1, {{Kind::Dropped, 0}, {Kind::Press, BTN_TRIGGER}}, false},
        {"no report yet", press1 + dropped + press2, {{Kind::Press, BTN_TRIGGER}, {Kind::Dropped, 0}}, true},
        {"a second drop is told again", dropped + press1 + dropped + press2 + report + press1,
         {{Kind::Dropped, 0}, {Kind::Dropped, 0}, {Kind::Press, BTN_TRIGGER}}, false},
        {"other sync codes do not end it", dropped + kernelRecord(EV_SYN, SYN_MT_REPORT, 0) + press1,
         {{Kind::Dropped, 0}}, true},
    };
    for (const Case& c : cases) {
        for (std::size_t piece : {1u, 24u, 100u}) {
            InputEventDecoder d;
            Events out;
            for (std::size_t pos = 0; pos < c.stream.size(); pos += piece)
                d.feed(c.stream.data() + pos, std::min(piece, c.stream.size() - pos), out);
            EXPECT_EQ(out, c.events) << c.what << ", pieces of " << piece;
            EXPECT_EQ(d.skipping(), c.skippingAtEnd) << c.what;
        }
    }
}

TEST(InputEventDecoder, ResetForgetsAHalfRecordAndTheSkipping)
{
    const std::string press = kernelRecord(EV_KEY, BTN_TRIGGER, 1);
    InputEventDecoder d;
    Events out;
    d.feed(press.data(), 10, out);
    d.reset();
    d.feed(press.data(), press.size(), out);
    EXPECT_EQ(out, (Events{{Kind::Press, BTN_TRIGGER}})) << "the old 10 bytes were kept";

    out.clear();
    const std::string dropped = kernelRecord(EV_SYN, SYN_DROPPED, 0);
    d.feed(dropped.data(), dropped.size(), out);
    ASSERT_TRUE(d.skipping());
    d.reset();
    d.feed(press.data(), press.size(), out);
    EXPECT_EQ(out, (Events{{Kind::Dropped, 0}, {Kind::Press, BTN_TRIGGER}}));
}

}  // namespace
}  // namespace gz
