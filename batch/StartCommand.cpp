#include "batch/StartCommand.h"

#include "view/Dialogs.h"
#include "app/MainDialogState.h"
#include "view/MainView.h"
#include "batch/BatchRun.h"
#include "batch/ConfigImportWorker.h"
#include "batch/RunFiles.h"
#include "batch/TimeSyncWorker.h"
#include "batch/UpgradeWorkers.h"
#include "platform/Text.h"
#include "res/MainDlgRes.h"

namespace tesmara {
namespace {

void EnableStart(MainView& view) {
    const bool any = view.IsButtonChecked(IDC_MODE_SYNC_TIME) ||
                     view.IsButtonChecked(IDC_MODE_UPGRADE) ||
                     view.IsButtonChecked(IDC_MODE_CONFIGURE);
    view.EnableControl(IDC_START, any);
}

void EnableFirmwareBrowse(MainView& view) {
    view.EnableControl(IDC_FIRMWARE_BROWSE, view.IsButtonChecked(IDC_MODE_UPGRADE));
}

void EnableConfigBrowse(MainView& view) {
    view.EnableControl(IDC_CONFIG_BROWSE, view.IsButtonChecked(IDC_MODE_CONFIGURE));
}

void Browse(MainDialogState& dialog, FileKind kind, int pathControl, std::string& path) {
    std::optional<std::wstring> chosen = dialog.m_dialogs.ChooseFile(kind);
    if (!chosen) return;
    dialog.m_view.SetControlText(pathControl, *chosen);
    path = WideToAnsi(*chosen);
}

void Refuse(MainView& view, const wchar_t* text) {
    view.ShowMessage(text, L"", kBoxOk | kBoxIconWarning);
}

int TickedRows(MainView& view) {
    const int rows = view.RowCount();
    int ticked = 0;
    for (int i = 0; i < rows; ++i) ticked += view.IsChecked(i) ? 1 : 0;
    return ticked;
}

}  // namespace

void OnUpgradeModeClicked(MainDialogState& dialog) {
    EnableFirmwareBrowse(dialog.m_view);
    EnableConfigBrowse(dialog.m_view);
    EnableStart(dialog.m_view);
}

void OnConfigureModeClicked(MainDialogState& dialog) {
    EnableConfigBrowse(dialog.m_view);
    EnableFirmwareBrowse(dialog.m_view);
    EnableStart(dialog.m_view);
}

void OnSyncTimeModeClicked(MainDialogState& dialog) {
    EnableStart(dialog.m_view);
}

void OnBrowseFirmware(MainDialogState& dialog) {
    Browse(dialog, FileKind::kFirmware, IDC_FIRMWARE_PATH, dialog.m_firmwarePath);
}

void OnBrowseConfig(MainDialogState& dialog) {
    Browse(dialog, FileKind::kConfig, IDC_CONFIG_PATH, dialog.m_configPath);
}

void RunStartCommand(MainDialogState& dialog) {
    MainView& view = dialog.m_view;
    // One run at a time: a second one would reset the counters of the first and work on the
    // same devices.
    if (!ReadyForNewRun(dialog)) return;
    const int total = TickedRows(view);
    if (total == 0) {
        Refuse(view, L"Please select devices!");
        return;
    }
    const bool syncTime = view.IsButtonChecked(IDC_MODE_SYNC_TIME);
    const bool upgrade = view.IsButtonChecked(IDC_MODE_UPGRADE);
    const bool configure = view.IsButtonChecked(IDC_MODE_CONFIGURE);
    // The stored paths decide, not the texts shown beside the buttons.
    if ((upgrade && dialog.m_firmwarePath.empty()) || (configure && dialog.m_configPath.empty())) {
        Refuse(view, L"Please select file!");
        return;
    }
    // The library would refuse these only after logging in to every device, and a FIFO would
    // hold the run for ever.
    if (upgrade && CheckFirmwareFile(dialog.m_firmwarePath) != RunFileFault::kNone) {
        Refuse(view, L"Invalid firmware file!");
        return;
    }
    if (configure && CheckConfigFile(dialog.m_configPath) != RunFileFault::kNone) {
        Refuse(view, L"Invalid configuration file!");
        return;
    }
    dialog.m_loginUser = WideToUtf8(view.ControlText(IDC_LOGIN_USER));
    dialog.m_loginPassword = WideToUtf8(view.ControlText(IDC_LOGIN_PASSWORD));
    dialog.m_counters.Start(total);
    WriteCounterLabels(view, dialog.m_counters.Tally());

    // Every row gets a chain slot, so that no device fails for being far down the table.
    const size_t rows = static_cast<size_t>(view.RowCount());
    int (*worker)(MainDialogState*) = nullptr;
    if (syncTime && !upgrade && !configure) {
        worker = TimeSyncWorker;
    } else if (upgrade && !configure) {
        dialog.m_addressChainSlots.assign(rows, AddressChainSlot{});
        worker = FirmwareUpgradeWorker;
    } else if (configure && !upgrade) {
        worker = ConfigImportWorker;
    } else if (upgrade && configure) {
        dialog.m_configChainSlots.assign(rows, ConfigChainSlot{});
        worker = UpgradeConfigWorker;
    }
    if (!worker) {
        dialog.m_counters.End();  // nothing runs: only the counters were reset
        return;
    }
    // Disabled before the worker starts, so that a click queued meanwhile finds the run going.
    view.SetWindowEnabled(false);
    StartWorker(dialog, worker);
}

}  // namespace tesmara
