#include "app/BatchStart.h"

#include <memory>

#include "app/MainDialogState.h"
#include "app/WindowBatchStatus.h"
#include "batch/BatchRun.h"
#include "batch/RunFiles.h"
#include "platform/Text.h"
#include "res/MainDlgRes.h"
#include "view/DeviceRow.h"
#include "view/Dialogs.h"
#include "view/MainView.h"

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

std::optional<BatchJob> JobFromWindow(MainDialogState& dialog) {
    MainView& view = dialog.m_view;
    const bool syncTime = view.IsButtonChecked(IDC_MODE_SYNC_TIME);
    const bool upgrade = view.IsButtonChecked(IDC_MODE_UPGRADE);
    const bool configure = view.IsButtonChecked(IDC_MODE_CONFIGURE);
    BatchJob job;
    if (upgrade && configure) {
        job.kind = BatchKind::kUpgradeConfigure;
    } else if (upgrade) {
        job.kind = BatchKind::kUpgrade;
    } else if (configure) {
        job.kind = BatchKind::kConfigure;
    } else if (syncTime) {
        job.kind = BatchKind::kSyncTime;
    } else {
        return std::nullopt;
    }
    job.clockFirst = syncTime && (upgrade || configure);
    job.keepOwnAddress = view.IsButtonChecked(IDC_OWN_ADDRESS);
    job.firmwarePath = dialog.m_firmwarePath;
    job.configPath = dialog.m_configPath;
    job.user = WideToUtf8(view.ControlText(IDC_LOGIN_USER));
    job.password = WideToUtf8(view.ControlText(IDC_LOGIN_PASSWORD));
    const int rows = view.RowCount();
    for (int i = 0; i < rows; ++i) {
        const DeviceRow* device = view.IsChecked(i) ? view.DeviceOfRow(i) : nullptr;
        if (!device) continue;
        job.devices.push_back(
            {device->macText, device->ipText, device->tcpPort, i, device->conflicting});
    }
    return job;
}

void RunStartCommand(MainDialogState& dialog) {
    MainView& view = dialog.m_view;
    // One run at a time: a second one would reset the counters of the first and work on the
    // same devices.
    if (!ReadyForNewRun(dialog)) return;
    const int ticked = TickedRows(view);
    if (ticked == 0) {
        Refuse(view, L"Please select devices!");
        return;
    }
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
    std::optional<BatchJob> job = JobFromWindow(dialog);
    if (!job) {
        ShowCounters(view, {ticked, 0, 0});  // nothing runs: only the counters are reset
        return;
    }
    dialog.m_run = std::make_shared<BatchRun>(
        std::move(*job),
        BatchPorts{dialog.m_access, dialog.m_clock, dialog.m_view, dialog.m_batchStatus});
    dialog.m_run->Start();
}

}  // namespace tesmara
