// The two file formats a recorder takes from the library: firmware images and configuration
// import files (.coi). docs/device-protocol.md describes both byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tesmara::devsim {

// CRC-32 (IEEE 802.3, reflected, as zlib's crc32): start with 0, feed pieces in order.
uint32_t Crc32(uint32_t crc, const void* data, size_t size);

// Firmware image: a 128-byte header, then the payload.
constexpr size_t kImageHeaderSize = 128;
struct ImageHeader {
    std::string model;           // at 8, 32-byte slot
    std::string releaseVersion;  // at 40, 32-byte slot
    std::string releaseTime;     // at 72, 32-byte slot
    uint64_t payloadLength = 0;  // at 104
    uint32_t payloadCrc = 0;     // at 112
};
std::vector<uint8_t> EncodeImageHeader(const ImageHeader& header);
// False when the magic, format or header checksum is wrong.
bool DecodeImageHeader(const uint8_t* bytes, ImageHeader& header);

// Configuration import file: "QCOI", format 1, block count, blocks (command, channel, length,
// bytes), CRC-32 of everything before it.
struct CoiBlock {
    int32_t command = 0;
    int32_t channel = -1;
    std::vector<uint8_t> data;
};
std::vector<uint8_t> EncodeCoi(const std::vector<CoiBlock>& blocks);
// False when the file is malformed (bad magic, format, lengths, checksum or trailing bytes).
bool DecodeCoi(const std::vector<uint8_t>& file, std::vector<CoiBlock>& blocks);

}  // namespace tesmara::devsim
