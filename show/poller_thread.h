// The thread of a device poller (the remote's, the input devices'): it runs
// passes until asked to stop, does its last act (closing its devices), and
// then says it has ended. Stopping sets the stop flag and waits, looking
// every few milliseconds, until the thread has ended; so a poller's passes
// must be bounded (each waits at most its own time limit).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace gz {

class PollerThread {
public:
    PollerThread() = default;
    ~PollerThread() { stop(50); }
    PollerThread(const PollerThread&) = delete;
    PollerThread& operator=(const PollerThread&) = delete;

    // Runs `pass` until stop() is called, then `last`, on a new thread.
    // False if the thread is running already.
    bool start(std::function<void()> pass, std::function<void()> last);
    // Sets the stop flag and waits (looking every `pollMs`) until the thread
    // has done its last act and ended. Harmless when not running.
    void stop(uint32_t pollMs);
    bool running() const { return thread_.joinable(); }

private:
    std::thread thread_;
    std::atomic<bool> stopFlag_{false};
    std::mutex endLock_;
    std::condition_variable endSignal_;
    bool ended_ = false;   // guarded by endLock_
};

}  // namespace gz
