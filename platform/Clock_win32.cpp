#include <windows.h>

#include "platform/Clock.h"

namespace tesmara {
namespace {

class TickClock final : public Clock {
  public:
    uint32_t NowMs() override { return ::GetTickCount(); }
    void SleepMs(uint32_t ms) override { ::Sleep(ms); }
};

}  // namespace

Clock& SystemClock() {
    static TickClock clock;
    return clock;
}

}  // namespace tesmara
