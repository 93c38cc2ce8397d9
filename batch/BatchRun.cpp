#include "batch/BatchRun.h"

#include <algorithm>

#include "view/DeviceRow.h"
#include "app/MainDialogState.h"
#include "view/MainView.h"
#include "devaccess/DeviceAccess.h"
#include "platform/Clock.h"
#include "platform/Format.h"
#include "platform/Text.h"
#include "res/MainDlgRes.h"

namespace tesmara {
namespace {

// Long waits are cut into steps so that a closing window is not held up by a restart wait.
constexpr uint32_t kPauseStepMs = 100;

}  // namespace

std::string AddressArg(const std::string& ansiAddress) {
    return WideToUtf8(AnsiToWide(ansiAddress));
}

void AppendDeviceLine(MainView& view, StatusColour colour, const char* format,
                      const std::string& ansiAddress) {
    view.AppendStatusLine(FormatUi(format, AddressArg(ansiAddress).c_str()), colour);
}

void AppendDeviceLine(MainView& view, StatusColour colour, const char* format,
                      const std::string& ansiAddress, int32_t number) {
    view.AppendStatusLine(FormatUi(format, AddressArg(ansiAddress).c_str(), number), colour);
}

bool RefuseConflicting(MainView& view, const DeviceRow& device) {
    if (!device.conflicting) return false;
    AppendDeviceLine(view, StatusColour::kFailure, kConflictingDeviceLine, device.ipText);
    return true;
}

int32_t LoginToDevice(MainDialogState& dialog, const std::string& address, uint16_t port,
                      int32_t& error) {
    DeviceInfo info{};
    error = 0;
    return dialog.m_access.DevLogin(address.c_str(), port, dialog.m_loginUser.c_str(),
                                    dialog.m_loginPassword.c_str(), &info, &error);
}

void WriteCounterLabels(MainView& view, const BatchTally& tally) {
    view.SetControlText(IDC_TOTAL_COUNT, FormatUi("%d", tally.total));
    view.SetControlText(IDC_SUCCESS_COUNT, FormatUi("%d", tally.success));
    view.SetControlText(IDC_FAIL_COUNT, FormatUi("%d", tally.fail));
}

void FinishRun(MainDialogState& dialog, const char* utf8Message) {
    if (dialog.m_workers.StopRequested()) return;
    MainView& view = dialog.m_view;
    const BatchTally tally = dialog.m_counters.Tally();
    view.SetControlText(IDC_SUCCESS_COUNT, FormatUi("%d", tally.success));
    view.SetControlText(IDC_FAIL_COUNT, FormatUi("%d", tally.fail));
    view.ShowMessage(Utf8ToWide(utf8Message), L"", kBoxOk | kBoxIconInformation);
    view.SetWindowEnabled(true);
}

bool PauseRun(MainDialogState& dialog, uint32_t ms) {
    while (ms > 0) {
        if (dialog.m_workers.StopRequested()) return false;
        const uint32_t step = std::min(ms, kPauseStepMs);
        dialog.m_clock.SleepMs(step);
        ms -= step;
    }
    return !dialog.m_workers.StopRequested();
}

void CloseOpenTransfers(MainDialogState& dialog) {
    for (const OpenTransfer& transfer : dialog.m_openTransfers.TakeAll()) {
        dialog.m_access.DevCloseUpgrade(transfer.upgrade);
        dialog.m_access.DevLogout(transfer.login);
    }
}

}  // namespace tesmara
