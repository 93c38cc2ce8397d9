#include "batch/UpgradeWorkers.h"

#include <cmath>
#include <limits>

#include "view/DeviceRow.h"
#include "app/MainDialogState.h"
#include "view/MainView.h"
#include "batch/BatchRun.h"
#include "batch/TimeSyncWorker.h"
#include "devaccess/DeviceAccess.h"
#include "res/MainDlgRes.h"

namespace tesmara {
namespace {

struct UpgradeMode {
    const char* firstLine;
    const char* openFailedLine;  // DevUpgrade returned 0
    DevProgressCallback callback;
};

constexpr UpgradeMode kFirmwareMode{"[%s] is upgrading...", "[%s] upgrade failed1!Error = %d",
                                    UpgradeProgressCallback};
constexpr UpgradeMode kUpgradeConfigMode{"[%s] is upgrading and configuring...",
                                         "[%s]upgrade failed1!Error = %d",
                                         UpgradeConfigProgressCallback};

constexpr int32_t kSecondPhaseTotal = -1;
constexpr int32_t kPercentMax = 100;

void Post(UpgradeProgressKind kind, int32_t total, int32_t current, void* user) {
    if (MainView* window = g_mainDialog) {
        window->PostUpgradeProgress(kind, static_cast<DeviceRow*>(user),
                                    MapUpgradeProgress(total, current));
    }
}

// One device up to its running transfer: true when the transfer runs (the progress handler
// counts it later), false when the device failed before (a red line, logged out if logged in).
bool StartTransfer(MainDialogState& dialog, const UpgradeMode& mode, DeviceRow& device,
                   bool syncTime) {
    MainView& view = dialog.m_view;
    DeviceAccess& access = dialog.m_access;
    AppendDeviceLine(view, StatusColour::kProgress, mode.firstLine, device.ipText);
    const int32_t login = OpenDeviceForMainStep(dialog, device, syncTime);
    if (login == 0) return false;

    const int32_t upgrade =
        access.DevUpgrade(login, dialog.m_firmwarePath.c_str(), mode.callback, &device);
    if (upgrade == 0) {
        const int32_t lastError = access.DevGetLastError();
        access.DevLogout(login);
        AppendDeviceLine(view, StatusColour::kFailure, mode.openFailedLine, device.ipText,
                         lastError);
        return false;
    }
    // Stored before the start: the final state may reach the window before DevUpgradeStart
    // returns, and its handler closes the handle it finds in the row.
    const int32_t previous = device.upgradeHandle;
    device.upgradeHandle = upgrade;
    dialog.m_openTransfers.Add({upgrade, login});
    if (access.DevUpgradeStart(upgrade) == 0) {
        const int32_t lastError = access.DevGetLastError();
        access.DevCloseUpgrade(upgrade);
        dialog.m_openTransfers.Remove(upgrade);
        device.upgradeHandle = previous;
        access.DevLogout(login);
        AppendDeviceLine(view, StatusColour::kFailure, "[%s] upgrade failed2!Error = %d",
                         device.ipText, lastError);
        return false;
    }
    return true;
}

int RunUpgradeWorker(MainDialogState& dialog, const UpgradeMode& mode) {
    MainView& view = dialog.m_view;
    view.SetWindowEnabled(false);
    const bool syncTime = view.IsButtonChecked(IDC_MODE_SYNC_TIME);
    const int rows = view.RowCount();
    bool ended = false;
    for (int i = 0; i < rows; ++i) {
        if (dialog.m_workers.StopRequested()) return 0;
        DeviceRow* device = view.IsChecked(i) ? view.DeviceOfRow(i) : nullptr;
        if (!device) continue;
        if (!StartTransfer(dialog, mode, *device, syncTime)) {
            ended = dialog.m_counters.CountFailure() || ended;
        }
    }
    // Ends here only when this worker made the last count, or nothing was left to count; while
    // a transfer runs the progress handlers end the run.
    if (ended || dialog.m_counters.EndIfComplete()) FinishRun(dialog, kOperateCompleted);
    return 0;
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
    Post(UpgradeProgressKind::kUpgrade, total, current, user);
}

void UpgradeConfigProgressCallback(int32_t, int32_t, int32_t total, int32_t current, void* user) {
    Post(UpgradeProgressKind::kUpgradeConfig, total, current, user);
}

int FirmwareUpgradeWorker(MainDialogState* dialog) {
    return RunUpgradeWorker(*dialog, kFirmwareMode);
}

int UpgradeConfigWorker(MainDialogState* dialog) {
    return RunUpgradeWorker(*dialog, kUpgradeConfigMode);
}

}  // namespace tesmara
