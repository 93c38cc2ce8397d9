// The search-only worker (the devices keep their own addresses) and its pieces: it finds the
// devices by the basic search, asks them for details by the detail search and reports them with
// their own addresses.
#pragma once

#include "discovery/SearchPhase.h"

namespace tesmara {

int SearchOnlyWorker(const SearchJob& job, const SearchPorts& ports, SearchStatus& status);

// The worker's phase for `kind`: records each new device into `target`, up to `deviceLimit`.
PassOutcome RunSearchPass(const SearchPorts& ports, SearchStatus& status, SearchSockets& sockets,
                          ReplyKind kind, int deviceLimit, DeviceList& target);

// Copies the detail texts of `details` into the records of `devices` with the same MAC.
void MergeDeviceDetails(DeviceList& devices, const DeviceList& details);

}  // namespace tesmara
