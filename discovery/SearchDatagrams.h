// The discovery datagrams: search requests and replies, address assignment and its reply.
// Every datagram begins with a 16-character magic that names it; received magics are compared
// ignoring letter case.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "discovery/SearchInfoBlock.h"

namespace tesmara {

struct DeviceRow;

inline constexpr char kBasicSearchMagic[] = "QELTRA.SEARCH.V1";
inline constexpr char kDetailSearchMagic[] = "QELTRA.SEARCH.V3";
inline constexpr char kAssignMagic[] = "QELTRA.SEARCH.V2";
inline constexpr size_t kMagicSize = 16;
inline constexpr char kAddressChangeMagic[] = "QELTRA.CFG.V2";  // 13 bytes, no terminator sent
inline constexpr size_t kAddressChangeMagicSize = 13;
inline constexpr size_t kAddressChangeSize = 33;

inline constexpr size_t kBasicReplySize = 152;
inline constexpr size_t kDetailReplySize = 576;
inline constexpr size_t kAssignRequestSize = 36;
inline constexpr size_t kAssignReplySize = 36;
inline constexpr size_t kReceiveBufferSize = 1024;

inline constexpr size_t kBasicReplyBlockOffset = 16;
inline constexpr size_t kDetailReplyVersionOffset = 16;  // 0x01 0x00
inline constexpr size_t kDetailReplyBlockOffset = 56;
inline constexpr size_t kAssignMacOffset = 16;

// Endpoints: requests leave from kSearchSendPort to the limited broadcast address, port
// kDevicePort; replies arrive on kSearchReplyPort.
inline constexpr uint16_t kDevicePort = 5000;
inline constexpr uint16_t kSearchReplyPort = 5001;
inline constexpr uint16_t kSearchSendPort = 5003;
inline constexpr uint32_t kLimitedBroadcast = 0xFFFFFFFFu;  // 255.255.255.255

// True when `size` >= 16 and the first 16 bytes equal `magic` ignoring ASCII letter case.
bool HasMagic(const uint8_t* data, size_t size, const char* magic);

// The full checks a receiver applies; a datagram that fails is dropped.
bool IsBasicReply(const uint8_t* data, size_t size);
bool IsDetailReply(const uint8_t* data, size_t size);
bool IsAssignReply(const uint8_t* data, size_t size);

// True when bytes 16 and 17 carry the detail reply's format version 01 00.
bool HasDetailReplyVersion(const uint8_t* data, size_t size);

// Decoding of accepted replies.
SearchInfoBlock DecodeBasicReply(const uint8_t* data);   // kBasicReplySize bytes
SearchInfoBlock DecodeDetailReply(const uint8_t* data);  // kDetailReplySize bytes
std::string AssignReplyMacText(const uint8_t* data);     // kAssignReplySize bytes

// The 36-byte request that gives the device named by the row's MAC text the row's address,
// gateway and mask texts. Unparsable addresses are sent as 255.255.255.255.
std::array<uint8_t, kAssignRequestSize> EncodeAssignRequest(const DeviceRow& device);

// The 33-byte address change for the device named by `macText`: the assignment's 20 bytes after
// its MAC behind a 13-byte magic, so the addresses lie at odd offsets (address, gateway, mask).
std::array<uint8_t, kAddressChangeSize> EncodeAddressChange(const std::string& macText,
                                                            const std::string& address,
                                                            const std::string& gateway,
                                                            const std::string& mask);

}  // namespace tesmara
