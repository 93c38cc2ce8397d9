#include "discovery/SearchCommand.h"

#include "app/MainDialogState.h"
#include "app/MainView.h"
#include "discovery/SearchAssignWorker.h"
#include "discovery/SearchOnlyWorker.h"
#include "netcfg/AddressPlanning.h"
#include "res/MainDlgRes.h"

namespace tesmara {

void RunIpSearchCommand(MainDialogState& dialog) {
    MainView& view = dialog.m_view;
    // Rows point into the lists: drop the rows before the records they point at.
    view.DeleteAllRows();
    dialog.m_devices.clear();
    dialog.m_detailDevices.clear();
    dialog.m_addedDevices.clear();
    dialog.m_configDevices.clear();
    dialog.m_readdressedDevices.clear();
    view.ClearStatusLog();
    if (view.IsButtonChecked(IDC_OWN_ADDRESS)) {
        StartWorker(dialog, SearchOnlyWorker);
    } else {
        PlanAddresses(dialog);
        StartWorker(dialog, SearchAssignWorker);
    }
}

}  // namespace tesmara
