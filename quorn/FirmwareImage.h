// The firmware image's fixed header, as far as both ends need it: the device judges the whole
// image; the library refuses a file whose header is not an image's before sending anything.
// docs/device-protocol.md gives the layout.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>

namespace quorn {

// CRC-32 (IEEE 802.3, reflected, as zlib's crc32): start with 0, feed pieces in order.
uint32_t Crc32(uint32_t crc, const void* data, size_t size);

inline constexpr uint8_t kImageMagic[4] = {'Q', 'F', 'W', 'I'};
constexpr size_t kImageHeaderSize = 160;
constexpr uint32_t kImageFormat = 2;
constexpr size_t kImageModelAt = 8;  // three 32-byte text slots: model, version, time
constexpr size_t kImageVersionAt = 40;
constexpr size_t kImageTimeAt = 72;
constexpr size_t kImageTextSize = 32;
constexpr size_t kImageLengthAt = 104;
constexpr size_t kImageHashAt = 112;
constexpr size_t kImageHeaderCrcAt = 144;  // CRC-32 of the bytes before it

// True when the magic, format and header checksum of `header` (kImageHeaderSize bytes) are
// right; `payloadLength` then holds the length the header names.
bool CheckImageHeader(const uint8_t* header, uint64_t& payloadLength);

// The image files the library takes, judged before it sends anything: at most this many bytes
// (sizes must fit the progress values), with a sound header that names the rest of the file as
// the payload. The application applies the same rule before it logs in to any device.
constexpr int64_t kMaxImageFileSize = INT32_MAX;
bool HeaderNamesFile(const uint8_t* header, int64_t fileSize);

}  // namespace quorn
