// The recorder's side of the discovery datagrams: which request arrived, and the bytes of the
// replies. Every field is written at its explicit offset; multi-byte ports little-endian,
// addresses in network byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "devsim/model/SimDevice.h"

namespace tesmara::devsim {

constexpr uint16_t kDevicePort = 5000;       // recorders listen here
constexpr uint16_t kClientReplyPort = 5001;  // and answer to this port

constexpr size_t kMagicSize = 16;
constexpr size_t kBasicReplySize = 152;
constexpr size_t kDetailReplySize = 576;
constexpr size_t kAssignSize = 36;
constexpr size_t kAddressChangeSize = 33;
constexpr size_t kAddressChangeMagicSize = 13;

extern const char kBasicMagic[];          // "QELTRA.SEARCH.V1"
extern const char kDetailMagic[];         // "QELTRA.SEARCH.V3"
extern const char kAssignMagic[];         // "QELTRA.SEARCH.V2"
extern const char kAddressChangeMagic[];  // "QELTRA.CFG.V2"

enum class RequestKind { BasicSearch, DetailSearch, Assign, AddressChange, Unknown };

// Search requests are recognised by their magic (ignoring case) in the first 16 bytes; the
// assignment and address-change datagrams must also have their exact lengths.
RequestKind ClassifyRequest(const uint8_t* data, size_t size);

// New network settings for the device with `mac` (AssignRequest or the address-change datagram;
// both carry gateway before mask). Addresses in network byte order.
struct NewAddress {
    MacBytes mac{};
    uint32_t address = 0;
    uint32_t gateway = 0;
    uint32_t mask = 0;
};
// Only for datagrams that ClassifyRequest named Assign or AddressChange.
NewAddress DecodeNewAddress(RequestKind kind, const uint8_t* data, size_t size);

std::vector<uint8_t> EncodeBasicReply(const DeviceState& state);
std::vector<uint8_t> EncodeDetailReply(const DeviceState& state);
std::vector<uint8_t> EncodeAssignReply(const MacBytes& mac);

// Dotted text to network-order bytes as the sockets library parses it; 255.255.255.255 when the
// text does not parse.
uint32_t ParseDotted(const std::string& text);
std::string FormatDotted(uint32_t networkOrder);

}  // namespace tesmara::devsim
