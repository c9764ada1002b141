#include "devices/monotonic_clock.h"

#include <gtest/gtest.h>

#include <chrono>

namespace gz {
namespace {

TEST(TickDiff, IsSignedAndSurvivesTheWrap) {
    struct Case {
        uint32_t later, earlier;
        int32_t expected;
    } cases[] = {
        {100, 40, 60},
        {40, 100, -60},
        {5, 0xFFFFFFFBu, 10},   // 10 ms across the wrap
        {0xFFFFFFFBu, 5, -10},
        {0x80000000u + 7, 7, INT32_MIN},
        {0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tickDiff(c.later, c.earlier), c.expected) << c.later << " - " << c.earlier;
    }
}

TEST(ManualClock, MovesOnlyWhenToldAndSleepingAdvancesIt) {
    ManualClock clock(1000);
    EXPECT_EQ(clock.nowMs(), 1000u);
    clock.advance(5);
    EXPECT_EQ(clock.nowMs(), 1005u);
    clock.sleepMs(200);
    EXPECT_EQ(clock.nowMs(), 1205u);
    EXPECT_EQ(clock.sleptMs(), 200u);
    clock.set(0xFFFFFFFFu);
    clock.advance(2);
    EXPECT_EQ(clock.nowMs(), 1u);
}

TEST(Deadline, CountsDownAndStopsAtZeroAcrossTheWrap) {
    struct Case {
        uint32_t start, limit, elapsed, remaining;
    } cases[] = {
        {0, 100, 0, 100},
        {0, 100, 99, 1},
        {0, 100, 100, 0},
        {0, 100, 5000, 0},   // long past: never negative, never huge
        {0xFFFFFFC0u, 500, 100, 400},   // deadline lies after the wrap
        {0, 0, 0, 0},
        {7, 0xFFFFFFFFu, 1, 0x7FFFFFFEu},   // cut to 2^31 - 1
    };
    for (const Case& c : cases) {
        ManualClock clock(c.start);
        const Deadline d(clock, c.limit);
        clock.advance(c.elapsed);
        EXPECT_EQ(d.remainingMs(), c.remaining) << "start " << c.start << " limit " << c.limit;
        EXPECT_EQ(d.expired(), c.remaining == 0);
    }
}

TEST(SystemClock, FollowsRealTime) {
    MonotonicClock& clock = systemClock();
    const auto t0 = std::chrono::steady_clock::now();
    const uint32_t a = clock.nowMs();
    clock.sleepMs(20);
    const uint32_t b = clock.nowMs();
    const auto real = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - t0).count();
    EXPECT_GE(tickDiff(b, a), 19);
    EXPECT_LE(tickDiff(b, a), real + 1);
    EXPECT_EQ(tickDiff(monotonicTickMs(), b) >= 0, true);
}

}  // namespace
}  // namespace gz
