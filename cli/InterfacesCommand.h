// tesmara-cli's view of this PC's network adapters:
//
//   interfaces [--json]      one line per IPv4 address: adapter, address, mask, up or down
//   --interface ADDR         on every command that searches or broadcasts: send out of the
//                            adapter with that address only
//
// A search's limited broadcast otherwise leaves by whichever adapter the system picks, and the
// recorders behind the PC's other adapters (Wi-Fi, VPN, a second wired one) are never found.
#pragma once

#include <CLI.hpp>

namespace tesmara::cli {

void AddInterfacesCommand(CLI::App& app, bool& json);

// Prints the adapters; 0, or 1 when the system would not list them.
int RunInterfaces(bool json);

// Adds --interface ADDR to `command`. An address that no adapter of this PC has (or one that is
// down) is a usage error; a good one makes CommandSockets() send out of that adapter.
void AddInterfaceOption(CLI::App* command);

}  // namespace tesmara::cli
