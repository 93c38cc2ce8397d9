// The address panel's "Modify": gives the highlighted device the panel's address, mask and gateway
// by broadcast, without logging in, once a basic search has shown that the device is on the
// network.
#pragma once

#include "netcfg/DeviceByMac.h"

namespace tesmara {

struct WindowState;

// Runs on the user-interface thread and blocks it for up to 3 s; a press while it runs (from a
// message box it shows, say) is ignored.
void RunAddressChangeCommand(WindowState& dialog);

}  // namespace tesmara
