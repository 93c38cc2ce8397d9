#include "app/DeviceTable.h"
#include "app/MainDialogState.h"
#include "app/MainView.h"
#include "discovery/SearchDatagrams.h"
#include "discovery/SearchSockets.h"
#include "discovery/SearchWorkers.h"
#include "platform/Format.h"

namespace tesmara {

int SearchOnlyWorker(MainDialogState* state) {
    MainDialogState& dialog = *state;
    MainView& view = dialog.m_view;
    view.SetWindowEnabled(false);
    view.AppendStatusLine(L"Searching...", StatusColour::kProgress);

    SearchSockets sockets;
    if (int err = OpenSearchSockets(dialog.m_sockets, sockets); err != 0) {
        view.AppendStatusLine(FormatUi("Search failed!Err = %d", err), StatusColour::kFailure);
        view.SetWindowEnabled(true);
        return err;
    }
    for (const char* magic : {kBasicSearchMagic, kDetailSearchMagic}) {
        PassOutcome outcome = RunSearchPass(dialog, sockets, magic);
        if (outcome == PassOutcome::kFailed) return kErrFirstSend;
        if (outcome == PassOutcome::kStopped) return 0;
    }
    MergeDeviceDetails(dialog);
    sockets.Close();
    FillDeviceTable(dialog);
    view.AppendStatusLine(L"Search completed!", StatusColour::kSuccess);
    view.SetWindowEnabled(true);
    return 0;
}

}  // namespace tesmara
