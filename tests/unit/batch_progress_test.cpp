// Upgrade progress: the value mapping, the window's handling of each value, the completion test
// of a message of no row, rows beyond fifty, and a window closing during a run.
#include <gtest/gtest.h>

#include <climits>

#include "view/DeviceTable.h"
#include "batch/BatchRun.h"
#include "batch/UpgradeProgress.h"
#include "batch/UpgradeWorkers.h"
#include "res/MainDlgRes.h"
#include "tests/support/BatchFixture.h"

namespace tesmara {
namespace {

using testing::BatchBench;
using testing::DevOp;
using enum testing::DevOp;
using enum UpgradeProgressKind;

TEST(UpgradeProgress, LibraryProgressMapsToPercent) {
    struct Case {
        int32_t total, current, value;
    };
    const Case cases[] = {
        {1000, 500, 25}, {1000, 1000, 50}, {1000, 999, 49},       {-1, 40, 70},
        {-1, 100, 100},  {-1, 101, 100},   {-1, 102, 100},        {0, -1, -1},
        {0, -2, -2},     {3, 1, 16},       {1, INT_MAX, INT_MAX},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.value, MapUpgradeProgress(c.total, c.current)) << c.total << " " << c.current;
    }
}

// One device with a transfer running, as the worker leaves it.
DeviceRow& StartedDevice(BatchBench& b) {
    b.AddDevices(1);
    b.PrepareRun();
    DeviceRow& device = b.dialog.m_devices.front();
    DeviceInfo info{};
    device.loginHandle = b.access.DevLogin("10.0.0.1", 34567, "admin", "", &info, nullptr);
    device.upgradeHandle = b.access.DevUpgrade(device.loginHandle, "fw", nullptr, &device);
    return device;
}

TEST(UpgradeProgress, EachValueHasItsCellLineCallsAndCount) {
    struct Case {
        UpgradeProgressKind kind;
        int32_t value;
        std::wstring cell, line;
        std::vector<DevOp> ops;
        std::wstring box;
    };
    const Case cases[] = {
        {kUpgrade, 37, L"37%", L"", {}, L""},
        {kUpgradeConfig, 50, L"50%", L"", {}, L""},
        {kUpgrade,
         -1,
         L"Upgrade successfully!",
         L"[10.0.0.1] upgrade successfully!",
         {CloseUpgrade},
         L"Operate completed!"},
        {kUpgrade,
         -2,
         L"Upgrade failed!",
         L"[10.0.0.1] upgrade failed!",
         {CloseUpgrade, Logout},
         L"Operate completed!"},
        {kUpgradeConfig,
         -2,
         L"Upgrade failed!",
         L"[10.0.0.1] Upgrade failed!",
         {CloseUpgrade, Logout},
         L"Operation completed!"},
    };
    for (const Case& c : cases) {
        BatchBench b;
        b.view.SetButtonChecked(IDC_OWN_ADDRESS, true);
        DeviceRow& device = StartedDevice(b);
        OnUpgradeProgress(b.dialog, c.kind, &device, c.value);

        std::vector<DevOp> ops = b.OpsOf("10.0.0.1");
        ops.erase(ops.begin(), ops.begin() + 2);  // the login and upgrade made above
        EXPECT_EQ(c.cell, b.view.rows[0].cells[kColumnUpgradeStatus]) << c.cell;
        EXPECT_EQ(c.line, b.Lines().empty() ? L"" : b.Lines().back()) << c.cell;
        EXPECT_EQ(c.ops, ops) << c.cell;
        EXPECT_EQ(c.box.empty() ? std::vector<std::wstring>{} : std::vector{c.box}, b.BoxTexts())
            << c.cell;
    }
}

TEST(UpgradeProgress, AMessageOfNoRowOnlyMakesTheCompletionTest) {
    BatchBench b;
    DeviceRow stranger;
    OnUpgradeProgress(b.dialog, kUpgrade, &stranger, -1);  // before any run: nothing to end
    EXPECT_TRUE(b.view.boxes.empty());

    b.dialog.m_counters.Start(0);  // a run whose every device is counted, not yet ended
    OnUpgradeProgress(b.dialog, kUpgrade, &stranger, -1);
    OnUpgradeProgress(b.dialog, kUpgrade, nullptr, 1);
    EXPECT_EQ(std::vector<std::wstring>{L"Operate completed!"}, b.BoxTexts());
    EXPECT_EQ(0, b.dialog.m_counters.Tally().success);
}

TEST(UpgradeProgress, ALateFinalStateAfterTheRunChangesNothing) {
    BatchBench b;
    b.view.SetButtonChecked(IDC_OWN_ADDRESS, true);
    DeviceRow& device = StartedDevice(b);
    OnUpgradeProgress(b.dialog, kUpgrade, &device, -2);
    ASSERT_TRUE(b.dialog.m_counters.Ended());
    const size_t calls = b.access.Calls().size();
    OnUpgradeProgress(b.dialog, kUpgrade, &device, -1);
    EXPECT_EQ(1u, b.view.boxes.size());
    EXPECT_EQ(1, b.dialog.m_counters.Tally().fail + b.dialog.m_counters.Tally().success);
    EXPECT_EQ(L"Upgrade failed!", b.view.rows[0].cells[kColumnUpgradeStatus]);
    EXPECT_EQ(calls, b.access.Calls().size());
    EXPECT_FALSE(IsDeviceOfCurrentRun(b.dialog, &device));
}

TEST(UpgradeProgress, RowsBeyondFiftyAreFollowedThroughTheirRestartLikeTheOthers) {
    struct Case {
        int (*worker)(MainDialogState*);
        std::wstring cell, box;
    };
    const Case cases[] = {
        {FirmwareUpgradeWorker, L"升级成功！", L"操作完成！"},
        {UpgradeConfigWorker, L"Upgrade and configure successfully!", L"Operate completed!"},
    };
    for (const Case& c : cases) {
        constexpr int kDevices = 55;
        BatchBench b;
        b.AddDevices(kDevices);
        b.view.SetButtonChecked(IDC_OWN_ADDRESS, false);
        b.PrepareRun();
        for (int i = 0; i < kDevices; ++i) b.ScriptTransfer(BatchBench::AddressOf(i), -1);
        b.Run(c.worker);

        EXPECT_EQ(kDevices, b.dialog.m_counters.Tally().success);
        EXPECT_EQ(c.cell, b.view.rows[kDevices - 1].cells[kColumnUpgradeStatus]);
        EXPECT_EQ(std::vector{c.box}, b.BoxTexts());
    }
}

// A row added after "Start" has no slot; a chain thread may not be made.
TEST(UpgradeProgress, ADeviceThatCannotBeFollowedThroughItsRestartCountsAsFailed) {
    for (int i = 0; i < 4; ++i) {
        const auto kind = i % 2 ? kUpgradeConfig : kUpgrade;
        const bool noThread = i >= 2;
        BatchBench b;
        b.view.SetButtonChecked(IDC_OWN_ADDRESS, false);
        StartedDevice(b);
        if (noThread)
            b.dialog.m_workers.SetThreadStarter([](std::function<void()>) -> std::thread {
                throw std::system_error(
                    std::make_error_code(std::errc::resource_unavailable_try_again));
            });
        if (!noThread) b.dialog.m_addressChainSlots.clear();
        if (!noThread) b.dialog.m_configChainSlots.clear();
        OnUpgradeProgress(b.dialog, kind, &b.dialog.m_devices.front(), -1);
        b.ServeUntilIdle();
        EXPECT_EQ(1, b.dialog.m_counters.Tally().fail);
        EXPECT_EQ(StatusColour::kFailure, b.view.log.back().colour);
        EXPECT_EQ(1, b.access.CountOf(CloseUpgrade));
        EXPECT_EQ(1u, b.view.boxes.size());
    }
}

TEST(UpgradeProgress, AClosingWindowClosesTheTransfersAndIgnoresTheirProgress) {
    BatchBench b;
    b.AddDevices(2);
    b.PrepareRun();
    b.Run(FirmwareUpgradeWorker);  // both transfers run; nothing scripted ends them
    b.dialog.m_workers.RequestStop();
    CloseOpenTransfers(b.dialog);
    OnUpgradeProgress(b.dialog, kUpgrade, &b.dialog.m_devices.front(), -1);

    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ((std::vector<DevOp>{Login, Upgrade, UpgradeStart, CloseUpgrade, Logout}),
                  b.OpsOf(BatchBench::AddressOf(i)));
    }
    EXPECT_TRUE(b.view.boxes.empty());
    EXPECT_EQ(0, b.dialog.m_counters.Tally().success);
}

}  // namespace
}  // namespace tesmara
