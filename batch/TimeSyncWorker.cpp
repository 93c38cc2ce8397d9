#include "batch/TimeSyncWorker.h"

#include "view/DeviceRow.h"
#include "app/MainDialogState.h"
#include "view/MainView.h"
#include "batch/BatchRun.h"
#include "batch/PcClockTime.h"
#include "devaccess/DeviceAccess.h"
#include "devaccess/DeviceTime.h"
#include "devaccess/LoginMessages.h"
#include "platform/Text.h"

namespace tesmara {

bool SetClockBeforeMainStep(MainDialogState& dialog, const DeviceRow& device, int32_t login) {
    DeviceAccess& access = dialog.m_access;
    if (!SendDeviceTime(access, login, DeviceTimeFromPcClock())) {
        const int32_t error = access.DevGetLastError();
        AppendDeviceLine(dialog.m_view, StatusColour::kFailure, "[%s]同步时间失败！Error = %d",
                         device.ipText, error);
        access.DevLogout(login);
        return false;
    }
    PauseRun(dialog, kSettlePauseMs);
    return true;
}

int32_t OpenDeviceForMainStep(MainDialogState& dialog, DeviceRow& device, bool syncTime) {
    if (RefuseConflicting(dialog.m_view, device)) return 0;
    int32_t error = 0;
    const int32_t login = LoginToDevice(dialog, device.ipText, device.tcpPort, error);
    if (login == 0) {
        dialog.m_view.AppendStatusLine(EnglishLoginFailureLine(AnsiToWide(device.ipText), error),
                                       StatusColour::kFailure);
        return 0;
    }
    device.loginHandle = login;
    if (syncTime && !SetClockBeforeMainStep(dialog, device, login)) return 0;
    return login;
}

int TimeSyncWorker(MainDialogState* state) {
    MainDialogState& dialog = *state;
    MainView& view = dialog.m_view;
    DeviceAccess& access = dialog.m_access;
    view.SetWindowEnabled(false);
    const int rows = view.RowCount();
    for (int i = 0; i < rows; ++i) {
        if (dialog.m_workers.StopRequested()) return 0;
        DeviceRow* device = view.IsChecked(i) ? view.DeviceOfRow(i) : nullptr;
        if (!device) continue;
        AppendDeviceLine(view, StatusColour::kProgress, "[%s]正在同步时间...", device->ipText);
        if (RefuseConflicting(view, *device)) {
            dialog.m_counters.Record(false);
            continue;
        }
        int32_t error = 0;
        const int32_t login = LoginToDevice(dialog, device->ipText, device->tcpPort, error);
        if (login == 0) {
            view.AppendStatusLine(DeviceLoginFailureLine(AnsiToWide(device->ipText), error),
                                  StatusColour::kFailure);
            dialog.m_counters.Record(false);
            continue;
        }
        device->loginHandle = login;
        if (SendDeviceTime(access, login, DeviceTimeFromPcClock())) {
            AppendDeviceLine(view, StatusColour::kSuccess, "[%s]同步设备时间成功！",
                             device->ipText);
            dialog.m_counters.Record(true);
        } else {
            const int32_t lastError = access.DevGetLastError();
            AppendDeviceLine(view, StatusColour::kFailure, "[%s]同步设备时间失败！Error = %d",
                             device->ipText, lastError);
            dialog.m_counters.Record(false);
        }
        // Logged out after the pause whatever the outcome, also when the window is closing.
        PauseRun(dialog, kSettlePauseMs);
        access.DevLogout(login);
    }
    if (dialog.m_counters.End()) FinishRun(dialog, kOperateCompletedZh);
    return 0;
}

}  // namespace tesmara
