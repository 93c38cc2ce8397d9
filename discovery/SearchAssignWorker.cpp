#include "discovery/SearchAssignWorker.h"

#include <optional>
#include <set>
#include <string>

#include "addressing/AddressPlanning.h"
#include "discovery/SearchDatagrams.h"
#include "discovery/SearchPhase.h"
#include "discovery/SearchPolling.h"
#include "discovery/SearchSockets.h"
#include "platform/Clock.h"
#include "platform/Format.h"
#include "platform/Workers.h"
#include "view/DeviceRow.h"
#include "view/MacText.h"

namespace tesmara {
namespace {

constexpr char kSearchFailedFormat[] = "搜索设备失败!Err = %d";

// A new device waits for confirmation (shown = 0) with the address the plan gives it.
DeviceRow PlannedRow(const SearchInfoBlock& info, const AddressPlan& plan, std::string address) {
    DeviceRow row;
    row.shown = 0;
    row.macText = FormatMacDashed(info.mac);
    row.ipText = std::move(address);
    row.gatewayText = plan.gatewayText;
    row.maskText = plan.maskText;
    row.tcpPort = info.tcpPort;
    row.httpPort = info.httpPort;
    return row;
}

// Records the devices that answer the basic search, each with the next address of the plan.
PassOutcome RunAssignSearchPhase(const SearchJob& job, const SearchPorts& ports,
                                 SearchStatus& status, SearchSockets& sockets,
                                 DeviceList& devices) {
    // Devices past the end of the plan's block: heard, counted, never offered an address.
    std::set<std::string> unplaced;
    unsigned found = 0;
    return RunSearchPhase(
        ports, status, sockets, ReplyKind::kBasic, job.deviceLimit, kSearchFailedFormat,
        [&](const SearchInfoBlock& info) {
            std::string mac = FormatMacDashed(info.mac);
            if (FindDeviceByMac(devices, mac) || unplaced.count(mac) != 0) return false;
            if (std::optional<std::string> address = PlannedAddress(job.plan, found)) {
                devices.push_back(PlannedRow(info, job.plan, *address));
            } else {
                unplaced.insert(mac);
                status.Line(
                    FormatUi("[%s] 起始地址之后已无可分配的IP地址(超过.254),未分配!", mac.c_str()),
                    StatusColour::kFailure);
            }
            ++found;
            return true;
        });
}

// Offers every recorded device its address once and marks those that confirm. False when the
// search was stopped.
bool RunAssignmentPhase(const SearchPorts& ports, SearchSockets& sockets, DeviceList& devices) {
    Clock& clock = ports.clock;
    for (const DeviceRow& row : devices) {
        std::array<uint8_t, kAssignRequestSize> request = EncodeAssignRequest(row);
        sockets.Broadcast(request.data(), request.size());  // unanswered ones simply stay unshown
    }
    uint32_t now = clock.NowMs();
    const uint32_t phaseStart = now;
    ReceiveBuffer buffer{};
    while (TicksSince(now, phaseStart) < kPhaseLengthMs) {
        if (ports.stop.StopRequested()) return false;
        if (PollForReply(*sockets.receive, clock, buffer, ReplyKind::kAssign)) {
            DeviceRow* row = FindDeviceByMac(devices, AssignReplyMacText(buffer.data()));
            if (row) row->shown = 1;
        }
        now = clock.NowMs();
    }
    return true;
}

}  // namespace

int SearchAssignWorker(const SearchJob& job, const SearchPorts& ports, SearchStatus& status) {
    status.Line(L"正在搜索设备...", StatusColour::kProgress);

    SearchSockets sockets;
    if (int err = OpenSearchSockets(ports.sockets, sockets); err != 0) {
        status.Line(FormatUi(kSearchFailedFormat, err), StatusColour::kFailure);
        status.Finished(false);
        return err;
    }
    DeviceList devices;
    PassOutcome outcome = RunAssignSearchPhase(job, ports, status, sockets, devices);
    if (outcome == PassOutcome::kFailed) {
        status.Finished(false);
        return kErrFirstSend;
    }
    // Only devices that were given an address are asked to take it.
    bool going = outcome == PassOutcome::kDone;
    if (going && !devices.empty()) going = RunAssignmentPhase(ports, sockets, devices);
    if (!going) {
        sockets.Close();
        return 0;
    }
    status.Found(std::move(devices));
    sockets.Close();
    status.Line(L"搜索设备完成!", StatusColour::kSuccess);
    status.Finished(true);
    return 0;
}

}  // namespace tesmara
