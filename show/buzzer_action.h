// Carrying out one of the eight buzzer actions (see show/buzzer_mapping.h),
// from whichever source the press came: an input device's poller thread, or
// a key typed into the window.
//
// Actions 0 and 1 call BuzzerTarget::stopPlayer at once, on the caller's
// thread (first buzz wins inside stopPlayer). Actions 2..7 hand their
// command id to `post`, which must queue it to the window thread, where it
// runs only when its enable rule allows.
//
// One BuzzerActionGate is shared by all sources of one show: an action acts
// at most once within 100 ms (inclusive) of its last accepted press, so a
// keyboard buzzer seen both as an input device and as typed keys counts once.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>

#include "show/buzzer_mapping.h"
#include "show/remote_poller.h"

namespace gz {

class BuzzerActionGate {
public:
    // True when a press of `action` (0..7) at `nowMs` acts. Any thread.
    bool accept(int action, uint32_t nowMs);

private:
    std::mutex lock_;
    RemoteDebouncer debounce_;   // guarded by lock_
};

using BuzzerCommandPoster = std::function<void(int32_t commandId)>;

// Runs `action` (0..7) without any filter; other numbers do nothing.
void runBuzzerAction(int action, BuzzerTarget& buzzer, const BuzzerCommandPoster& post);

}  // namespace gz
