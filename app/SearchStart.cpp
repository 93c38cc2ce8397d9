#include "app/SearchStart.h"

#include <string>

#include "addressing/AddressPlanning.h"
#include "addressing/StartAddress.h"
#include "app/MainDialogState.h"
#include "discovery/SearchAssignWorker.h"
#include "discovery/SearchOnlyWorker.h"
#include "platform/Text.h"
#include "res/MainDlgRes.h"
#include "view/DeviceTable.h"
#include "view/MainView.h"

namespace tesmara {
namespace {

class WindowSearchStatus final : public SearchStatus {
  public:
    explicit WindowSearchStatus(MainDialogState& dialog) : m_dialog(dialog) {}

    void Line(std::wstring_view text, StatusColour colour) override {
        m_dialog.m_view.AppendStatusLine(text, colour);
    }
    void Found(DeviceList devices) override {
        m_dialog.m_devices = std::move(devices);
        FillDeviceTable(m_dialog.m_view, m_dialog.m_devices);
    }
    void Finished(bool) override { m_dialog.m_view.SetWindowEnabled(true); }

  private:
    MainDialogState& m_dialog;
};

using Search = int (*)(const SearchJob&, const SearchPorts&, SearchStatus&);

int RunWindowSearch(MainDialogState& dialog, Search search) {
    SearchJob job;
    job.plan = dialog.m_plan;
    job.assign = search == SearchAssignWorker;
    WindowSearchStatus status(dialog);
    dialog.m_view.SetWindowEnabled(false);
    return search(job, {dialog.m_sockets, dialog.m_clock, dialog.m_workers}, status);
}

}  // namespace

int WindowSearchOnly(MainDialogState* dialog) {
    return RunWindowSearch(*dialog, SearchOnlyWorker);
}

int WindowSearchAssign(MainDialogState* dialog) {
    return RunWindowSearch(*dialog, SearchAssignWorker);
}

void RunIpSearchCommand(MainDialogState& dialog) {
    MainView& view = dialog.m_view;
    // One search at a time, whatever clicks were queued before the window was disabled: a second
    // worker would fail on the reply port and a clear would pull the lists from under the first.
    if (!ReadyForNewRun(dialog)) return;
    const bool ownAddress = view.IsButtonChecked(IDC_OWN_ADDRESS);
    const std::string start = WideToAnsi(view.ControlText(IDC_START_ADDRESS));
    if (!ownAddress) {
        // Every recorder found would be moved to an address counted from this one.
        std::string reason;
        if (!ValidateStartAddress(start, reason)) {
            view.ShowMessage(AnsiToWide(reason), L"", kBoxOk | kBoxIconWarning);
            return;
        }
    }
    // Rows point into the lists: drop the rows before the records they point at.
    view.DeleteAllRows();
    dialog.m_devices.clear();
    dialog.m_addedDevices.clear();
    dialog.m_configDevices.clear();
    dialog.m_readdressedDevices.clear();
    view.ClearStatusLog();
    view.SetWindowEnabled(false);
    if (ownAddress) {
        StartWorker(dialog, WindowSearchOnly);
    } else {
        MakeAddressPlan(dialog.m_plan, start);
        StartWorker(dialog, WindowSearchAssign);
    }
}

}  // namespace tesmara
