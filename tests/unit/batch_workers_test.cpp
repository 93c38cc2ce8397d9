// The four workers, device by device: each failure row with its line, its clean-up calls and the
// pauses; the code in each line is the one the library reported for the failing call itself.
#include <gtest/gtest.h>

#include <system_error>

#include "devaccess/DeviceTime.h"
#include "res/MainDlgRes.h"
#include "tests/support/BatchFixture.h"

namespace tesmara {
namespace {

using testing::BatchBench;
using testing::DevOp;
using enum testing::DevOp;

struct WorkerCase {
    BatchKind worker;
    bool syncTime;
    DevOp failing;  // Init: nothing fails
    int32_t error;
    std::vector<std::wstring> lines;
    std::vector<DevOp> ops;
    uint32_t pausedMs;
    std::wstring box;          // empty: the run goes on in the transfer
    bool conflicting = false;  // two hosts answered the search for the row's MAC
};

TEST(BatchWorkers, EachDeviceOutcomeHasItsLineCleanUpAndPause) {
    const std::wstring up = L"[10.0.0.1] is upgrading...";
    const std::wstring both = L"[10.0.0.1] is upgrading and configuring...";
    const std::wstring conf = L"[10.0.0.1] is configuring...";
    const std::wstring sync = L"[10.0.0.1]正在同步时间...";
    const std::wstring done = L"Operate completed!";
    const WorkerCase cases[] = {
        {BatchKind::kUpgrade,
         false,
         Login,
         1,
         {up, L"[10.0.0.1] login failed! Password error"},
         {Login},
         0,
         done},
        {BatchKind::kUpgrade,
         true,
         SetConfig,
         7,
         {up, L"[10.0.0.1]同步时间失败！Error = 7"},
         {Login, SetConfig, Logout},
         0,
         done},
        {BatchKind::kUpgrade,
         false,
         Upgrade,
         5,
         {up, L"[10.0.0.1] upgrade failed1!Error = 5"},
         {Login, Upgrade, Logout},
         0,
         done},
        {BatchKind::kUpgrade,
         true,
         UpgradeStart,
         9,
         {up, L"[10.0.0.1] upgrade failed2!Error = 9"},
         {Login, SetConfig, Upgrade, UpgradeStart, CloseUpgrade, Logout},
         200,
         done},
        {BatchKind::kUpgrade, false, Init, 0, {up}, {Login, Upgrade, UpgradeStart}, 0, L""},
        {BatchKind::kUpgradeConfigure,
         false,
         Login,
         9,
         {both, L"[10.0.0.1] login failed! Fail to connect to host"},
         {Login},
         0,
         done},
        {BatchKind::kUpgradeConfigure,
         false,
         Upgrade,
         5,
         {both, L"[10.0.0.1]upgrade failed1!Error = 5"},
         {Login, Upgrade, Logout},
         0,
         done},
        {BatchKind::kUpgradeConfigure,
         false,
         UpgradeStart,
         4,
         {both, L"[10.0.0.1] upgrade failed2!Error = 4"},
         {Login, Upgrade, UpgradeStart, CloseUpgrade, Logout},
         0,
         done},
        {BatchKind::kConfigure,
         false,
         Login,
         3,
         {conf, L"[10.0.0.1] login failed! Login timeout"},
         {Login},
         0,
         done},
        {BatchKind::kConfigure,
         true,
         SetConfig,
         4,
         {conf, L"[10.0.0.1]同步时间失败！Error = 4"},
         {Login, SetConfig, Logout},
         0,
         done},
        {BatchKind::kConfigure,
         false,
         ImportConfig,
         12,
         {conf, L"[10.0.0.1] configure failed!Error = 12"},
         {Login, ImportConfig, Logout},
         0,
         done},
        {BatchKind::kConfigure,
         true,
         Init,
         0,
         {conf, L"[10.0.0.1] configure successfully!"},
         {Login, SetConfig, ImportConfig, Logout},
         200,
         done},
        {BatchKind::kSyncTime,
         false,
         Login,
         0,
         {sync, L"[10.0.0.1]登录设备失败！Error = 0"},
         {Login},
         0,
         L"操作完成！"},
        {BatchKind::kSyncTime,
         false,
         SetConfig,
         6,
         {sync, L"[10.0.0.1]同步设备时间失败！Error = 6"},
         {Login, SetConfig, Logout},
         200,
         L"操作完成！"},
        {BatchKind::kSyncTime,
         false,
         Init,
         0,
         {sync, L"[10.0.0.1]同步设备时间成功！"},
         {Login, SetConfig, Logout},
         200,
         L"操作完成！"},
    };
    const std::wstring refused = L"[10.0.0.1] login refused! Two devices answer with this MAC";
    const WorkerCase conflicts[] = {
        {BatchKind::kUpgrade, false, Init, 0, {up, refused}, {}, 0, done, true},
        {BatchKind::kSyncTime, false, Init, 0, {sync, refused}, {}, 0, L"操作完成！", true},
    };
    std::vector<WorkerCase> all(std::begin(cases), std::end(cases));
    all.insert(all.end(), std::begin(conflicts), std::end(conflicts));
    for (const WorkerCase& c : all) {
        BatchBench b;
        b.AddDevices(1);
        b.job.devices[0].conflicting = c.conflicting;
        b.AddDevices(1, false);  // not in the job
        b.job.clockFirst = c.syncTime;
        if (c.failing != Init) b.access.Script(c.failing, {.result = 0, .error = c.error});
        b.Run(c.worker);

        const std::wstring context = c.lines.back();
        EXPECT_EQ(c.lines, b.Lines()) << context;
        EXPECT_EQ(c.ops, b.OpsOf("10.0.0.1")) << context;
        EXPECT_TRUE(b.OpsOf("10.0.0.2").empty()) << context;
        EXPECT_EQ(c.pausedMs, b.clock.Peek() - 1000) << context;
        EXPECT_EQ(c.box.empty() ? std::vector<std::wstring>{} : std::vector{c.box}, b.BoxTexts())
            << context;
        if (c.box.empty()) continue;
        const bool success = c.failing == Init && !c.conflicting;
        EXPECT_EQ(success ? L"1" : L"0", b.view.ControlText(IDC_SUCCESS_COUNT)) << context;
        EXPECT_EQ(success ? L"0" : L"1", b.view.ControlText(IDC_FAIL_COUNT)) << context;
        EXPECT_EQ((std::vector<bool>{false, true}), b.view.windowEnabled) << context;
        EXPECT_EQ(1, b.status.runFinishes) << context;
        ASSERT_EQ(1u, b.status.finishes[0].size()) << context;
        EXPECT_EQ(success, b.status.finishes[0][0].succeeded) << context;
    }
}

TEST(BatchWorkers, TheClockRecordIsTheLocalTimeSentAsCommand8) {
    BatchBench b;
    b.AddDevices(1);
    b.Run(BatchKind::kSyncTime);
    const std::vector<testing::DevCall> sets = b.access.Calls(SetConfig);
    ASSERT_EQ(1u, sets.size());
    EXPECT_EQ(kConfigDeviceTime, sets[0].command);
    EXPECT_EQ(0, sets[0].channel);
    EXPECT_EQ(24, sets[0].size);
    EXPECT_EQ(2000, sets[0].waitMs);
    const DeviceTime sent = DecodeDeviceTime(sets[0].data);
    EXPECT_GE(sent.year, 2024);
    EXPECT_TRUE(sent.month >= 1 && sent.month <= 12 && sent.second >= 0 && sent.second <= 59);
}

TEST(BatchWorkers, ARunWhoseWorkerCannotStartEndsAtOnceWithoutABox) {
    BatchBench b;
    b.AddDevices(2);
    b.job.kind = BatchKind::kSyncTime;
    BatchRun run(b.job, {b.access, b.clock, b.view, b.status});
    run.Workers().SetThreadStarter([](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    });
    EXPECT_FALSE(run.Start());
    EXPECT_TRUE(run.Ended()) << "a run no worker serves is over";
    EXPECT_EQ(1, b.status.runFinishes);
    EXPECT_EQ(std::vector<std::wstring>{L"Worker could not be started!"}, b.Lines());
    EXPECT_TRUE(b.view.boxes.empty());
    EXPECT_EQ((std::vector<bool>{false, true}), b.view.windowEnabled);
}

TEST(BatchWorkers, WavesAndTheFailureLimitStartDevicesInTurnAndEndTheRunOnce) {
    const struct {
        int parallel, stopAfterFailures;
        std::vector<int> notStarted;
        int succeeded;
    } cases[] = {
        {2, 0, {}, 4},            // every device in its turn; the first fails
        {1, 1, {1, 2, 3, 4}, 0},  // the first failure stops the run's starts
        {2, 2, {}, 4},            // one failure of two allowed
    };
    for (const auto& c : cases) {
        BatchBench b;
        b.AddDevices(5);
        b.job.keepOwnAddress = true;
        b.job.parallel = c.parallel;
        b.job.stopAfterFailures = c.stopAfterFailures;
        for (int i = 0; i < 5; ++i) b.ScriptTransfer(BatchBench::AddressOf(i), i == 0 ? -2 : -1);
        b.Run(BatchKind::kUpgrade);
        const std::string context = "parallel " + std::to_string(c.parallel);
        EXPECT_EQ(1, b.status.runFinishes) << context;
        EXPECT_EQ(c.notStarted, b.status.notStarted) << context;
        int succeeded = 0;
        for (const auto& [row, finishes] : b.status.finishes) succeeded += finishes.at(0).succeeded;
        EXPECT_EQ(c.succeeded, succeeded) << context;
        for (int row : c.notStarted) EXPECT_TRUE(b.OpsOf(BatchBench::AddressOf(row)).empty());
    }
}

}  // namespace
}  // namespace tesmara
