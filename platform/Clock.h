// Millisecond tick counter and sleep. Ticks wrap at 2^32; always compare differences.
#pragma once

#include <cstdint>

namespace tesmara {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual uint32_t NowMs() = 0;
    virtual void SleepMs(uint32_t ms) = 0;
};

// Milliseconds from `earlier` to `later`, correct across one wrap of the counter.
constexpr uint32_t TicksSince(uint32_t later, uint32_t earlier) {
    return later - earlier;
}

Clock& SystemClock();

}  // namespace tesmara
