#include "services/pipeline_clock.h"

#include <chrono>
#include <thread>

PipelineClock SystemClock() {
    PipelineClock clock;
    clock.tick = [] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    };
    clock.sleep = [](uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    return clock;
}
