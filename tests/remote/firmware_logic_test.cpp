// The firmware's pure parts, built for the host: the line text, the
// debouncer and the event ring. The image itself is tested under the
// simulator (remote_firmware_test.cpp).
#include <gtest/gtest.h>

#include <string>
#include <vector>

extern "C" {
#include "remote/firmware/debounce.h"
#include "remote/firmware/event_queue.h"
#include "remote/firmware/remote_line.h"
}

namespace {

std::string line(uint8_t key, bool pressed, uint32_t ms) {
    char out[REMOTE_LINE_LENGTH];
    remote_line_format(out, key, pressed, ms);
    return std::string(out, REMOTE_LINE_LENGTH);
}

TEST(RemoteLine, KeyEventUptimeAndLineEnd) {
    struct Case {
        uint8_t key;
        bool pressed;
        uint32_t ms;
        const char* text;
    } cases[] = {
        {0, true, 0, "0D00000000\n"},
        {1, false, 1, "1U00000001\n"},
        {7, true, 0x0123ABCDu, "7D0123ABCD\n"},
        {3, false, 0xA0000000u, "3UA0000000\n"},      // top digit, no sign trouble
        {5, true, 0xFFFFFFFFu, "5DFFFFFFFF\n"},       // the last millisecond before the wrap
        {15, true, 0xFEDCBA98u, "FDFEDCBA98\n"},      // all sixteen keys a line can name
    };
    for (const Case& c : cases) EXPECT_EQ(line(c.key, c.pressed, c.ms), c.text) << c.text;
}

// Feeds a debouncer one sample per entry of `raw` and returns the samples
// (index) at which it reported a change, with the state after each.
std::vector<std::pair<int, uint8_t>> changes(const std::vector<uint8_t>& raw) {
    debouncer d;
    debounce_init(&d);
    std::vector<std::pair<int, uint8_t>> out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (debounce_sample(&d, raw[i]) != 0) out.emplace_back(static_cast<int>(i), d.pressed);
    }
    return out;
}

std::vector<uint8_t> held(uint8_t mask, int samples) { return std::vector<uint8_t>(samples, mask); }
std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(Debounce, AChangeCountsOnlyAfterDebounceMsAgreeingSamples) {
    using Changes = std::vector<std::pair<int, uint8_t>>;
    constexpr int n = DEBOUNCE_MS;
    struct Case {
        const char* what;
        std::vector<uint8_t> raw;
        Changes expected;
    } cases[] = {
        {"press at the n-th sample", held(0x01, n + 5), {{n - 1, 0x01}}},
        {"one short of n", held(0x01, n - 1) + held(0, 20), {}},
        {"an agreeing sample restarts the count",
         held(0x04, n - 1) + held(0, 1) + held(0x04, n - 1) + held(0, 20), {}},
        {"release after a press", held(0x80, n) + held(0, n), {{n - 1, 0x80}, {2 * n - 1, 0}}},
        {"buttons count apart", held(0x01, 3) + held(0x03, n), {{n - 1, 0x01}, {n + 2, 0x03}}},
        {"all eight in one sample", held(0xFF, n), {{n - 1, 0xFF}}},
    };
    for (const Case& c : cases) EXPECT_EQ(changes(c.raw), c.expected) << c.what;
}

TEST(EventQueue, KeepsOrderFillsToItsSizeAndWrapsItsCounters) {
    event_queue q;
    event_queue_init(&q);
    button_event e{};
    EXPECT_FALSE(event_queue_pop(&q, &e));
    // Many rounds, so the free-running counters pass 255 several times.
    uint32_t pushed = 0, popped = 0;
    for (int round = 0; round < 40; ++round) {
        const int fill = round % 2 ? EVENT_QUEUE_SIZE : 7;
        for (int i = 0; i < fill; ++i) {
            ASSERT_TRUE(event_queue_push(&q, {static_cast<uint8_t>(pushed % 8), pushed % 3 == 0, pushed}))
                << "round " << round;
            ++pushed;
        }
        if (fill == EVENT_QUEUE_SIZE) {
            EXPECT_FALSE(event_queue_push(&q, {0, true, 0xDEADu})) << "a full queue takes no more";
        }
        while (event_queue_pop(&q, &e)) {
            ASSERT_EQ(e.uptime_ms, popped) << "round " << round;
            EXPECT_EQ(e.key, popped % 8);
            EXPECT_EQ(e.pressed, popped % 3 == 0);
            ++popped;
        }
        ASSERT_EQ(popped, pushed);
    }
    EXPECT_GT(pushed, 512u);
}

}  // namespace
