#include "tests/support/DeviceReplies.h"

#include <cstring>
#include <string>

#include "discovery/SearchDatagrams.h"
#include "platform/BlockBytes.h"

namespace tesmara {
namespace {

std::vector<uint8_t> WithMagic(const char* magic, size_t size) {
    std::vector<uint8_t> out(size, 0);
    std::memcpy(out.data(), magic, kMagicSize);
    return out;
}

}  // namespace

bool DecodeAssignRequest(const uint8_t* data, size_t size, AssignRequest& out) {
    if (size != kAssignRequestSize || !HasMagic(data, size, kAssignMagic)) return false;
    std::memcpy(out.mac, data + 16, 6);
    out.address = ReadBig32(data + 24);
    out.gateway = ReadBig32(data + 28);
    out.mask = ReadBig32(data + 32);
    return true;
}

std::vector<uint8_t> EncodeBasicReply(const SearchInfoBlock& info) {
    std::vector<uint8_t> out = WithMagic(kBasicSearchMagic, kBasicReplySize);
    EncodeSearchInfoBlock(info, out.data() + kBasicReplyBlockOffset, kBasicInfoBlockSize);
    return out;
}

std::vector<uint8_t> EncodeDetailReply(const SearchInfoBlock& info) {
    std::vector<uint8_t> out = WithMagic(kDetailSearchMagic, kDetailReplySize);
    out[kDetailReplyVersionOffset] = 0x01;
    out[kDetailReplyVersionOffset + 1] = 0x00;
    EncodeSearchInfoBlock(info, out.data() + kDetailReplyBlockOffset, kDetailInfoBlockSize);
    return out;
}

std::vector<uint8_t> EncodeAssignReply(const uint8_t mac[6]) {
    std::vector<uint8_t> out = WithMagic(kAssignMagic, kAssignReplySize);
    std::memcpy(out.data() + kAssignMacOffset, mac, 6);
    return out;
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
        const std::string& text = info.details.*detail.field;
        const TextSlot& slot = detail.slot;
        size_t length = text.size() < slot.size ? text.size() : slot.size;
        std::memset(block + slot.offset, 0, slot.size);
        std::memcpy(block + slot.offset, text.data(), length);
    }
}

}  // namespace tesmara
