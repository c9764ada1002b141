#include "show/system_show_clock.h"

#include <chrono>

namespace gz {

uint32_t SystemShowClock::nowMs()
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(ms);
}

}  // namespace gz
