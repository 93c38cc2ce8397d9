#include <cstring>

#include "platform/Sockets.h"

namespace tesmara {

uint32_t AddressToHostOrder(std::string_view text) {
    uint32_t network = ParseAddress(text);
    uint8_t b[4];
    std::memcpy(b, &network, 4);
    return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
}

}  // namespace tesmara
