#include "show/buzzer_learning.h"

namespace gz {

bool BuzzerLearning::press(const ButtonBinding& button, uint32_t nowMs)
{
    if (done())
        return false;
    // Unsigned difference: a clock that wrapped still measures right; one
    // that jumped back looks like a long pause, which learns.
    if (lastLearnedMs_ && nowMs - *lastLearnedMs_ < kBuzzerSettleMs)
        return false;
    mapping_.bind(current_, button);
    lastLearnedMs_ = nowMs;
    ++current_;
    return true;
}

void BuzzerLearning::skip()
{
    if (!done())
        ++current_;
}

void BuzzerLearning::back()
{
    if (current_ > 0)
        --current_;
}

void BuzzerLearning::clearCurrent()
{
    if (!done())
        mapping_.unbind(current_);
}

void BuzzerLearning::select(int action)
{
    if (action >= 0 && action < kBuzzerActionCount)
        current_ = action;
}

}  // namespace gz
