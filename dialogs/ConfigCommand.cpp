#include "dialogs/ConfigCommand.h"

#include <string>

#include "devaccess/DeviceSession.h"
#include "devaccess/DisplayConfigBlock.h"
#include "devaccess/LoginMessages.h"
#include "discovery/SearchDatagrams.h"
#include "discovery/SearchSockets.h"
#include "netcfg/DeviceByMac.h"
#include "platform/Clock.h"
#include "platform/Format.h"
#include "platform/Text.h"
#include "res/MainDlgRes.h"
#include "view/DeviceRow.h"
#include "view/DeviceTable.h"
#include "view/Dialogs.h"
#include "view/MainView.h"
#include "view/WindowState.h"

namespace tesmara {
namespace {

// The display settings in the order their lines are written.
struct DisplaySetting {
    UseFlag flag;
    const char* success;
    const char* failure;
};
constexpr DisplaySetting kDisplaySettings[] = {
    {kUseLanguage, "[%s]配置语言成功！", "[%s]配置语言失败！"},
    {kUseVideoStandard, "[%s]配置视制成功！", "[%s]配置视制失败！"},
    {kUseOutputResolution, "[%s]配置分辨率成功！", "[%s]配置分辨率失败！"},
};

void LogDisplayLines(MainView& view, const std::array<int, kUseFlagCount>& flags,
                     const std::string& address, bool success) {
    for (const DisplaySetting& setting : kDisplaySettings) {
        if (flags[setting.flag] != 1) continue;
        view.AppendStatusLine(
            FormatUi(success ? setting.success : setting.failure, address.c_str()),
            success ? StatusColour::kSuccess : StatusColour::kFailure);
    }
}

bool AnyDisplayFlag(const std::array<int, kUseFlagCount>& flags) {
    for (const DisplaySetting& setting : kDisplaySettings) {
        if (flags[setting.flag] == 1) return true;
    }
    return false;
}

// The library path for one device. Every session it opens is closed again before the next
// device: the recorders admit only so many sessions, and one left open per run would lock the
// operator out after a few runs. False when the device failed (a red line).
bool ApplyDisplaySettings(WindowState& dialog, const ConfigForm& form, const DeviceRow& device) {
    MainView& view = dialog.m_view;
    DeviceSession session(dialog.m_access);
    int32_t error = 0;
    const bool open = session.Login(device.ipText, device.tcpPort, dialog.m_loginUser,
                                    dialog.m_loginPassword, error);
    const std::wstring shown = AnsiToWide(device.ipText);
    if (!open) {
        view.AppendStatusLine(DeviceLoginFailureLine(shown, error), StatusColour::kFailure);
        return false;
    }
    const std::string address = WideToUtf8(shown);
    bool good = true;
    if (AnyDisplayFlag(form.m_useFlags)) {
        DisplayConfigBlock block;
        if (!session.Read(block)) {
            good = false;
            LogDisplayLines(view, form.m_useFlags, address, false);
        } else if (MergeDisplaySettings(block, form.m_useFlags, form.m_settings)) {
            good = session.Write(block);
            LogDisplayLines(view, form.m_useFlags, address, good);
        }
    }
    return good;
}

// Sockets that could not be set up: the error number of the failing step.
int SetupErrorNumber(int setup) {
    return -setup - 1;  // kErrCreateSend (-1) is err=0 ... kErrNonBlocking (-7) is err=6
}

// The network path for one device: find it by MAC, then broadcast its new address. False when
// it failed (a red line).
bool ReaddressDevice(WindowState& dialog, const ConfigForm& form, int row, DeviceRow& device) {
    MainView& view = dialog.m_view;
    const DeviceSettings& settings = form.m_settings;
    const std::string address = WideToUtf8(AnsiToWide(device.ipText));
    auto fail = [&](int err) {
        view.AppendStatusLine(FormatUi("[%s]配置IP失败！err=%d", address.c_str(), err),
                              StatusColour::kFailure);
    };
    SearchSockets sockets;
    int setup = OpenSearchSockets(dialog.m_sockets, sockets);
    if (setup != 0) {
        fail(SetupErrorNumber(setup));
        return false;
    }
    uint32_t start = dialog.m_clock.NowMs();
    if (!sockets.Broadcast(kBasicSearchMagic, kMagicSize)) {
        sockets.Close();
        fail(7);
        return false;
    }
    bool good = true;
    if (WaitForDevice(sockets, dialog.m_clock, MacKey(device.macText), start) == Heard::kYes) {
        auto datagram =
            EncodeAddressChange(device.macText, settings.address, settings.gateway, settings.mask);
        if (!sockets.Broadcast(datagram.data(), datagram.size())) {
            fail(8);
            good = false;
        } else {
            view.AppendStatusLine(FormatUi("[%s]配置IP成功！", address.c_str()),
                                  StatusColour::kSuccess);
            view.SetCellText(row, kColumnIp, AnsiToWide(settings.address));
            view.SetItemData(row, RecordNewAddress(dialog.m_configDevices, device, settings.address,
                                                   settings.mask, settings.gateway));
        }
    }
    sockets.Close();
    return good;
}

// An empty address, mask or gateway would go out as 255.255.255.255 to every checked device.
bool NetworkSettingsComplete(const DeviceSettings& settings) {
    return !settings.address.empty() && !settings.mask.empty() && !settings.gateway.empty();
}

bool AnyRowChecked(MainView& view, int rows) {
    for (int row = 0; row < rows; ++row) {
        if (view.IsChecked(row)) return true;
    }
    return false;
}

}  // namespace

bool MergeDisplaySettings(DisplayConfigBlock& block, const std::array<int, kUseFlagCount>& useFlags,
                          const DeviceSettings& settings) {
    bool changed = false;
    if (useFlags[kUseLanguage] == 1) {
        int32_t language = static_cast<uint8_t>(settings.language);
        if (block.MenuLanguage() != language) {
            block.SetMenuLanguage(language);
            changed = true;
        }
    }
    if (useFlags[kUseVideoStandard] == 1) {
        auto standard = static_cast<uint8_t>(settings.videoStandard);
        if (block.VideoStandard() != standard) {
            block.SetVideoStandard(standard);
            changed = true;
        }
    }
    if (useFlags[kUseOutputResolution] == 1 &&
        block.OutputResolution() != settings.outputResolution) {
        block.SetOutputResolution(settings.outputResolution);
        changed = true;
    }
    return changed;
}

bool NeighbourRowsShareAddress(MainView& view) {
    int rows = view.RowCount();
    for (int row = 0; row + 1 < rows; ++row) {
        const DeviceRow* first = view.DeviceOfRow(row);
        const DeviceRow* second = view.DeviceOfRow(row + 1);
        if (first && second && first->ipText == second->ipText) return true;
    }
    return false;
}

ConfigRun RunConfigCommand(WindowState& dialog, ConfigForm& form) {
    MainView& view = dialog.m_view;
    dialog.m_loginUser = WideToUtf8(view.ControlText(IDC_LOGIN_USER));
    dialog.m_loginPassword = WideToUtf8(view.ControlText(IDC_LOGIN_PASSWORD));
    const int rows = view.RowCount();
    if (rows == 0 || !AnyRowChecked(view, rows)) {
        view.ShowMessage(L"请先选择一台设备！", L"", kBoxOk | kBoxIconWarning);
        return {};
    }
    if (!dialog.m_dialogs.EditConfig(form)) return {};
    const bool network = form.m_mode == kModeNetwork;
    if (network && !NetworkSettingsComplete(form.m_settings)) {
        view.ShowMessage(L"请填写IP地址、子网掩码和网关！", L"", kBoxOk | kBoxIconWarning);
        return {};
    }
    ConfigRun run;
    for (int row = 0; row < rows; ++row) {
        if (!view.IsChecked(row)) continue;
        DeviceRow* device = view.DeviceOfRow(row);
        if (!device) continue;
        if (network) {
            run.failed += ReaddressDevice(dialog, form, row, *device) ? 0 : 1;
            continue;
        }
        if (NeighbourRowsShareAddress(view)) {
            view.ShowMessage(L"列表中存在设备IP相同！", L"", kBoxOk | kBoxIconWarning);
            return {};
        }
        run.failed += ApplyDisplaySettings(dialog, form, *device) ? 0 : 1;
    }
    view.ShowMessage(L"操作完成！", L"", kBoxOk | kBoxIconInformation);
    run.completed = true;
    return run;
}

}  // namespace tesmara
