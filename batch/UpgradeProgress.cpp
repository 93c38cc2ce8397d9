#include "batch/UpgradeProgress.h"

#include "view/DeviceRow.h"
#include "view/DeviceTable.h"
#include "app/MainDialogState.h"
#include "batch/BatchRun.h"
#include "batch/UpgradeChains.h"
#include "devaccess/DeviceAccess.h"
#include "platform/Format.h"
#include "res/MainDlgRes.h"

namespace tesmara {
namespace {

constexpr int32_t kTransferDone = -1;
constexpr int32_t kTransferFailed = -2;

struct KindTexts {
    const char* failedLine;
    const char* completion;
};

KindTexts TextsOf(UpgradeProgressKind kind) {
    if (kind == UpgradeProgressKind::kUpgrade) return {"[%s] upgrade failed!", kOperateCompleted};
    return {"[%s] Upgrade failed!", kOperationCompleted};
}

int RowOf(MainView& view, DeviceRow* device) {
    const int rows = view.RowCount();
    for (int i = 0; i < rows; ++i) {
        if (view.DeviceOfRow(i) == device) return i;
    }
    return -1;
}

void CloseTransfer(MainDialogState& dialog, const DeviceRow& device) {
    dialog.m_access.DevCloseUpgrade(device.upgradeHandle);
    dialog.m_openTransfers.Remove(device.upgradeHandle);
}

// A row beyond the slots (rows added after "Start") cannot be followed through its restart; it
// is counted as failed rather than written outside the slots.
bool CountRowWithoutSlot(MainDialogState& dialog, const DeviceRow& device) {
    AppendDeviceLine(dialog.m_view, StatusColour::kFailure,
                     "[%s] upgraded, but not followed after its restart: no chain slot!",
                     device.ipText);
    return dialog.m_counters.CountFailure();
}

// Nor can a device whose chain thread could not be made: uncounted, it would hold the run open.
bool CountRowWithoutThread(MainDialogState& dialog, const DeviceRow& device) {
    AppendDeviceLine(dialog.m_view, StatusColour::kFailure,
                     "[%s] upgraded, but not followed after its restart: no thread!",
                     device.ipText);
    return dialog.m_counters.CountFailure();
}

// The transfer of row `row` ended well. True when this count ended the run.
bool OnTransferDone(MainDialogState& dialog, UpgradeProgressKind kind, int row, DeviceRow& device) {
    MainView& view = dialog.m_view;
    const size_t slot = static_cast<size_t>(row);
    if (kind == UpgradeProgressKind::kUpgradeConfig) {
        if (slot >= dialog.m_configChainSlots.size()) {
            CloseTransfer(dialog, device);
            return CountRowWithoutSlot(dialog, device);
        }
        dialog.m_configChainSlots[slot] = {&dialog, 1, device.ipText, device.tcpPort, row};
        view.SetCellText(row, kColumnUpgradeStatus, L"Rebooting...");
        CloseTransfer(dialog, device);
        if (!StartConfigAfterUpgrade(dialog, dialog.m_configChainSlots[slot]))
            return CountRowWithoutThread(dialog, device);
        return false;
    }
    CloseTransfer(dialog, device);
    if (view.IsButtonChecked(IDC_OWN_ADDRESS)) {
        view.SetCellText(row, kColumnUpgradeStatus, L"Upgrade successfully!");
        AppendDeviceLine(view, StatusColour::kSuccess, "[%s] upgrade successfully!", device.ipText);
        return dialog.m_counters.CountSuccess();
    }
    if (slot >= dialog.m_addressChainSlots.size()) return CountRowWithoutSlot(dialog, device);
    view.SetCellText(row, kColumnUpgradeStatus, L"正在重启...");
    dialog.m_addressChainSlots[slot] = {&dialog, device.ipText, device.tcpPort, row};
    if (!StartAddressReset(dialog, dialog.m_addressChainSlots[slot]))
        return CountRowWithoutThread(dialog, device);
    return false;
}

}  // namespace

bool IsDeviceOfCurrentRun(MainDialogState& dialog, DeviceRow* device) {
    return device && !dialog.m_counters.Ended() && RowOf(dialog.m_view, device) >= 0;
}

void OnUpgradeProgress(MainDialogState& dialog, UpgradeProgressKind kind, DeviceRow* device,
                       int32_t value) {
    if (dialog.m_workers.StopRequested() || dialog.m_counters.Ended()) return;
    MainView& view = dialog.m_view;
    const KindTexts texts = TextsOf(kind);
    const int row = device ? RowOf(view, device) : -1;
    bool ended = false;
    if (row >= 0 && value == kTransferDone) {
        ended = OnTransferDone(dialog, kind, row, *device);
    } else if (row >= 0 && value == kTransferFailed) {
        view.SetCellText(row, kColumnUpgradeStatus, L"Upgrade failed!");
        AppendDeviceLine(view, StatusColour::kFailure, texts.failedLine, device->ipText);
        CloseTransfer(dialog, *device);
        dialog.m_access.DevLogout(device->loginHandle);
        ended = dialog.m_counters.CountFailure();
    } else if (row >= 0) {
        const std::wstring text = FormatUi("%d%%", value);
        if (view.CellText(row, kColumnUpgradeStatus) != text) {
            view.SetCellText(row, kColumnUpgradeStatus, text);
        }
    }
    if (ended || dialog.m_counters.EndIfComplete()) FinishRun(dialog, texts.completion);
}

}  // namespace tesmara
