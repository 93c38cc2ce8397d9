// A small portable X25519 (RFC 7748) for platforms whose own provider cannot hand out the
// shared secret (Wine's CNG derives no ECDH secret). Constant-time ladder; slow but only used
// once per connection.
#pragma once

#include <cstdint>

namespace quorn {

// out = scalar * point (u-coordinates, 32 bytes little-endian each).
void X25519Portable(uint8_t out[32], const uint8_t scalar[32], const uint8_t point[32]);

}  // namespace quorn
