// Fields of byte blocks exchanged with devices: little-endian integers and
// NUL-terminated texts at fixed offsets. Every access is bounded by the block and by the field's
// slot, so a block from a misbehaving device can never make us read or write past it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tesmara {

// A text field: its offset in the block and the size of its slot, terminator included.
struct TextSlot {
    size_t offset;
    size_t size;
};

// Outside the block: 0, and writes do nothing.
uint32_t ReadU32Le(std::span<const uint8_t> block, size_t offset);
void WriteU32Le(std::span<uint8_t> block, size_t offset, uint32_t value);
inline int32_t ReadI32Le(std::span<const uint8_t> block, size_t offset) {
    return static_cast<int32_t>(ReadU32Le(block, offset));
}
inline void WriteI32Le(std::span<uint8_t> block, size_t offset, int32_t value) {
    WriteU32Le(block, offset, static_cast<uint32_t>(value));
}

// The text up to its terminator; a slot filled without one is cut at the slot's end.
std::string ReadSlotText(std::span<const uint8_t> block, TextSlot slot);

// Writes the text and one terminator inside the slot and leaves the slot's later bytes as they
// were. A text that does not fit with its terminator is cut so that the slot stays terminated;
// the result says whether it fitted whole. The text ends at its first NUL, if it has one.
bool WriteSlotText(std::span<uint8_t> block, TextSlot slot, std::string_view text);

}  // namespace tesmara
