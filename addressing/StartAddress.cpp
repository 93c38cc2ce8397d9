#include "addressing/StartAddress.h"

#include <cstdint>

#include "addressing/AddressPlanning.h"
#include "platform/AddressText.h"

namespace tesmara {
namespace {

std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    quoted.append(text);
    return quoted + '"';
}

// Why `host` cannot be a recorder's or a gateway's address under `mask`, or empty.
std::string HostProblem(std::string_view text, uint32_t host, uint32_t mask) {
    const uint32_t first = host >> 24;
    if (first == 0 || first == 127 || first >= 224) {
        return Quoted(text) + " is not a host address (0.x.x.x, loopback, multicast or reserved)";
    }
    if ((host & ~mask) == 0) return Quoted(text) + " is the network's own address under its mask";
    if ((host & ~mask) == ~mask) return Quoted(text) + " is the broadcast address under its mask";
    return {};
}

}  // namespace

bool ValidateStartAddress(std::string_view text, std::string& reason) {
    std::string quoted = "\"";
    quoted.append(text);
    quoted += '"';
    uint32_t address = 0;
    if (!ParseDottedAddress(text, address)) {
        reason = quoted + " is not an IPv4 address (four numbers 0-255 joined by dots)";
        return false;
    }
    // Outside these ranges the plan has no mask, and an empty mask goes out as 255.255.255.255.
    if (!MaskForAddress(text)) {
        reason =
            quoted + " is outside the private ranges 10.0.0.0/8, 172.16.0.0/12 and 192.168.0.0/16";
        return false;
    }
    if ((address & 0xFF) == 0) {
        reason = quoted + " ends in 0, the network's own address; start from 1 or higher";
        return false;
    }
    return true;
}

std::string CheckNetworkSettings(std::string_view address, std::string_view mask,
                                 std::string_view gateway, NetworkSettings& out) {
    NetworkSettings parsed;
    const std::pair<std::string_view, uint32_t*> texts[] = {
        {address, &parsed.address}, {mask, &parsed.mask}, {gateway, &parsed.gateway}};
    for (const auto& [text, value] : texts) {
        if (!ParseDottedAddress(text, *value)) {
            return Quoted(text) + " is not an IPv4 address (four numbers 0-255 joined by dots)";
        }
    }
    // Ones then zeros: the host part plus one is a power of two. /31 and /32 leave no host.
    const uint32_t hostBits = ~parsed.mask;
    if (parsed.mask == 0 || hostBits < 3 || (hostBits & (hostBits + 1)) != 0) {
        return Quoted(mask) + " is not a subnet mask (ones then zeros, /1 to /30)";
    }
    if (std::string problem = HostProblem(address, parsed.address, parsed.mask); !problem.empty()) {
        return problem;
    }
    if ((parsed.gateway & parsed.mask) != (parsed.address & parsed.mask)) {
        return Quoted(gateway) + " is outside the subnet of " + Quoted(address) + " under " +
               Quoted(mask);
    }
    if (std::string problem = HostProblem(gateway, parsed.gateway, parsed.mask); !problem.empty()) {
        return problem;
    }
    // A recorder cannot route through itself (an address ending in .1 is its own proposed gateway).
    if (parsed.gateway == parsed.address) {
        return Quoted(gateway) + " is the address itself, not a gateway";
    }
    out = parsed;
    return {};
}

}  // namespace tesmara
