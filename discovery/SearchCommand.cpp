#include "discovery/SearchCommand.h"

#include <string>

#include "app/MainDialogState.h"
#include "view/MainView.h"
#include "discovery/SearchAssignWorker.h"
#include "discovery/SearchOnlyWorker.h"
#include "addressing/AddressPlanning.h"
#include "addressing/StartAddress.h"
#include "platform/Text.h"
#include "res/MainDlgRes.h"

namespace tesmara {

void RunIpSearchCommand(MainDialogState& dialog) {
    MainView& view = dialog.m_view;
    // One search at a time, whatever clicks were queued before the window was disabled: a second
    // worker would fail on the reply port and a clear would pull the lists from under the first.
    if (!ReadyForNewRun(dialog)) return;
    const bool ownAddress = view.IsButtonChecked(IDC_OWN_ADDRESS);
    if (!ownAddress) {
        // Every recorder found would be moved to an address counted from this one.
        std::string reason;
        if (!ValidateStartAddress(WideToAnsi(view.ControlText(IDC_START_ADDRESS)), reason)) {
            view.ShowMessage(AnsiToWide(reason), L"", kBoxOk | kBoxIconWarning);
            return;
        }
    }
    // Rows point into the lists: drop the rows before the records they point at.
    view.DeleteAllRows();
    dialog.m_devices.clear();
    dialog.m_detailDevices.clear();
    dialog.m_addedDevices.clear();
    dialog.m_configDevices.clear();
    dialog.m_readdressedDevices.clear();
    view.ClearStatusLog();
    view.SetWindowEnabled(false);
    if (ownAddress) {
        StartWorker(dialog, SearchOnlyWorker);
    } else {
        MakeAddressPlan(dialog.m_plan, WideToAnsi(view.ControlText(IDC_START_ADDRESS)));
        StartWorker(dialog, SearchAssignWorker);
    }
}

}  // namespace tesmara
