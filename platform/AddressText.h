// Addresses typed by an operator or given on a command line. The sockets library's own parse
// (inet_addr) takes "1.2.3", "0x7f.1" and octal parts, and answers a bad text with the broadcast
// address, so text from outside is checked here before it can reach a device.
#pragma once

#include <cstdint>
#include <string_view>

namespace tesmara {

// True when the text is exactly four decimal numbers 0-255 joined by dots, with no sign, blank,
// leading zero (which some parsers read as octal) or anything else; `address` then holds it in
// host order (first number in the top byte).
bool ParseDottedAddress(std::string_view text, uint32_t& address);

}  // namespace tesmara
