// The two file formats a recorder takes from the library: firmware images and configuration
// import files (.coi). docs/device-protocol.md describes both byte by byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "quorn/FirmwareImage.h"

namespace tesmara::devsim {

using quorn::Crc32;

using Sha256Digest = std::array<uint8_t, 32>;

// SHA-256 fed piece by piece, as an image arrives.
class Sha256 {
  public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;
    void Update(const void* data, size_t size);
    // The digest of everything fed since construction or the last Finish; starts over.
    Sha256Digest Finish();

  private:
    struct Context;
    std::unique_ptr<Context> m_context;
};

// Firmware image: a header of quorn::kImageHeaderSize bytes, then the payload.
using quorn::kImageHeaderSize;
struct ImageHeader {
    std::string model;           // at 8, 32-byte slot
    std::string releaseVersion;  // at 40, 32-byte slot
    std::string releaseTime;     // at 72, 32-byte slot
    uint64_t payloadLength = 0;  // at 104
    Sha256Digest payloadHash{};  // at 112
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
