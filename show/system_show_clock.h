// The real millisecond tick count for the show engine: a monotonic clock
// truncated to 32 bits, so it wraps like the system's tick count.
#pragma once

#include "show/show_host.h"

namespace gz {

class SystemShowClock final : public ShowClock {
public:
    uint32_t nowMs() override;
};

}  // namespace gz
