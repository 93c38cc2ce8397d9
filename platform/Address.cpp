#include "platform/Address.h"

#include <cstring>

#include "platform/BlockBytes.h"
#include "platform/Format.h"

namespace tesmara {

uint32_t AddressToHostOrder(std::string_view text) {
    uint32_t network = ParseAddress(text);
    uint8_t bytes[4];
    std::memcpy(bytes, &network, 4);
    return ReadBig32(bytes);
}

std::string DottedAddress(uint32_t hostOrder) {
    return FormatNarrow("%u.%u.%u.%u", hostOrder >> 24, (hostOrder >> 16) & 0xFF,
                        (hostOrder >> 8) & 0xFF, hostOrder & 0xFF);
}

}  // namespace tesmara
