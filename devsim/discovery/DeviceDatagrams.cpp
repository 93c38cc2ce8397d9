#include "devsim/discovery/DeviceDatagrams.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace tesmara::devsim {

const char kBasicMagic[] = "QELTRA.SEARCH.V1";
const char kDetailMagic[] = "QELTRA.SEARCH.V3";
const char kAssignMagic[] = "QELTRA.SEARCH.V2";
const char kAddressChangeMagic[] = "QELTRA.CFG.V2";

namespace {

// Where the device-information block starts in each reply.
constexpr size_t kBasicBlock = 16;
constexpr size_t kDetailBlock = 56;

// Offsets inside the device-information block.
constexpr size_t kMacAt = 90;
constexpr size_t kAddressAt = 100;
constexpr size_t kMaskAt = 104;
constexpr size_t kGatewayAt = 108;
constexpr size_t kTcpPortAt = 120;
constexpr size_t kHttpPortAt = 124;
constexpr size_t kBasicBlockSize = 136;

struct TextSlot {
    size_t offset;
    size_t size;
};
constexpr TextSlot kDescriptionSlot{136, 64};
constexpr TextSlot kCloudIdSlot{200, 64};
constexpr TextSlot kReleaseVersionSlot{264, 32};
constexpr TextSlot kDeviceTimeSlot{296, 32};
constexpr TextSlot kReleaseTimeSlot{328, 32};
constexpr TextSlot kStartTimeSlot{360, 160};

bool MagicIs(const uint8_t* data, size_t size, const char* magic, size_t magicSize) {
    if (size < magicSize) return false;
    for (size_t i = 0; i < magicSize; ++i) {
        if (std::toupper(data[i]) != std::toupper(static_cast<unsigned char>(magic[i]))) {
            return false;
        }
    }
    return true;
}

void PutPort(std::vector<uint8_t>& out, size_t at, uint16_t port) {
    out[at] = static_cast<uint8_t>(port & 0xFF);
    out[at + 1] = static_cast<uint8_t>(port >> 8);
}

void PutAddress(std::vector<uint8_t>& out, size_t at, uint32_t networkOrder) {
    std::memcpy(&out[at], &networkOrder, 4);
}

uint32_t GetAddress(const uint8_t* data, size_t at) {
    uint32_t value;
    std::memcpy(&value, data + at, 4);
    return value;
}

// A text that does not fit keeps only what fills the slot, without a NUL: receivers must cut it
// at the slot's end.
void PutText(std::vector<uint8_t>& out, size_t blockAt, TextSlot slot, const std::string& text) {
    size_t n = std::min(text.size(), slot.size);
    std::memset(&out[blockAt + slot.offset], 0, slot.size);
    std::memcpy(&out[blockAt + slot.offset], text.data(), n);
}

// Bytes receivers do not read get a pattern instead of zeros, so a receiver that reads them
// by mistake shows it.
void FillUnread(std::vector<uint8_t>& out, const MacBytes& mac) {
    for (size_t i = kMagicSize; i < out.size(); ++i) {
        out[i] = static_cast<uint8_t>(0xA5 ^ mac[i % 6] ^ i);
    }
}

void PutBlockHead(std::vector<uint8_t>& out, size_t blockAt, const DeviceState& state) {
    std::copy(state.mac.begin(), state.mac.end(), out.begin() + blockAt + kMacAt);
    PutAddress(out, blockAt + kAddressAt, ParseDotted(state.address));
    PutAddress(out, blockAt + kMaskAt, ParseDotted(state.mask));
    PutAddress(out, blockAt + kGatewayAt, ParseDotted(state.gateway));
    PutPort(out, blockAt + kTcpPortAt, state.tcpPort);
    PutPort(out, blockAt + kHttpPortAt, state.httpPort);
}

}  // namespace

uint32_t ParseDotted(const std::string& text) {
    in_addr parsed{};
    if (inet_aton(text.c_str(), &parsed) == 0) return 0xFFFFFFFFu;
    return parsed.s_addr;
}

std::string FormatDotted(uint32_t networkOrder) {
    const auto* b = reinterpret_cast<const uint8_t*>(&networkOrder);
    return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
           std::to_string(b[3]);
}

RequestKind ClassifyRequest(const uint8_t* data, size_t size) {
    if (MagicIs(data, size, kBasicMagic, kMagicSize)) return RequestKind::BasicSearch;
    if (MagicIs(data, size, kDetailMagic, kMagicSize)) return RequestKind::DetailSearch;
    if (size == kAssignSize && MagicIs(data, size, kAssignMagic, kMagicSize)) {
        return RequestKind::Assign;
    }
    if (size == kAddressChangeSize &&
        MagicIs(data, size, kAddressChangeMagic, kAddressChangeMagicSize)) {
        return RequestKind::AddressChange;
    }
    return RequestKind::Unknown;
}

NewAddress DecodeNewAddress(RequestKind kind, const uint8_t* data, size_t size) {
    NewAddress result;
    size_t at = kind == RequestKind::Assign ? kMagicSize : kAddressChangeMagicSize;
    if (size < at + 20) return result;
    std::copy(data + at, data + at + 6, result.mac.begin());
    result.address = GetAddress(data, at + 8);
    result.gateway = GetAddress(data, at + 12);
    result.mask = GetAddress(data, at + 16);
    return result;
}

std::vector<uint8_t> EncodeBasicReply(const DeviceState& state) {
    std::vector<uint8_t> out(kBasicReplySize);
    FillUnread(out, state.mac);
    std::memcpy(out.data(), kBasicMagic, kMagicSize);
    PutBlockHead(out, kBasicBlock, state);
    static_assert(kBasicBlock + kBasicBlockSize == kBasicReplySize);
    return out;
}

std::vector<uint8_t> EncodeDetailReply(const DeviceState& state) {
    std::vector<uint8_t> out(kDetailReplySize);
    FillUnread(out, state.mac);
    std::memcpy(out.data(), kDetailMagic, kMagicSize);
    out[16] = 0x01;
    out[17] = 0x00;
    PutBlockHead(out, kDetailBlock, state);
    PutText(out, kDetailBlock, kDescriptionSlot, state.description);
    PutText(out, kDetailBlock, kCloudIdSlot, state.cloudId);
    PutText(out, kDetailBlock, kReleaseVersionSlot, state.releaseVersion);
    PutText(out, kDetailBlock, kDeviceTimeSlot, DeviceTimeText(state));
    PutText(out, kDetailBlock, kReleaseTimeSlot, state.releaseTime);
    PutText(out, kDetailBlock, kStartTimeSlot, state.startTime);
    static_assert(kDetailBlock + kStartTimeSlot.offset + kStartTimeSlot.size == kDetailReplySize);
    return out;
}

std::vector<uint8_t> EncodeAssignReply(const MacBytes& mac) {
    std::vector<uint8_t> out(kAssignSize);
    FillUnread(out, mac);
    std::memcpy(out.data(), kAssignMagic, kMagicSize);
    std::copy(mac.begin(), mac.end(), out.begin() + kMagicSize);
    return out;
}

}  // namespace tesmara::devsim
