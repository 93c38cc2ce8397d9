#include "discovery/SearchInfoBlock.h"

#include <cstring>
#include <span>

#include "discovery/ByteOrder.h"
#include "platform/BlockBytes.h"
#include "platform/Format.h"

namespace tesmara {
namespace {

struct DetailText {
    TextSlot slot;
    std::string SearchInfoBlock::*field;
};

// A slot reaches the next field's offset; the last one ends with the block.
constexpr DetailText kDetailTexts[] = {
    {{info_block::kDescription, 64}, &SearchInfoBlock::description},
    {{info_block::kCloudId, 64}, &SearchInfoBlock::cloudId},
    {{info_block::kReleaseVersion, 32}, &SearchInfoBlock::releaseVersion},
    {{info_block::kDeviceTime, 32}, &SearchInfoBlock::deviceTime},
    {{info_block::kReleaseTime, 32}, &SearchInfoBlock::releaseTime},
    {{info_block::kStartTime, 160}, &SearchInfoBlock::startTime},
};

}  // namespace

SearchInfoBlock DecodeSearchInfoBlock(const uint8_t* block, size_t size) {
    SearchInfoBlock info;
    if (size < kBasicInfoBlockSize) return info;
    std::memcpy(info.mac, block + info_block::kMac, 6);
    info.address = ReadBig32(block + info_block::kAddress);
    info.mask = ReadBig32(block + info_block::kMask);
    info.gateway = ReadBig32(block + info_block::kGateway);
    info.tcpPort = ReadLittle16(block + info_block::kTcpPort);
    info.httpPort = ReadLittle16(block + info_block::kHttpPort);
    if (size < kDetailInfoBlockSize) return info;
    const std::span<const uint8_t> whole(block, size);
    for (const DetailText& text : kDetailTexts) info.*text.field = ReadSlotText(whole, text.slot);
    return info;
}

void EncodeSearchInfoBlock(const SearchInfoBlock& info, uint8_t* block, size_t size) {
    if (size < kBasicInfoBlockSize) return;
    std::memcpy(block + info_block::kMac, info.mac, 6);
    WriteBig32(block + info_block::kAddress, info.address);
    WriteBig32(block + info_block::kMask, info.mask);
    WriteBig32(block + info_block::kGateway, info.gateway);
    WriteLittle16(block + info_block::kTcpPort, info.tcpPort);
    WriteLittle16(block + info_block::kHttpPort, info.httpPort);
    if (size < kDetailInfoBlockSize) return;
    for (const DetailText& detail : kDetailTexts) {
        const std::string& text = info.*detail.field;
        const TextSlot& slot = detail.slot;
        size_t length = text.size() < slot.size ? text.size() : slot.size;
        std::memset(block + slot.offset, 0, slot.size);
        std::memcpy(block + slot.offset, text.data(), length);
    }
}

std::string DottedAddress(uint32_t hostOrder) {
    return FormatNarrow("%u.%u.%u.%u", hostOrder >> 24, (hostOrder >> 16) & 0xFF,
                        (hostOrder >> 8) & 0xFF, hostOrder & 0xFF);
}

}  // namespace tesmara
