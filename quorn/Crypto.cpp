#include "quorn/Crypto.h"

namespace quorn {

bool DigestsEqual(const Digest& a, const Digest& b) {
    uint8_t diff = 0;
    for (size_t i = 0; i < a.size(); ++i) diff |= a[i] ^ b[i];
    return diff == 0;
}

}  // namespace quorn
