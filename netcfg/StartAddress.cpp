#include "netcfg/StartAddress.h"

#include <cstdint>

#include "netcfg/AddressPlanning.h"
#include "platform/AddressText.h"

namespace tesmara {

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

}  // namespace tesmara
