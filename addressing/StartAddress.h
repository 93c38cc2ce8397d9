// The start address of an address-assigning search, checked before anything is sent: every
// recorder found gets an address counted up from it, with the mask and gateway it implies.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tesmara {

// True when `text` is a dotted address (platform/AddressText.h) inside a private range (so the
// plan has a mask) whose last number is not 0 (the network's own address). Otherwise false with a
// one-line reason in `reason` that names the text.
bool ValidateStartAddress(std::string_view text, std::string& reason);

// A recorder's new address, mask and gateway in host order.
struct NetworkSettings {
    uint32_t address = 0;
    uint32_t mask = 0;
    uint32_t gateway = 0;
};

// Checks the three texts of an address change whole: each a dotted address as
// ParseDottedAddress takes it; the mask ones then zeros (/1 to /30); the address and the gateway
// hosts of one subnet under it, neither its network address nor its broadcast, nor in 0.x.x.x,
// loopback, multicast or the reserved block, and two hosts, not one. Empty when good (`out` then
// holds them); otherwise a one-line reason that names the text at fault.
std::string CheckNetworkSettings(std::string_view address, std::string_view mask,
                                 std::string_view gateway, NetworkSettings& out);

}  // namespace tesmara
