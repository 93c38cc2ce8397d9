#include "discovery/SearchAssignWorker.h"

#include <optional>
#include <set>
#include <string>

#include "view/DeviceRow.h"
#include "view/DeviceTable.h"
#include "view/MacText.h"
#include "app/MainDialogState.h"
#include "view/MainView.h"
#include "discovery/SearchDatagrams.h"
#include "discovery/SearchPhase.h"
#include "discovery/SearchPolling.h"
#include "discovery/SearchSockets.h"
#include "addressing/AddressPlanning.h"
#include "platform/Clock.h"
#include "platform/Format.h"

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
PassOutcome RunAssignSearchPhase(MainDialogState& dialog, SearchSockets& sockets) {
    // Devices past the end of the plan's block: heard, counted, never offered an address.
    std::set<std::string> unplaced;
    unsigned found = 0;
    return RunSearchPhase(
        dialog, sockets, ReplyKind::kBasic, kSearchFailedFormat, [&](const SearchInfoBlock& info) {
            std::string mac = FormatMacDashed(info.mac);
            if (FindDeviceByMac(dialog.m_devices, mac) || unplaced.count(mac) != 0) return false;
            if (std::optional<std::string> address = PlannedAddress(dialog.m_plan, found)) {
                dialog.m_devices.push_back(PlannedRow(info, dialog.m_plan, *address));
            } else {
                unplaced.insert(mac);
                dialog.m_view.AppendStatusLine(
                    FormatUi("[%s] 起始地址之后已无可分配的IP地址(超过.254),未分配!", mac.c_str()),
                    StatusColour::kFailure);
            }
            ++found;
            return true;
        });
}

// Offers every recorded device its address once and marks those that confirm. False when the
// dialog is closing.
bool RunAssignmentPhase(MainDialogState& dialog, SearchSockets& sockets) {
    Clock& clock = dialog.m_clock;
    for (const DeviceRow& row : dialog.m_devices) {
        std::array<uint8_t, kAssignRequestSize> request = EncodeAssignRequest(row);
        sockets.Broadcast(request.data(), request.size());  // unanswered ones simply stay unshown
    }
    uint32_t now = clock.NowMs();
    const uint32_t phaseStart = now;
    ReceiveBuffer buffer{};
    while (TicksSince(now, phaseStart) < kPhaseLengthMs) {
        if (dialog.m_workers.StopRequested()) return false;
        if (PollForReply(*sockets.receive, clock, buffer, ReplyKind::kAssign)) {
            DeviceRow* row = FindDeviceByMac(dialog.m_devices, AssignReplyMacText(buffer.data()));
            if (row) row->shown = 1;
        }
        now = clock.NowMs();
    }
    return true;
}

}  // namespace

int SearchAssignWorker(MainDialogState* state) {
    MainDialogState& dialog = *state;
    MainView& view = dialog.m_view;
    view.SetWindowEnabled(false);
    view.AppendStatusLine(L"正在搜索设备...", StatusColour::kProgress);

    SearchSockets sockets;
    if (int err = OpenSearchSockets(dialog.m_sockets, sockets); err != 0) {
        view.AppendStatusLine(FormatUi(kSearchFailedFormat, err), StatusColour::kFailure);
        view.SetWindowEnabled(true);
        return err;
    }
    PassOutcome outcome = RunAssignSearchPhase(dialog, sockets);
    if (outcome == PassOutcome::kFailed) {
        view.SetWindowEnabled(true);
        return kErrFirstSend;
    }
    // Only devices that were given an address are asked to take it.
    bool going = outcome == PassOutcome::kDone;
    if (going && !dialog.m_devices.empty()) going = RunAssignmentPhase(dialog, sockets);
    if (!going) {
        sockets.Close();
        return 0;
    }
    FillDeviceTable(dialog.m_view, dialog.m_devices);
    sockets.Close();
    view.AppendStatusLine(L"搜索设备完成!", StatusColour::kSuccess);
    view.SetWindowEnabled(true);
    return 0;
}

}  // namespace tesmara
