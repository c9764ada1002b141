#include "show/poller_thread.h"

#include <chrono>
#include <utility>

namespace gz {

bool PollerThread::start(std::function<void()> pass, std::function<void()> last)
{
    if (thread_.joinable())
        return false;
    stopFlag_.store(false);
    {
        std::lock_guard<std::mutex> g(endLock_);
        ended_ = false;
    }
    thread_ = std::thread([this, pass = std::move(pass), last = std::move(last)] {
        while (!stopFlag_.load())
            pass();
        if (last)
            last();
        std::lock_guard<std::mutex> g(endLock_);
        ended_ = true;
        endSignal_.notify_all();
    });
    return true;
}

void PollerThread::stop(uint32_t pollMs)
{
    if (!thread_.joinable())
        return;
    stopFlag_.store(true);
    {
        std::unique_lock<std::mutex> g(endLock_);
        while (!ended_)
            endSignal_.wait_for(g, std::chrono::milliseconds(pollMs));
    }
    thread_.join();
}

}  // namespace gz
