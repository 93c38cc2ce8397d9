#include "discovery/SearchOnlyWorker.h"

#include "view/DeviceRow.h"
#include "view/DeviceTable.h"
#include "view/MacText.h"
#include "app/MainDialogState.h"
#include "view/MainView.h"
#include "discovery/SearchDatagrams.h"
#include "discovery/SearchSockets.h"
#include "platform/Address.h"
#include "platform/Format.h"

namespace tesmara {
namespace {

constexpr char kSearchFailedFormat[] = "Search failed!Err = %d";

DeviceRow RowFromReply(const SearchInfoBlock& info, bool detail) {
    DeviceRow row;
    row.shown = 1;
    row.macText = FormatMacDashed(info.mac);
    row.ipText = DottedAddress(info.address);
    row.maskText = DottedAddress(info.mask);
    row.gatewayText = DottedAddress(info.gateway);
    row.tcpPort = info.tcpPort;
    row.httpPort = info.httpPort;
    if (detail) {
        row.details = info.details;
    } else {
        row.details = {kNoValue, kNoValue, kNoValue, kNoValue, kNoValue, kNoValue};
    }
    return row;
}

// Two replies for one MAC from different places: two hosts answer as one device.
bool SameMacElsewhere(const DeviceRow& a, const DeviceRow& b) {
    return a.conflicting || b.conflicting || a.ipText != b.ipText || a.tcpPort != b.tcpPort;
}

}  // namespace

PassOutcome RunSearchPass(MainDialogState& dialog, SearchSockets& sockets, ReplyKind kind) {
    const bool detail = kind == ReplyKind::kDetail;
    DeviceList& target = detail ? dialog.m_detailDevices : dialog.m_devices;
    return RunSearchPhase(dialog, sockets, kind, kSearchFailedFormat,
                          [&target, detail](const SearchInfoBlock& info) {
                              DeviceRow row = RowFromReply(info, detail);
                              if (DeviceRow* known = FindDeviceByMac(target, row.macText)) {
                                  known->conflicting |= SameMacElsewhere(*known, row);
                                  return false;
                              }
                              target.push_back(std::move(row));
                              return true;
                          });
}

void MergeDeviceDetails(MainDialogState& dialog) {
    for (const DeviceRow& d : dialog.m_detailDevices) {
        for (DeviceRow& b : dialog.m_devices) {
            if (b.macText != d.macText) continue;
            b.details = d.details;
            b.conflicting |= SameMacElsewhere(b, d);
        }
    }
}

int SearchOnlyWorker(MainDialogState* state) {
    MainDialogState& dialog = *state;
    MainView& view = dialog.m_view;
    view.SetWindowEnabled(false);
    view.AppendStatusLine(L"Searching...", StatusColour::kProgress);

    SearchSockets sockets;
    if (int err = OpenSearchSockets(dialog.m_sockets, sockets); err != 0) {
        view.AppendStatusLine(FormatUi(kSearchFailedFormat, err), StatusColour::kFailure);
        view.SetWindowEnabled(true);
        return err;
    }
    for (ReplyKind kind : {ReplyKind::kBasic, ReplyKind::kDetail}) {
        PassOutcome outcome = RunSearchPass(dialog, sockets, kind);
        if (outcome == PassOutcome::kFailed) {
            view.SetWindowEnabled(true);
            return kErrFirstSend;
        }
        if (outcome == PassOutcome::kStopped) return 0;
    }
    MergeDeviceDetails(dialog);
    sockets.Close();
    FillDeviceTable(dialog.m_view, dialog.m_devices);
    view.AppendStatusLine(L"Search completed!", StatusColour::kSuccess);
    view.SetWindowEnabled(true);
    return 0;
}

}  // namespace tesmara
