#include "show/buzzer_action.h"

namespace gz {

bool BuzzerActionGate::accept(int action, uint32_t nowMs)
{
    std::lock_guard<std::mutex> g(lock_);
    return debounce_.accept(action, nowMs);
}

void runBuzzerAction(int action, BuzzerTarget& buzzer, const BuzzerCommandPoster& post)
{
    if (action < 0 || action >= kBuzzerActionCount)
        return;
    const RemoteKeyAction a = remoteKeyAction(action);
    if (a.isStop)
        buzzer.stopPlayer(a.side);
    else if (post)
        post(a.command);
}

}  // namespace gz
