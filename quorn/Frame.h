// Frames of the device protocol: a fixed 16-byte header and a bounded payload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorn {

constexpr uint32_t kFrameMagic = 0x464E5251;  // "QRNF" on the wire
}  // namespace quorn
