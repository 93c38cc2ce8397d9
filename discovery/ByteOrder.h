// Reading and writing multi-byte fields of datagrams at explicit offsets.
#pragma once

#include <cstdint>

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

}  // namespace tesmara
