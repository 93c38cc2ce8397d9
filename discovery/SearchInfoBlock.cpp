#include "discovery/SearchInfoBlock.h"

#include <cstring>
#include <span>

#include "platform/BlockBytes.h"

namespace tesmara {

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
    for (const DetailText& text : kDetailTexts)
        info.details.*text.field = ReadSlotText(whole, text.slot);
    return info;
}

}  // namespace tesmara
