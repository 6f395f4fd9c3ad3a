// The driver's clock: the 32-bit millisecond tick count and the pause of the
// retry schedules. Tests give the driver a fake one that records the pauses
// instead of waiting.
#pragma once

#include <cstdint>
#include <functional>

struct PipelineClock {
    std::function<uint32_t()> tick;          // milliseconds, wrapping at 2^32
    std::function<void(uint32_t ms)> sleep;  // pause the calling thread
};

// Monotonic milliseconds truncated to 32 bits (GetTickCount's meaning), and
// a real sleep.
PipelineClock SystemClock();
