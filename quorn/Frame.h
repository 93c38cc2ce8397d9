// Frames of the device protocol: a fixed 16-byte header, then a payload of at most
// kMaxPayload bytes. All integers are little-endian. docs/device-protocol.md is the reference.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorn {

constexpr uint8_t kMagic[4] = {'Q', 'R', 'N', 'F'};
constexpr uint8_t kProtocolVersion = 1;
constexpr size_t kHeaderSize = 16;
// Hard limit; a header announcing more is a protocol violation and ends the connection.
constexpr uint32_t kMaxPayload = 1024 * 1024;
// After the hello every payload is sealed and carries a 16-byte tag after it.
constexpr uint32_t kSealOverhead = 16;
constexpr uint32_t kMaxFrameLength = kMaxPayload + kSealOverhead;

// Message types. A reply carries its request's type with kReplyBit set and the same request id.
enum class Type : uint8_t {
    Hello = 0x01,
    Login = 0x02,
    Logout = 0x03,
    KeepAlive = 0x04,  // either direction, never answered
    LoginParams = 0x05,
    GetConfig = 0x10,
    SetConfig = 0x11,
    ImportConfig = 0x12,
    Reboot = 0x13,
    GetUsers = 0x14,
    ModifyUser = 0x15,
    UpgradeBegin = 0x20,
    UpgradeData = 0x21,   // client to device, never answered
    UpgradeAbort = 0x22,  // client to device, never answered
    UpgradeAck = 0x23,    // device to client: bytes taken so far
    UpgradeState = 0x24,  // device to client: writing percentage or final result
    Error = 0x7F,         // device to client: the request could not be understood
};
constexpr uint8_t kReplyBit = 0x80;

constexpr uint8_t ReplyOf(Type type) {
    return static_cast<uint8_t>(type) | kReplyBit;
}

struct Frame {
    uint8_t type = 0;
    uint32_t requestId = 0;
    std::vector<uint8_t> payload;
};

// Header fields as decoded; payload follows.
struct Header {
    uint8_t version = 0;
    uint8_t type = 0;
    uint16_t flags = 0;
    uint32_t requestId = 0;
    uint32_t length = 0;
};

enum class HeaderStatus { Ok, BadMagic, BadVersion, BadFlags, TooLong };

// Decodes exactly kHeaderSize bytes.
HeaderStatus DecodeHeader(const uint8_t* bytes, Header& header);
void EncodeHeader(uint8_t type, uint32_t requestId, uint32_t length, uint8_t* out);

// Whole frame as bytes (header + payload), unsealed. The payload must not exceed kMaxPayload.
std::vector<uint8_t> EncodeFrame(uint8_t type, uint32_t requestId, const void* payload,
                                 size_t size);

// Incremental decoder for a byte stream: feed whatever arrived, take complete frames.
// After an error it stays failed: the peer is out of step and the connection must end.
class FrameDecoder {
  public:
    void Feed(const uint8_t* data, size_t size);
    // True and fills `frame` when a complete frame is ready.
    bool Next(Frame& frame);
    bool Failed() const { return failed_; }
    HeaderStatus Error() const { return error_; }

  private:
    std::vector<uint8_t> buffer_;
    size_t start_ = 0;
    bool failed_ = false;
    HeaderStatus error_ = HeaderStatus::Ok;
};

// Little-endian payload building and bounded parsing.
class Writer {
  public:
    Writer& U8(uint8_t v);
    Writer& U16(uint16_t v);
    Writer& U32(uint32_t v);
    Writer& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
    Writer& U64(uint64_t v);
    Writer& Bytes(const void* data, size_t size);
    // u16 length, then the bytes.
    Writer& Text(std::string_view text);
    std::vector<uint8_t>& Data() { return data_; }

  private:
    std::vector<uint8_t> data_;
};

// Every read is checked against the end; after a short read Ok() is false and values are 0.
class Reader {
  public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit Reader(const std::vector<uint8_t>& v) : Reader(v.data(), v.size()) {}
    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    int32_t I32() { return static_cast<int32_t>(U32()); }
    uint64_t U64();
    // Pointer to `size` bytes inside the payload, or null.
    const uint8_t* Bytes(size_t size);
    std::string Text();
    size_t Remaining() const { return ok_ ? size_ - pos_ : 0; }
    bool Ok() const { return ok_; }
    // True when everything was read and nothing is left over.
    bool Done() const { return ok_ && pos_ == size_; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace quorn
