// The two text forms of a MAC address, byte 0 first, upper-case hex.
#pragma once

#include <cstdint>
#include <string>

namespace tesmara {

std::string FormatMacDashed(const uint8_t mac[6]);   // "00-1A-2B-3C-4D-5E"
std::string FormatMacCompact(const uint8_t mac[6]);  // "001A2B3C4D5E"

}  // namespace tesmara
