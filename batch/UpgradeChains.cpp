#include "batch/UpgradeChains.h"

#include "batch/BatchRun.h"
#include "devaccess/DeviceAccess.h"
#include "devaccess/LoginMessages.h"
#include "devaccess/NetworkConfigBlock.h"
#include "platform/Text.h"

namespace tesmara {
namespace {

struct ChainLogin {
    int32_t loginError = 0;  // the login error code of the last attempt
    int32_t lastError = 0;   // DevGetLastError right after the last attempt
    bool stopped = false;    // the window is closing
};

// Logs in to the restarted device until it works, at most 16 times with 2 s pauses.
ChainLogin LoginWithRetries(BatchRun& run, size_t i, DeviceSession& session) {
    ChainLogin login;
    for (int attempt = 1;; ++attempt) {
        session = run.Login(i, login.loginError);
        if (session.IsOpen()) return login;
        login.lastError = session.LastError();
        if (!run.Pause(kLoginRetryPauseMs)) {
            login.stopped = true;
            return login;
        }
        if (attempt >= kLoginAttempts) return login;
    }
}

// Waits for the restart, then logs in as LoginWithRetries; false when the window is closing.
bool AwaitRestart(BatchRun& run, size_t i, DeviceSession& session, ChainLogin& login) {
    if (!run.Pause(kRestartWaitMs)) return false;
    login = LoginWithRetries(run, i, session);
    return !login.stopped;
}

// Steps after the login; true when this count ended the run.
bool ResetAddress(BatchRun& run, size_t i, DeviceSession& session) {
    NetworkConfigBlock block;
    if (!session.Read(block)) {
        const bool ended = run.Count(i, false);
        run.Line(i, StatusColour::kFailure, "[%s]获取配置失败！");
        session.Logout();
        return ended;
    }
    block.SetAddressText(kResetAddress);
    block.SetGatewayText(kResetGateway);
    if (!session.Write(block)) {
        const bool ended = run.Count(i, false);
        run.Line(i, StatusColour::kFailure, "[%s]配置IP失败！");
        session.Logout();
        return ended;
    }
    const bool ended = run.Count(i, true);
    run.Progress(i, L"升级成功！");
    run.Line(i, StatusColour::kSuccess, "升级设备[%s]成功！");
    run.Line(i, StatusColour::kSuccess, "配置设备[%s]IP为192.168.1.10成功！");
    session.Release();  // the device keeps its session: it is at its new address now
    return ended;
}

bool ImportAfterUpgrade(BatchRun& run, size_t i, DeviceSession& session) {
    if (run.Access().DevImportConfig(session.Handle(), run.Job().configPath.c_str()) != 0) {
        run.Progress(i, L"Upgrade and configure successfully!");
        const bool ended = run.Count(i, true);
        run.Line(i, StatusColour::kSuccess, "[%s] upgrade and configure device successfully!");
        run.Pause(kSettlePauseMs);
        session.Logout();
        return ended;
    }
    const int32_t lastError = session.LastError();
    run.Line(i, StatusColour::kFailure, "[%s] configure failed!Error = %d", lastError);
    const bool ended = run.Count(i, false);
    session.Logout();
    return ended;
}

// The red line of a device that did not let the chain log in again.
std::wstring ResetLoginFailure(BatchRun& run, size_t i, const ChainLogin& login) {
    return RetriedLoginFailureLine(AnsiToWide(run.Device(i).address), login.lastError);
}

std::wstring ImportLoginFailure(BatchRun& run, size_t i, const ChainLogin& login) {
    return EnglishLoginFailureLine(AnsiToWide(run.Device(i).address), login.loginError);
}

struct Chain {
    bool (*step)(BatchRun&, size_t, DeviceSession&);  // true when its count ended the run
    std::wstring (*loginFailure)(BatchRun&, size_t, const ChainLogin&);
    const char* completion;
};

// What both chains do: the restart wait, the logins, the second step or the login's red line,
// and the completion test.
void RunChain(BatchRun& run, size_t i, const Chain& chain) {
    DeviceSession session(run.Access());
    ChainLogin login;
    if (!AwaitRestart(run, i, session, login)) return;
    bool ended;
    if (!session.IsOpen()) {
        ended = run.Count(i, false);
        run.Line(i, StatusColour::kFailure, chain.loginFailure(run, i, login));
    } else {
        ended = chain.step(run, i, session);
    }
    if (ended || run.EndIfComplete()) run.Finish(chain.completion);
}

}  // namespace

void AddressResetChain(BatchRun& run, size_t i) {
    RunChain(run, i, {ResetAddress, ResetLoginFailure, kOperateCompletedZh});
}

void ConfigAfterUpgradeChain(BatchRun& run, size_t i) {
    RunChain(run, i, {ImportAfterUpgrade, ImportLoginFailure, kOperateCompleted});
}

}  // namespace tesmara
