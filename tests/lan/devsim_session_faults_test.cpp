// devsim's per-device session faults that batch runs meet: a refused clock setting and a
// recorder that never returns from its restart, beside a sound recorder of the same fleet.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "quorn/quorn.h"
#include "tests/lan/support/SessionFleet.h"
#include "tests/lan/support/TestLanGuard.h"

namespace tesmara::lan {
namespace {

class DevsimSessionFaults : public LanTest {};

TEST_F(DevsimSessionFaults, ClockRefusedAndNeverBackAfterRestart) {
    std::string error;
    auto fleet = SessionFleet::FromJson(R"({"defaults": {"rebootOfflineMs": 100}, "devices": [
        {"address": "192.168.9.90"},
        {"address": "192.168.9.91", "failClock": true, "neverBack": true}]})",
                                        &error);
    ASSERT_TRUE(fleet) << error;
    uint8_t clock[24] = {};
    const int32_t fields[6] = {2031, 5, 17, 8, 9, 10};
    for (int i = 0; i < 6; ++i) clock[4 * i] = static_cast<uint8_t>(fields[i] & 0xFF);
    for (int i = 0; i < 6; ++i) clock[4 * i + 1] = static_cast<uint8_t>(fields[i] >> 8);
    for (size_t device = 0; device < 2; ++device) {
        bool faulty = device == 1;
        QuornDeviceInfo info{};
        int32_t code = 0;
        int32_t login = DevLogin(fleet->Address(device).c_str(), fleet->Port(device), "admin", "",
                                 &info, &code, 0, 0);
        ASSERT_NE(login, 0) << device;
        EXPECT_EQ(DevSetConfig(login, 8, 0, clock, sizeof clock, 2000), faulty ? 0 : 1) << device;
        EXPECT_EQ(DevReboot(login), 1) << device;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_TRUE(fleet->Device(0).Snapshot().online);
    EXPECT_FALSE(fleet->Device(1).Snapshot().online);
}

}  // namespace
}  // namespace tesmara::lan
