// The device-information block that search replies carry, decoded into the texts and ports a
// DeviceRow keeps. The basic reply holds its first 136 bytes, the detail reply all 520.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/BlockBytes.h"
#include "view/DeviceRow.h"

namespace tesmara {

inline constexpr size_t kBasicInfoBlockSize = 136;
inline constexpr size_t kDetailInfoBlockSize = 520;

// Field offsets inside the block.
namespace info_block {
inline constexpr size_t kMac = 90;
inline constexpr size_t kAddress = 100;
inline constexpr size_t kMask = 104;
inline constexpr size_t kGateway = 108;
inline constexpr size_t kTcpPort = 120;
inline constexpr size_t kHttpPort = 124;
inline constexpr size_t kDescription = 136;  // text slots of the detail block from here on
inline constexpr size_t kCloudId = 200;
inline constexpr size_t kReleaseVersion = 264;
inline constexpr size_t kDeviceTime = 296;
inline constexpr size_t kReleaseTime = 328;
inline constexpr size_t kStartTime = 360;
}  // namespace info_block

// The detail texts' slots; each reaches the next field's offset, the last one ends with the block.
struct DetailText {
    TextSlot slot;
    std::string DeviceDetails::*field;
};
inline constexpr DetailText kDetailTexts[] = {
    {{info_block::kDescription, 64}, &DeviceDetails::description},
    {{info_block::kCloudId, 64}, &DeviceDetails::cloudId},
    {{info_block::kReleaseVersion, 32}, &DeviceDetails::releaseVersion},
    {{info_block::kDeviceTime, 32}, &DeviceDetails::deviceTime},
    {{info_block::kReleaseTime, 32}, &DeviceDetails::releaseTime},
    {{info_block::kStartTime, 160}, &DeviceDetails::startTime},
};

struct SearchInfoBlock {
    uint8_t mac[6] = {};
    uint32_t address = 0;  // host order: first dotted number in the top byte
    uint32_t mask = 0;
    uint32_t gateway = 0;
    uint16_t tcpPort = 0;
    uint16_t httpPort = 0;
    DeviceDetails details;  // empty in a basic block
};

// `size` is kBasicInfoBlockSize or kDetailInfoBlockSize; the texts are read only from a detail
// block, each up to its first NUL and never past its slot.
SearchInfoBlock DecodeSearchInfoBlock(const uint8_t* block, size_t size);

}  // namespace tesmara
