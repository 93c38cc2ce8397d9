// IPv4 address texts and numbers. Addresses travel in network byte order (first number of the
// dotted form first in memory); "host order" values hold that first number in their top byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tesmara {

constexpr uint32_t kAddressNone = 0xFFFFFFFFu;  // what a text that does not parse gives
constexpr uint32_t kAddressAny = 0;

// The sockets library's dotted-quad parse (inet_addr): network order, kAddressNone on failure.
// Implemented beside each platform's sockets.
uint32_t ParseAddress(std::string_view text);
// The sockets library's dotted-decimal form (inet_ntoa) of a network-order address.
std::string FormatAddress(uint32_t address);

// inet_addr then ntohl.
uint32_t AddressToHostOrder(std::string_view text);

// Dotted-decimal form of a host-order address, as the sockets library writes it.
std::string DottedAddress(uint32_t hostOrder);

}  // namespace tesmara
