#include "quorn/FirmwareImage.h"

#include <array>
#include <cstring>

#include "quorn/Frame.h"

namespace quorn {
namespace {

std::array<uint32_t, 256> MakeTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

}  // namespace

uint32_t Crc32(uint32_t crc, const void* data, size_t size) {
    static const std::array<uint32_t, 256> kTable = MakeTable();
    const auto* p = static_cast<const uint8_t*>(data);
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = kTable[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

bool CheckImageHeader(const uint8_t* header, uint64_t& payloadLength) {
    Reader r(header, kImageHeaderSize);
    const uint8_t* magic = r.Bytes(sizeof kImageMagic);
    if (std::memcmp(magic, kImageMagic, sizeof kImageMagic) != 0 || r.U32() != kImageFormat)
        return false;
    Reader crc(header + kImageHeaderCrcAt, 4);
    if (crc.U32() != Crc32(0, header, kImageHeaderCrcAt)) return false;
    Reader length(header + kImageLengthAt, 8);
    payloadLength = length.U64();
    return true;
}

bool HeaderNamesFile(const uint8_t* header, int64_t fileSize) {
    uint64_t payloadLength = 0;
    return fileSize >= static_cast<int64_t>(kImageHeaderSize) &&
           CheckImageHeader(header, payloadLength) &&
           payloadLength == static_cast<uint64_t>(fileSize) - kImageHeaderSize;
}

}  // namespace quorn
