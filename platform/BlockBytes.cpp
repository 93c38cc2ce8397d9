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
    return static_cast<uint32_t>(block[offset]) | static_cast<uint32_t>(block[offset + 1]) << 8 |
           static_cast<uint32_t>(block[offset + 2]) << 16 |
           static_cast<uint32_t>(block[offset + 3]) << 24;
}

void WriteU32Le(std::span<uint8_t> block, size_t offset, uint32_t value) {
    if (!FitsInBlock(block.size(), offset, 4)) return;
    for (int i = 0; i < 4; ++i) block[offset + i] = static_cast<uint8_t>(value >> (8 * i));
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
