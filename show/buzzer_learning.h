// Teaching the show which button does which of the eight buzzer actions
// (show/buzzer_mapping.h): a walk through the actions in their order, one
// press per action. No window system; the "Buzzer zuordnen" dialog is a
// thin face over it.
//
// The walk starts at action 0 with a given mapping. A press binds its
// button to the current action (taking it off any other) and moves on to
// the next; after action 7 the walk is done and presses are ignored until
// the user steps back or picks an action. A press that comes less than
// kBuzzerSettleMs after the last learned one is ignored: a keyboard buzzer
// reports one physical press twice (as an input device and as a typed key),
// and the second report must not become the next action's button.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "show/buzzer_mapping.h"

namespace gz {

constexpr uint32_t kBuzzerSettleMs = 300;

class BuzzerLearning {
public:
    explicit BuzzerLearning(BuzzerMapping start = {}) : mapping_(std::move(start)) {}

    // The action waiting for its button, 0..7; kBuzzerActionCount when done.
    int current() const { return current_; }
    bool done() const { return current_ >= kBuzzerActionCount; }
    const BuzzerMapping& mapping() const { return mapping_; }

    // Binds `button` to the current action and moves on. False when the
    // press was ignored: the walk is done, or the last learned press was
    // less than kBuzzerSettleMs before `nowMs` (wrapping milliseconds).
    bool press(const ButtonBinding& button, uint32_t nowMs);
    // The next action, the current one keeping its binding.
    void skip();
    // The action before (from done: the last one); stays at the first.
    void back();
    // The current action loses its binding and stays current.
    void clearCurrent();
    // Makes `action` (0..7) current; other numbers are ignored.
    void select(int action);

private:
    BuzzerMapping mapping_;
    int current_ = 0;
    std::optional<uint32_t> lastLearnedMs_;
};

}  // namespace gz
