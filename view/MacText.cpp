#include "view/MacText.h"

#include "platform/Format.h"

namespace tesmara {

std::string FormatMacDashed(const uint8_t mac[6]) {
    return FormatNarrow("%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4],
                        mac[5]);
}

std::string FormatMacCompact(const uint8_t mac[6]) {
    return FormatNarrow("%02X%02X%02X%02X%02X%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
}

}  // namespace tesmara
