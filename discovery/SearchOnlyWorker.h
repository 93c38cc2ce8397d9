// The search-only worker ("IP Search" with the own-address box ticked) and its pieces: it finds
// the devices by the basic search, asks them for details by the detail search and lists them
// with their own addresses. It disables the window from its first step to its last.
#pragma once

#include "discovery/SearchPhase.h"

namespace tesmara {

int SearchOnlyWorker(MainDialogState* dialog);

// The worker's phase for `kind`: records each new device into m_devices (basic) or
// m_detailDevices (detail).
PassOutcome RunSearchPass(MainDialogState& dialog, SearchSockets& sockets, ReplyKind kind);

// Copies the detail texts of m_detailDevices into the records of m_devices with the same MAC.
void MergeDeviceDetails(MainDialogState& dialog);

}  // namespace tesmara
