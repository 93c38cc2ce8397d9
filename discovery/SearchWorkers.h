// The two search workers started by "IP Search", and the steps they share. Workers take the
// dialog as their only argument and run on a thread of the dialog's worker group; they disable
// the dialog window from their first step to their last.
#pragma once

#include <functional>

namespace tesmara {

struct MainDialogState;
struct SearchSockets;
struct SearchInfoBlock;

// Finds the devices by the basic search, asks them for details by the detail search and lists
// them with their own addresses.
int SearchOnlyWorker(MainDialogState* dialog);

// Finds the devices by the basic search, offers each one an address from the dialog's address
// plan and lists those that confirmed.
int SearchAssignWorker(MainDialogState* dialog);

enum class PassOutcome {
    kDone,     // phase ran out, a resend failed, or the device limit was reached
    kFailed,   // first send failed: reported, sockets closed, window enabled again
    kStopped,  // the dialog is closing: sockets closed, nothing more is reported
};

// Told of each accepted reply of a phase; true when it was a device new to the phase, which
// counts towards the device limit.
using ReplyHandler = std::function<bool(const SearchInfoBlock&)>;

// One phase with `magic` (basic or detail): the first send, a resend every 500 ms, polls for
// 3000 ms or until 50 new devices. A failing first send is reported with `failedFormat` (one %d).
PassOutcome RunSearchPhase(MainDialogState& dialog, SearchSockets& sockets, const char* magic,
                           const char* failedFormat, const ReplyHandler& onReply);

// The search-only worker's phase with `magic`: records new devices into m_devices or
// m_detailDevices.
PassOutcome RunSearchPass(MainDialogState& dialog, SearchSockets& sockets, const char* magic);

// Copies the detail texts of m_detailDevices into the records of m_devices with the same MAC.
void MergeDeviceDetails(MainDialogState& dialog);

}  // namespace tesmara
