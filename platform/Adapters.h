// This PC's IPv4 network adapters as the system lists them, so that a search can be sent out of
// one of them rather than whichever the routing table picks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tesmara {

struct Adapter {
    std::string name;  // UTF-8: Windows names adapters by their friendly name
    // Host order (first number in the top byte), so that no caller needs the sockets library.
    uint32_t address = 0;
    uint32_t mask = 0;
    bool up = false;
};

// One entry per IPv4 address (an adapter with two addresses is listed twice), in the system's
// order; empty when the system cannot list them.
std::vector<Adapter> ListAdapters();

}  // namespace tesmara
