// The scripted device access that worker tests rely on: results by device, the calling thread's
// last error, and progress delivered from a thread of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/ScriptedDeviceAccess.h"

namespace tesmara {
namespace {

using testing::DevOp;
using testing::ScriptedDeviceAccess;

TEST(ScriptedDeviceAccessTest, ResultsGoToTheirDeviceAndErrorsToTheirThread) {
    ScriptedDeviceAccess access;
    access.Script(DevOp::Login, {.result = 0, .error = 5, .address = "10.0.0.2"});
    int32_t errorA = -7, errorB = -7, lastA = -7, lastB = -7;
    int32_t loginA = 0, loginB = 0;
    std::thread b([&] {
        loginB = access.DevLogin("10.0.0.2", 1, "u", "p", nullptr, &errorB);
        lastB = access.DevGetLastError();
    });
    b.join();
    std::thread a([&] {
        loginA = access.DevLogin("10.0.0.1", 1, "u", "p", nullptr, &errorA);
        lastA = access.DevGetLastError();
    });
    a.join();
    EXPECT_NE(loginA, 0);
    EXPECT_EQ(errorA, -7);  // untouched on success
    EXPECT_EQ(lastA, 0);
    EXPECT_EQ(loginB, 0);
    EXPECT_EQ(errorB, 5);
    EXPECT_EQ(lastB, 5);

    access.Script(DevOp::SetConfig, {.result = 0, .error = 3, .address = "10.0.0.1"});
    uint8_t byte = 9;
    EXPECT_EQ(access.DevSetConfig(loginA, 81, -1, &byte, 1, -1), 0);
    EXPECT_EQ(access.DevGetLastError(), 3);
    EXPECT_EQ(access.Calls(DevOp::SetConfig).at(0).address, "10.0.0.1");
}

TEST(ScriptedDeviceAccessTest, ScriptedProgressArrivesOnAnotherThread) {
    static std::atomic<int> calls;
    static std::atomic<int> lastTotal, lastCurrent;
    static std::thread::id callbackThread;
    calls = 0;
    ScriptedDeviceAccess access;
    access.Script(DevOp::UpgradeStart, {.progress = {{100, 50}, {-1, 40}, {0, -1}}});
    int32_t error = 0;
    const int32_t login = access.DevLogin("10.0.0.1", 1, "u", "p", nullptr, &error);
    int user = 0;
    const int32_t upgrade = access.DevUpgrade(
        login, "fw.bin",
        [](int32_t, int32_t, int32_t total, int32_t current, void* u) {
            ++*static_cast<int*>(u);
            ++calls;
            lastTotal = total;
            lastCurrent = current;
            callbackThread = std::this_thread::get_id();
        },
        &user);
    ASSERT_NE(upgrade, 0);
    EXPECT_EQ(access.DevUpgradeStart(upgrade), 1);
    access.JoinProgressThreads();
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(user, 3);
    EXPECT_EQ(lastTotal, 0);
    EXPECT_EQ(lastCurrent, -1);
    EXPECT_NE(callbackThread, std::this_thread::get_id());
    EXPECT_TRUE(access.SendProgress(upgrade, 0, -2));
    EXPECT_FALSE(access.SendProgress(upgrade + 1000, 0, -2));
}

}  // namespace
}  // namespace tesmara
