// Upgrade progress: the value mapping, the handling of each value on the owner's thread with the
// device's typed finish, rows beyond fifty, and a window closing during a run.
#include <gtest/gtest.h>

#include <climits>

#include "batch/BatchRun.h"
#include "batch/UpgradeProgress.h"
#include "batch/UpgradeWorkers.h"
#include "tests/support/BatchFixture.h"
#include "view/DeviceTable.h"

namespace tesmara {
namespace {

using testing::BatchBench;
using testing::DevOp;
using enum testing::DevOp;
using enum BatchKind;

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
BatchRun& StartedDevice(BatchBench& b, BatchKind kind) {
    b.AddDevices(1);
    BatchRun& run = b.Prepare(kind);
    DeviceInfo info{};
    const int32_t login = b.access.DevLogin("10.0.0.1", 34567, "admin", "", &info, nullptr);
    run.OpenTransfer(0, login, b.access.DevUpgrade(login, "fw", nullptr, &run.TransferOf(0)));
    return run;
}

TEST(UpgradeProgress, EachValueHasItsCellLineCallsAndCount) {
    struct Case {
        BatchKind kind;
        int32_t value;
        std::wstring cell, line;
        std::vector<DevOp> ops;
        std::wstring box;
    };
    const Case cases[] = {
        {kUpgrade, 37, L"37%", L"", {}, L""},
        {kUpgradeConfigure, 50, L"50%", L"", {}, L""},
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
        {kUpgradeConfigure,
         -2,
         L"Upgrade failed!",
         L"[10.0.0.1] Upgrade failed!",
         {CloseUpgrade, Logout},
         L"Operation completed!"},
    };
    for (const Case& c : cases) {
        BatchBench b;
        b.job.keepOwnAddress = true;
        OnUpgradeProgress(StartedDevice(b, c.kind), 0, c.value, 24);

        std::vector<DevOp> ops = b.OpsOf("10.0.0.1");
        ops.erase(ops.begin(), ops.begin() + 2);  // the login and upgrade made above
        EXPECT_EQ(c.cell, b.view.rows[0].cells[kColumnUpgradeStatus]) << c.cell;
        EXPECT_EQ(c.line, b.Lines().empty() ? L"" : b.Lines().back()) << c.cell;
        EXPECT_EQ(c.ops, ops) << c.cell;
        EXPECT_EQ(c.box.empty() ? std::vector<std::wstring>{} : std::vector{c.box}, b.BoxTexts())
            << c.cell;
        // The typed finish: the library's cause rides only on a failed transfer.
        const auto finished = b.status.finishes[0];
        EXPECT_EQ(c.value < 0 ? 1u : 0u, finished.size()) << c.cell;
        if (!finished.empty()) {
            EXPECT_EQ(c.value == -1, finished[0].succeeded) << c.cell;
            EXPECT_EQ(c.value == -2 ? 24 : 0, finished[0].cause) << c.cell;
        }
        EXPECT_EQ(c.box.empty() ? 0 : 1, b.status.runFinishes) << c.cell;
    }
}

TEST(UpgradeProgress, ALateFinalStateAfterTheRunChangesNothing) {
    BatchBench b;
    b.job.keepOwnAddress = true;
    BatchRun& run = StartedDevice(b, kUpgrade);
    OnUpgradeProgress(run, 0, -2, 0);
    ASSERT_TRUE(run.Ended());
    const size_t calls = b.access.Calls().size();
    OnUpgradeProgress(run, 0, -1, 0);
    EXPECT_EQ(1u, b.view.boxes.size());
    EXPECT_EQ(1, run.Tally().fail + run.Tally().success);
    EXPECT_EQ(L"Upgrade failed!", b.view.rows[0].cells[kColumnUpgradeStatus]);
    EXPECT_EQ(calls, b.access.Calls().size());
    EXPECT_EQ(1, b.status.runFinishes);
}

TEST(UpgradeProgress, RowsBeyondFiftyAreFollowedThroughTheirRestartLikeTheOthers) {
    struct Case {
        BatchKind kind;
        std::wstring cell, box;
    };
    const Case cases[] = {
        {kUpgrade, L"升级成功！", L"操作完成！"},
        {kUpgradeConfigure, L"Upgrade and configure successfully!", L"Operate completed!"},
    };
    for (const Case& c : cases) {
        constexpr int kDevices = 55;
        BatchBench b;
        b.AddDevices(kDevices);
        for (int i = 0; i < kDevices; ++i) b.ScriptTransfer(BatchBench::AddressOf(i), -1);
        b.Run(c.kind);

        EXPECT_EQ(kDevices, b.dialog.m_run->Tally().success);
        EXPECT_EQ(c.cell, b.view.rows[kDevices - 1].cells[kColumnUpgradeStatus]);
        EXPECT_EQ(std::vector{c.box}, b.BoxTexts());
    }
}

// A chain thread may not be made.
TEST(UpgradeProgress, ADeviceThatCannotBeFollowedThroughItsRestartCountsAsFailed) {
    for (const BatchKind kind : {kUpgrade, kUpgradeConfigure}) {
        BatchBench b;
        BatchRun& run = StartedDevice(b, kind);
        run.Workers().SetThreadStarter([](std::function<void()>) -> std::thread {
            throw std::system_error(
                std::make_error_code(std::errc::resource_unavailable_try_again));
        });
        OnUpgradeProgress(run, 0, -1, 0);
        b.ServeUntilIdle();
        EXPECT_EQ(1, run.Tally().fail);
        EXPECT_EQ(StatusColour::kFailure, b.view.log.back().colour);
        EXPECT_EQ(1, b.access.CountOf(CloseUpgrade));
        EXPECT_EQ(1u, b.view.boxes.size());
    }
}

TEST(UpgradeProgress, AClosingWindowClosesTheTransfersAndIgnoresTheirProgress) {
    BatchBench b;
    b.AddDevices(2);
    b.Run(kUpgrade);  // both transfers run; nothing scripted ends them
    b.dialog.m_run->Stop();
    OnUpgradeProgress(*b.dialog.m_run, 0, -1, 0);

    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ((std::vector<DevOp>{Login, Upgrade, UpgradeStart, CloseUpgrade, Logout}),
                  b.OpsOf(BatchBench::AddressOf(i)));
    }
    EXPECT_TRUE(b.view.boxes.empty());
    EXPECT_EQ(0, b.dialog.m_run->Tally().success);
}

}  // namespace
}  // namespace tesmara
