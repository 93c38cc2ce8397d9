#include "tests/support/FakeClock.h"

namespace tesmara::testing {

using Hold = std::lock_guard<std::mutex>;

uint32_t FakeClock::NowMs() {
    Hold h(m_lock);
    uint32_t now = m_now;
    m_now += m_readStep;
    return now;
}

void FakeClock::SleepMs(uint32_t ms) {
    Hold h(m_lock);
    m_now += ms;
    m_sleeps.push_back(ms);
}

void FakeClock::Advance(uint32_t ms) {
    Hold h(m_lock);
    m_now += ms;
}

uint32_t FakeClock::Peek() {
    Hold h(m_lock);
    return m_now;
}

void FakeClock::SetReadStep(uint32_t ms) {
    Hold h(m_lock);
    m_readStep = ms;
}

std::vector<uint32_t> FakeClock::Sleeps() {
    Hold h(m_lock);
    return m_sleeps;
}

}  // namespace tesmara::testing
