#include <cstring>

#include "app/DeviceRow.h"
#include "app/MacText.h"
#include "app/MainDialogState.h"
#include "app/MainView.h"
#include "discovery/SearchDatagrams.h"
#include "discovery/SearchPolling.h"
#include "discovery/SearchSockets.h"
#include "discovery/SearchWorkers.h"
#include "platform/Clock.h"
#include "platform/Format.h"

namespace tesmara {
namespace {

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
        row.description = info.description;
        row.cloudId = info.cloudId;
        row.deviceTime = info.deviceTime;
        row.releaseVersion = info.releaseVersion;
        row.releaseTime = info.releaseTime;
        row.startTime = info.startTime;
    } else {
        row.description = row.cloudId = row.deviceTime = kNoValue;
        row.releaseVersion = row.releaseTime = row.startTime = kNoValue;
    }
    return row;
}

}  // namespace

PassOutcome RunSearchPhase(MainDialogState& dialog, SearchSockets& sockets, const char* magic,
                           const char* failedFormat, const ReplyHandler& onReply) {
    Clock& clock = dialog.m_clock;
    const bool detail = std::strcmp(magic, kDetailSearchMagic) == 0;
    const ReplyKind kind = detail ? ReplyKind::kDetail : ReplyKind::kBasic;

    uint32_t now = clock.NowMs();
    const uint32_t phaseStart = now;
    uint32_t lastSend = now;
    if (!sockets.Broadcast(magic, kMagicSize)) {
        sockets.Close();
        dialog.m_view.AppendStatusLine(FormatUi(failedFormat, kErrFirstSend),
                                       StatusColour::kFailure);
        dialog.m_view.SetWindowEnabled(true);
        return PassOutcome::kFailed;
    }

    ReceiveBuffer buffer{};
    int newDevices = 0;
    while (TicksSince(now, phaseStart) < kPhaseLengthMs) {
        if (dialog.m_workers.StopRequested()) {
            sockets.Close();
            return PassOutcome::kStopped;
        }
        if (TicksSince(now, lastSend) > kResendIntervalMs) {
            if (!sockets.Broadcast(magic, kMagicSize)) break;
            lastSend = now;
        }
        if (PollForReply(*sockets.receive, clock, buffer, kind)) {
            SearchInfoBlock info =
                detail ? DecodeDetailReply(buffer.data()) : DecodeBasicReply(buffer.data());
            if (onReply(info) && ++newDevices >= kDeviceLimit) break;
        }
        now = clock.NowMs();
    }
    return PassOutcome::kDone;
}

PassOutcome RunSearchPass(MainDialogState& dialog, SearchSockets& sockets, const char* magic) {
    const bool detail = std::strcmp(magic, kDetailSearchMagic) == 0;
    DeviceList& target = detail ? dialog.m_detailDevices : dialog.m_devices;
    return RunSearchPhase(dialog, sockets, magic, "Search failed!Err = %d",
                          [&target, detail](const SearchInfoBlock& info) {
                              if (FindDeviceByMac(target, FormatMacDashed(info.mac))) return false;
                              target.push_back(RowFromReply(info, detail));
                              return true;
                          });
}

void MergeDeviceDetails(MainDialogState& dialog) {
    for (const DeviceRow& d : dialog.m_detailDevices) {
        for (DeviceRow& b : dialog.m_devices) {
            if (b.macText != d.macText) continue;
            b.description = d.description;
            b.cloudId = d.cloudId;
            b.releaseVersion = d.releaseVersion;
            b.releaseTime = d.releaseTime;
            b.deviceTime = d.deviceTime;
            b.startTime = d.startTime;
        }
    }
}

}  // namespace tesmara
