// Fields of byte blocks exchanged with devices: integers (little-endian, and big-endian for
// IPv4 addresses on the wire) and NUL-terminated texts at fixed offsets. The span forms are
// bounded by the block and by the field's slot, so a block from a misbehaving device can never
// make us read or write past it; the pointer forms are for fixed-size datagrams whose length
// the caller has already checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tesmara {

inline uint16_t ReadLittle16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline void WriteLittle16(uint8_t* p, uint16_t value) {
    p[0] = static_cast<uint8_t>(value & 0xFF);
    p[1] = static_cast<uint8_t>(value >> 8);
}

// IPv4 addresses on the wire: first number of the dotted form first. `hostOrder` holds that
// number in its top byte.
inline uint32_t ReadBig32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

inline void WriteBig32(uint8_t* p, uint32_t hostOrder) {
    p[0] = static_cast<uint8_t>(hostOrder >> 24);
    p[1] = static_cast<uint8_t>(hostOrder >> 16);
    p[2] = static_cast<uint8_t>(hostOrder >> 8);
    p[3] = static_cast<uint8_t>(hostOrder);
}

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
