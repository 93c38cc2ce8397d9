// The sockets the console's commands search and broadcast through: the system's, or, once
// --interface was given, the system's tied to that adapter so that every request leaves by it
// alone (platform/AdapterSockets.h). Chosen once, after the options were checked.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Sockets.h"

namespace tesmara::cli {

SocketFactory& CommandSockets();

// From now on CommandSockets() sends out of the adapter with this address (network order).
void SendFromAdapter(uint32_t address);

// Empty when `text` is the dotted address of one of this PC's adapters that is up (then
// `address`, in network order, holds it); otherwise the reason it cannot be used.
std::string CheckAdapterAddress(const std::string& text, uint32_t* address = nullptr);

}  // namespace tesmara::cli
