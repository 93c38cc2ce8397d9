#include "batch/ConfigImportWorker.h"

#include "view/DeviceRow.h"
#include "app/MainDialogState.h"
#include "view/MainView.h"
#include "batch/BatchRun.h"
#include "batch/TimeSyncWorker.h"
#include "devaccess/DeviceAccess.h"
#include "res/MainDlgRes.h"

namespace tesmara {
namespace {

// One device: true when it was configured.
bool ConfigureDevice(MainDialogState& dialog, DeviceRow& device, bool syncTime) {
    MainView& view = dialog.m_view;
    DeviceAccess& access = dialog.m_access;
    AppendDeviceLine(view, StatusColour::kProgress, "[%s] is configuring...", device.ipText);
    const int32_t login = OpenDeviceForMainStep(dialog, device, syncTime);
    if (login == 0) return false;
    const bool imported = access.DevImportConfig(login, dialog.m_configPath.c_str()) != 0;
    if (imported) {
        AppendDeviceLine(view, StatusColour::kSuccess, "[%s] configure successfully!",
                         device.ipText);
    } else {
        const int32_t lastError = access.DevGetLastError();
        AppendDeviceLine(view, StatusColour::kFailure, "[%s] configure failed!Error = %d",
                         device.ipText, lastError);
    }
    access.DevLogout(login);
    return imported;
}

}  // namespace

int ConfigImportWorker(MainDialogState* state) {
    MainDialogState& dialog = *state;
    MainView& view = dialog.m_view;
    view.SetWindowEnabled(false);
    const bool syncTime = view.IsButtonChecked(IDC_MODE_SYNC_TIME);
    const int rows = view.RowCount();
    for (int i = 0; i < rows; ++i) {
        if (dialog.m_workers.StopRequested()) return 0;
        DeviceRow* device = view.IsChecked(i) ? view.DeviceOfRow(i) : nullptr;
        if (!device) continue;
        dialog.m_counters.Record(ConfigureDevice(dialog, *device, syncTime));
    }
    if (dialog.m_counters.End()) FinishRun(dialog, kOperateCompleted);
    return 0;
}

}  // namespace tesmara
