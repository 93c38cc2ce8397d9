// Randomized batch runs in which the worker, the window's progress handling and the chain threads
// count at once: every device is counted exactly once and every run ends exactly once. Small
// enough to run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <random>

#include "tests/support/BatchFixture.h"

namespace tesmara {
namespace {

using testing::BatchBench;
using testing::DevOp;

enum class Fate {
    kLoginRefused,
    kOpenRefused,
    kStartRefused,
    kTransferFailed,
    kNoLoginAfterRestart,
    kSecondStepRefused,
    kSucceeded,
    kCount,
};

// Scripts the device's fate; true when it ends as a success.
bool ScriptFate(testing::ScriptedDeviceAccess& access, const std::string& address, Fate fate,
                bool upgradeConfig) {
    auto fail = [&](DevOp op) { access.Script(op, {.result = 0, .error = 1, .address = address}); };
    switch (fate) {
        case Fate::kLoginRefused:
            fail(DevOp::Login);
            return false;
        case Fate::kOpenRefused:
            fail(DevOp::Upgrade);
            return false;
        case Fate::kStartRefused:
            fail(DevOp::UpgradeStart);
            return false;
        case Fate::kTransferFailed:
            access.Script(DevOp::UpgradeStart,
                          {.progress = {{10, 5}, {0, -2}}, .address = address});
            return false;
        default:
            break;
    }
    access.Script(DevOp::UpgradeStart,
                  {.progress = {{10, 5}, {-1, 60}, {0, -1}}, .address = address});
    if (fate == Fate::kNoLoginAfterRestart) {
        access.Script(DevOp::Login, {.address = address});  // the worker's login
        for (int i = 0; i < 16; ++i) fail(DevOp::Login);
        return false;
    }
    if (fate == Fate::kSecondStepRefused) {
        fail(upgradeConfig ? DevOp::ImportConfig : DevOp::SetConfig);
        return false;
    }
    return true;
}

TEST(BatchStress, EveryDeviceCountsOnceAndEveryRunEndsOnce) {
    constexpr int kRuns = 400;
    std::mt19937 random(20261207);
    for (int run = 0; run < kRuns; ++run) {
        BatchBench b;
        const int devices = 1 + static_cast<int>(random() % 8);
        const int mode = static_cast<int>(random() % 3);  // own address kept, reset, configure
        const bool upgradeConfig = mode == 2;
        b.job.keepOwnAddress = mode == 0;
        b.AddDevices(devices);
        int expectedSuccess = 0;
        for (int i = 0; i < devices; ++i) {
            auto fate = static_cast<Fate>(random() % static_cast<unsigned>(Fate::kCount));
            if (mode == 0 && fate >= Fate::kNoLoginAfterRestart) fate = Fate::kSucceeded;
            expectedSuccess += ScriptFate(b.access, BatchBench::AddressOf(i), fate, upgradeConfig);
        }
        b.Run(upgradeConfig ? BatchKind::kUpgradeConfigure : BatchKind::kUpgrade);

        const BatchTally tally = b.dialog.m_run->Tally();
        ASSERT_EQ(devices, tally.success + tally.fail) << "run " << run;
        ASSERT_EQ(expectedSuccess, tally.success) << "run " << run;
        ASSERT_EQ(1u, b.view.boxes.size()) << "run " << run;
        ASSERT_EQ(1, b.status.runFinishes) << "run " << run;
        ASSERT_EQ(static_cast<size_t>(devices), b.status.finishes.size()) << "run " << run;
        ASSERT_EQ(true, b.view.windowEnabled.back()) << "run " << run;
    }
}

}  // namespace
}  // namespace tesmara
