#include "batch/UpgradeWorkers.h"

#include <cmath>
#include <limits>

#include "batch/BatchRun.h"
#include "devaccess/DeviceAccess.h"

namespace tesmara {
namespace {

struct UpgradeMode {
    const char* firstLine;
    const char* openFailedLine;  // DevUpgrade returned 0
};

constexpr UpgradeMode kFirmwareMode{"[%s] is upgrading...", "[%s] upgrade failed1!Error = %d"};
constexpr UpgradeMode kUpgradeConfigMode{"[%s] is upgrading and configuring...",
                                         "[%s]upgrade failed1!Error = %d"};

constexpr int32_t kSecondPhaseTotal = -1;
constexpr int32_t kPercentMax = 100;
constexpr int32_t kTransferFailed = -2;

// One device up to its running transfer: true when the transfer runs (its progress counts it
// later), false when the device failed before (a red line, logged out if logged in).
bool StartTransfer(BatchRun& run, const UpgradeMode& mode, size_t i) {
    DeviceAccess& access = run.Access();
    run.Line(i, StatusColour::kProgress, mode.firstLine);
    DeviceSession session = run.OpenForMainStep(i);
    if (!session.IsOpen()) return false;

    const int32_t upgrade = access.DevUpgrade(session.Handle(), run.Job().firmwarePath.c_str(),
                                              UpgradeProgressCallback, &run.TransferOf(i));
    if (upgrade == 0) {
        const int32_t lastError = session.LastError();
        session.Logout();
        run.Line(i, StatusColour::kFailure, mode.openFailedLine, lastError);
        return false;
    }
    // Opened before the start: the final state may reach the owner before DevUpgradeStart
    // returns, and its handler closes the transfer it finds open.
    run.OpenTransfer(i, session.Handle(), upgrade);
    if (access.DevUpgradeStart(upgrade) == 0) {
        const int32_t lastError = session.LastError();
        run.CloseTransfer(i);
        session.Logout();
        run.Line(i, StatusColour::kFailure, "[%s] upgrade failed2!Error = %d", lastError);
        return false;
    }
    session.Release();  // the transfer's final state logs out
    return true;
}

void RunUpgradeWorker(BatchRun& run, const UpgradeMode& mode) {
    bool ended = false;
    for (size_t i = 0; i < run.Job().devices.size(); ++i) {
        if (run.StopRequested()) return;
        if (!run.Admit(i)) break;
        if (!StartTransfer(run, mode, i)) ended = run.Count(i, false) || ended;
    }
    // Ends here only when this worker made the last count, or nothing was left to count; while
    // a transfer runs its progress ends the run.
    if (ended || run.EndIfComplete()) run.Finish(kOperateCompleted);
}

}  // namespace

int32_t MapUpgradeProgress(int32_t total, int32_t current) {
    if (total == 0) return current;
    if (total == kSecondPhaseTotal) {
        const int32_t value = current / 2 + 50;
        return value > kPercentMax ? kPercentMax : value;
    }
    // A misreporting library must not make the conversion undefined.
    const double value = std::trunc(static_cast<double>(current) / total * 50);
    constexpr double kLow = std::numeric_limits<int32_t>::min();
    constexpr double kHigh = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value < kLow ? kLow : value > kHigh ? kHigh : value);
}

void UpgradeProgressCallback(int32_t, int32_t, int32_t total, int32_t current, void* user) {
    auto* transfer = static_cast<BatchRun::Transfer*>(user);
    // The library's last error belongs to this thread: read at once, before anything else here
    // calls into the library.
    const int32_t cause =
        total == 0 && current == kTransferFailed ? transfer->run->Access().DevGetLastError() : 0;
    transfer->run->PostProgress(*transfer, MapUpgradeProgress(total, current), cause);
}

void FirmwareUpgradeWorker(BatchRun& run) {
    RunUpgradeWorker(run, kFirmwareMode);
}

void UpgradeConfigWorker(BatchRun& run) {
    RunUpgradeWorker(run, kUpgradeConfigMode);
}

}  // namespace tesmara
