#include "batch/UpgradeChains.h"

#include "view/DeviceTable.h"
#include "app/MainDialogState.h"
#include "view/MainView.h"
#include "batch/BatchRun.h"
#include "devaccess/DeviceAccess.h"
#include "devaccess/LoginMessages.h"
#include "devaccess/NetworkConfigBlock.h"
#include "platform/Text.h"

namespace tesmara {
namespace {

struct ChainLogin {
    int32_t handle = 0;      // 0: gave up (or the window is closing)
    int32_t loginError = 0;  // the login error code of the last attempt
    int32_t lastError = 0;   // DevGetLastError right after the last attempt
    bool stopped = false;    // the window is closing
};

// Logs in to the restarted device until it works, at most 16 times with 2 s pauses.
ChainLogin LoginWithRetries(MainDialogState& dialog, const std::string& address, uint16_t port) {
    ChainLogin login;
    for (int attempt = 1;; ++attempt) {
        login.handle = LoginToDevice(dialog, address, port, login.loginError);
        if (login.handle != 0) return login;
        login.lastError = dialog.m_access.DevGetLastError();
        if (!PauseRun(dialog, kLoginRetryPauseMs)) {
            login.stopped = true;
            return login;
        }
        if (attempt >= kLoginAttempts) return login;
    }
}

// Steps after the login; true when this count ended the run.
bool ResetAddress(MainDialogState& dialog, const AddressChainSlot& slot, int32_t login) {
    MainView& view = dialog.m_view;
    DeviceAccess& access = dialog.m_access;
    NetworkConfigBlock block;
    if (!block.Read(access, login)) {
        const bool ended = dialog.m_counters.CountFailure();
        AppendDeviceLine(view, StatusColour::kFailure, "[%s]获取配置失败！", slot.address);
        access.DevLogout(login);
        return ended;
    }
    block.SetAddressText(kResetAddress);
    block.SetGatewayText(kResetGateway);
    if (!block.Write(access, login)) {
        const bool ended = dialog.m_counters.CountFailure();
        AppendDeviceLine(view, StatusColour::kFailure, "[%s]配置IP失败！", slot.address);
        access.DevLogout(login);
        return ended;
    }
    const bool ended = dialog.m_counters.CountSuccess();
    view.SetCellText(slot.row, kColumnUpgradeStatus, L"升级成功！");
    AppendDeviceLine(view, StatusColour::kSuccess, "升级设备[%s]成功！", slot.address);
    AppendDeviceLine(view, StatusColour::kSuccess, "配置设备[%s]IP为192.168.1.10成功！",
                     slot.address);
    return ended;  // the device keeps its session: it is at its new address now
}

bool ImportAfterUpgrade(MainDialogState& dialog, const ConfigChainSlot& slot, int32_t login) {
    MainView& view = dialog.m_view;
    DeviceAccess& access = dialog.m_access;
    if (access.DevImportConfig(login, dialog.m_configPath.c_str()) != 0) {
        view.SetCellText(slot.row, kColumnUpgradeStatus, L"Upgrade and configure successfully!");
        const bool ended = dialog.m_counters.CountSuccess();
        AppendDeviceLine(view, StatusColour::kSuccess,
                         "[%s] upgrade and configure device successfully!", slot.address);
        PauseRun(dialog, kSettlePauseMs);
        access.DevLogout(login);
        return ended;
    }
    const int32_t lastError = access.DevGetLastError();
    AppendDeviceLine(view, StatusColour::kFailure, "[%s] configure failed!Error = %d", slot.address,
                     lastError);
    const bool ended = dialog.m_counters.CountFailure();
    access.DevLogout(login);
    return ended;
}

}  // namespace

int AddressResetThread(const AddressChainSlot* shared) {
    const AddressChainSlot slot = *shared;
    MainDialogState& dialog = *slot.dialog;
    if (!PauseRun(dialog, kRestartWaitMs)) return 0;
    const ChainLogin login = LoginWithRetries(dialog, slot.address, slot.tcpPort);
    if (login.stopped) return 0;
    bool ended;
    if (login.handle == 0) {
        ended = dialog.m_counters.CountFailure();
        AppendDeviceLine(dialog.m_view, StatusColour::kFailure, "[%s]登录失败！Error = %d",
                         slot.address, login.lastError);
    } else {
        ended = ResetAddress(dialog, slot, login.handle);
    }
    if (ended || dialog.m_counters.EndIfComplete()) FinishRun(dialog, kOperateCompletedZh);
    return 0;
}

int ConfigAfterUpgradeThread(const ConfigChainSlot* shared) {
    const ConfigChainSlot slot = *shared;
    MainDialogState& dialog = *slot.dialog;
    if (!PauseRun(dialog, kRestartWaitMs)) return 0;
    bool ended = false;
    if (slot.upgraded == 1) {
        const ChainLogin login = LoginWithRetries(dialog, slot.address, slot.tcpPort);
        if (login.stopped) return 0;
        if (login.handle == 0) {
            ended = dialog.m_counters.CountFailure();
            dialog.m_view.AppendStatusLine(
                EnglishLoginFailureLine(AnsiToWide(slot.address), login.loginError),
                StatusColour::kFailure);
        } else {
            ended = ImportAfterUpgrade(dialog, slot, login.handle);
        }
    }
    if (ended || dialog.m_counters.EndIfComplete()) FinishRun(dialog, kOperateCompleted);
    return 0;
}

bool StartAddressReset(MainDialogState& dialog, const AddressChainSlot& slot) {
    const AddressChainSlot* target = &slot;
    return dialog.m_workers.Start([target] { AddressResetThread(target); });
}

bool StartConfigAfterUpgrade(MainDialogState& dialog, const ConfigChainSlot& slot) {
    const ConfigChainSlot* target = &slot;
    return dialog.m_workers.Start([target] { ConfigAfterUpgradeThread(target); });
}

}  // namespace tesmara
