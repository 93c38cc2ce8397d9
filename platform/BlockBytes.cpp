#include "platform/BlockBytes.h"

#include <algorithm>
#include <cstring>

namespace tesmara {
namespace {

bool FitsInBlock(size_t blockSize, size_t offset, size_t size) {
    return offset <= blockSize && size <= blockSize - offset;
}

}  // namespace

uint32_t ReadU32Le(std::span<const uint8_t> block, size_t offset) {
    if (!FitsInBlock(block.size(), offset, 4)) return 0;
    const uint8_t* p = block.data() + offset;
    return uint32_t{ReadLittle16(p)} | uint32_t{ReadLittle16(p + 2)} << 16;
}

void WriteU32Le(std::span<uint8_t> block, size_t offset, uint32_t value) {
    if (!FitsInBlock(block.size(), offset, 4)) return;
    WriteLittle16(block.data() + offset, static_cast<uint16_t>(value));
    WriteLittle16(block.data() + offset + 2, static_cast<uint16_t>(value >> 16));
}

std::string ReadSlotText(std::span<const uint8_t> block, TextSlot slot) {
    if (!FitsInBlock(block.size(), slot.offset, slot.size)) return {};
    const uint8_t* begin = block.data() + slot.offset;
    const uint8_t* end = std::find(begin, begin + slot.size, uint8_t{0});
    return std::string(reinterpret_cast<const char*>(begin), static_cast<size_t>(end - begin));
}

bool WriteSlotText(std::span<uint8_t> block, TextSlot slot, std::string_view text) {
    if (slot.size == 0 || !FitsInBlock(block.size(), slot.offset, slot.size)) return false;
    text = text.substr(0, text.find('\0'));
    const size_t length = std::min(text.size(), slot.size - 1);
    std::memcpy(block.data() + slot.offset, text.data(), length);
    block[slot.offset + length] = 0;
    return length == text.size();
}

}  // namespace tesmara
