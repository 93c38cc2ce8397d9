#include "discovery/SearchDatagrams.h"

#include <cstring>

#include "platform/Address.h"
#include "platform/BlockBytes.h"
#include "view/DeviceRow.h"
#include "view/MacText.h"

namespace tesmara {
namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The two characters at `pos` read as a hexadecimal number, stopping at the first non-digit,
// as a scanf-style read does; what the text does not hold reads as 0.
uint8_t MacByteAt(const std::string& text, size_t pos) {
    unsigned value = 0;
    for (size_t i = pos; i < pos + 2 && i < text.size(); ++i) {
        int digit = HexDigit(text[i]);
        if (digit < 0) break;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<uint8_t>(value & 0xFF);
}

// Dotted text through the sockets library's parse, then into wire order.
void WriteAddressText(uint8_t* p, const std::string& text) {
    WriteBig32(p, AddressToHostOrder(text));
}

}  // namespace

bool HasMagic(const uint8_t* data, size_t size, const char* magic) {
    if (size < kMagicSize) return false;
    for (size_t i = 0; i < kMagicSize; ++i) {
        if (LowerAscii(static_cast<char>(data[i])) != LowerAscii(magic[i])) return false;
    }
    return true;
}

bool IsBasicReply(const uint8_t* data, size_t size) {
    return size == kBasicReplySize && HasMagic(data, size, kBasicSearchMagic);
}

bool HasDetailReplyVersion(const uint8_t* data, size_t size) {
    return size >= kDetailReplyVersionOffset + 2 && data[kDetailReplyVersionOffset] == 0x01 &&
           data[kDetailReplyVersionOffset + 1] == 0x00;
}

bool IsDetailReply(const uint8_t* data, size_t size) {
    return size == kDetailReplySize && HasMagic(data, size, kDetailSearchMagic) &&
           HasDetailReplyVersion(data, size);
}

bool IsAssignReply(const uint8_t* data, size_t size) {
    return size == kAssignReplySize && HasMagic(data, size, kAssignMagic);
}

SearchInfoBlock DecodeBasicReply(const uint8_t* data) {
    return DecodeSearchInfoBlock(data + kBasicReplyBlockOffset, kBasicInfoBlockSize);
}

SearchInfoBlock DecodeDetailReply(const uint8_t* data) {
    return DecodeSearchInfoBlock(data + kDetailReplyBlockOffset, kDetailInfoBlockSize);
}

std::string AssignReplyMacText(const uint8_t* data) {
    return FormatMacDashed(data + kAssignMacOffset);
}

std::array<uint8_t, kAssignRequestSize> EncodeAssignRequest(const DeviceRow& device) {
    std::array<uint8_t, kAssignRequestSize> out{};
    std::memcpy(out.data(), kAssignMagic, kMagicSize);
    for (size_t i = 0; i < 6; ++i) out[16 + i] = MacByteAt(device.macText, 3 * i);
    // Bytes 22 and 23 stay zero.
    WriteAddressText(out.data() + 24, device.ipText);
    WriteAddressText(out.data() + 28, device.gatewayText);
    WriteAddressText(out.data() + 32, device.maskText);
    return out;
}

std::array<uint8_t, kAddressChangeSize> EncodeAddressChange(const std::string& macText,
                                                            const std::string& address,
                                                            const std::string& gateway,
                                                            const std::string& mask) {
    std::array<uint8_t, kAddressChangeSize> out{};
    std::memcpy(out.data(), kAddressChangeMagic, kAddressChangeMagicSize);
    uint8_t* mac = out.data() + kAddressChangeMagicSize;
    for (size_t i = 0; i < 6; ++i) mac[i] = MacByteAt(macText, 3 * i);
    // Two zero bytes follow the MAC.
    WriteAddressText(mac + 8, address);
    WriteAddressText(mac + 12, gateway);
    WriteAddressText(mac + 16, mask);
    return out;
}

}  // namespace tesmara
