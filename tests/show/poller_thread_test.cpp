#include "show/poller_thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace gz {
namespace {

// stop() returns only after the last act: a poller closes its devices there,
// and whoever stops it may free what the passes used right after.
TEST(PollerThread, StopReturnsAfterTheLastActAndTheThreadCanRunAgain)
{
    PollerThread t;
    t.stop(5);   // not running: harmless
    std::atomic<int> passes{0};
    std::atomic<int> lastActs{0};
    for (int round = 1; round <= 3; ++round) {
        ASSERT_TRUE(t.start([&] { ++passes; }, [&] { ++lastActs; }));
        EXPECT_FALSE(t.start([] {}, [] {})) << "already running";
        while (passes.load() == 0) {
        }
        t.stop(5);
        EXPECT_FALSE(t.running());
        EXPECT_EQ(lastActs.load(), round);
        passes = 0;
    }
}

}  // namespace
}  // namespace gz
