// A Clock whose time moves only when the code under test sleeps (or, if asked, a little on every
// read, so that a loop that polls without pausing still runs out of time).
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/Clock.h"

namespace tesmara::testing {

class FakeClock : public Clock {
  public:
    explicit FakeClock(uint32_t startMs = 0) : m_now(startMs) {}

    uint32_t NowMs() override;
    void SleepMs(uint32_t ms) override;

    void Advance(uint32_t ms);
    uint32_t Peek();  // current time without the read step
    void SetReadStep(uint32_t ms);
    std::vector<uint32_t> Sleeps();  // every SleepMs argument in order

  private:
    std::mutex m_lock;
    uint32_t m_now;
    uint32_t m_readStep = 0;
    std::vector<uint32_t> m_sleeps;
};

}  // namespace tesmara::testing
