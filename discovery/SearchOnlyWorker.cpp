#include "discovery/SearchOnlyWorker.h"

#include "discovery/SearchDatagrams.h"
#include "discovery/SearchSockets.h"
#include "platform/Address.h"
#include "platform/Format.h"
#include "view/DeviceRow.h"
#include "view/MacText.h"

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

PassOutcome RunSearchPass(const SearchPorts& ports, SearchStatus& status, SearchSockets& sockets,
                          ReplyKind kind, int deviceLimit, DeviceList& target) {
    const bool detail = kind == ReplyKind::kDetail;
    return RunSearchPhase(ports, status, sockets, kind, deviceLimit, kSearchFailedFormat,
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

void MergeDeviceDetails(DeviceList& devices, const DeviceList& details) {
    for (const DeviceRow& d : details) {
        for (DeviceRow& b : devices) {
            if (b.macText != d.macText) continue;
            b.details = d.details;
            b.conflicting |= SameMacElsewhere(b, d);
        }
    }
}

int SearchOnlyWorker(const SearchJob& job, const SearchPorts& ports, SearchStatus& status) {
    status.Line(L"Searching...", StatusColour::kProgress);

    SearchSockets sockets;
    if (int err = OpenSearchSockets(ports.sockets, sockets); err != 0) {
        status.Line(FormatUi(kSearchFailedFormat, err), StatusColour::kFailure);
        status.Finished(false);
        return err;
    }
    DeviceList devices, details;
    for (ReplyKind kind : {ReplyKind::kBasic, ReplyKind::kDetail}) {
        DeviceList& target = kind == ReplyKind::kDetail ? details : devices;
        PassOutcome outcome = RunSearchPass(ports, status, sockets, kind, job.deviceLimit, target);
        if (outcome == PassOutcome::kFailed) {
            status.Finished(false);
            return kErrFirstSend;
        }
        if (outcome == PassOutcome::kStopped) return 0;
    }
    MergeDeviceDetails(devices, details);
    sockets.Close();
    status.Found(std::move(devices));
    status.Line(L"Search completed!", StatusColour::kSuccess);
    status.Finished(true);
    return 0;
}

}  // namespace tesmara
