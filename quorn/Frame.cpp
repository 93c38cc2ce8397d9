#include "quorn/Frame.h"

#include <cstring>

namespace quorn {

namespace {

uint32_t Load32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void Store32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

HeaderStatus DecodeHeader(const uint8_t* bytes, Header& header) {
    if (std::memcmp(bytes, kMagic, 4) != 0) return HeaderStatus::BadMagic;
    header.version = bytes[4];
    header.type = bytes[5];
    header.flags = static_cast<uint16_t>(bytes[6] | bytes[7] << 8);
    header.requestId = Load32(bytes + 8);
    header.length = Load32(bytes + 12);
    if (header.version != kProtocolVersion) return HeaderStatus::BadVersion;
    if (header.flags != 0) return HeaderStatus::BadFlags;
    if (header.length > kMaxFrameLength) return HeaderStatus::TooLong;
    return HeaderStatus::Ok;
}

void EncodeHeader(uint8_t type, uint32_t requestId, uint32_t length, uint8_t* out) {
    std::memcpy(out, kMagic, 4);
    out[4] = kProtocolVersion;
    out[5] = type;
    out[6] = 0;
    out[7] = 0;
    Store32(out + 8, requestId);
    Store32(out + 12, length);
}

std::vector<uint8_t> EncodeFrame(uint8_t type, uint32_t requestId, const void* payload,
                                 size_t size) {
    std::vector<uint8_t> out(kHeaderSize + size);
    EncodeHeader(type, requestId, static_cast<uint32_t>(size), out.data());
    if (size) std::memcpy(out.data() + kHeaderSize, payload, size);
    return out;
}

void FrameDecoder::Feed(const uint8_t* data, size_t size) {
    if (failed_ || size == 0) return;
    // Drop consumed bytes before growing, so the buffer stays about one frame long.
    if (start_ > 0 && start_ >= buffer_.size() / 2) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
        start_ = 0;
    }
    buffer_.insert(buffer_.end(), data, data + size);
}

bool FrameDecoder::Next(Frame& frame) {
    if (failed_) return false;
    size_t available = buffer_.size() - start_;
    if (available < kHeaderSize) return false;
    Header header;
    HeaderStatus status = DecodeHeader(buffer_.data() + start_, header);
    if (status != HeaderStatus::Ok) {
        failed_ = true;
        error_ = status;
        buffer_.clear();
        start_ = 0;
        return false;
    }
    if (available < kHeaderSize + header.length) return false;
    const uint8_t* body = buffer_.data() + start_ + kHeaderSize;
    frame.type = header.type;
    frame.requestId = header.requestId;
    frame.payload.assign(body, body + header.length);
    start_ += kHeaderSize + header.length;
    if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    }
    return true;
}

Writer& Writer::U8(uint8_t v) {
    data_.push_back(v);
    return *this;
}

Writer& Writer::U16(uint16_t v) {
    data_.push_back(static_cast<uint8_t>(v));
    data_.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
}

Writer& Writer::U32(uint32_t v) {
    uint8_t b[4];
    Store32(b, v);
    data_.insert(data_.end(), b, b + 4);
    return *this;
}

Writer& Writer::U64(uint64_t v) {
    U32(static_cast<uint32_t>(v));
    return U32(static_cast<uint32_t>(v >> 32));
}

Writer& Writer::Bytes(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    data_.insert(data_.end(), p, p + size);
    return *this;
}

Writer& Writer::Text(std::string_view text) {
    size_t n = text.size() > 0xFFFF ? 0xFFFF : text.size();
    U16(static_cast<uint16_t>(n));
    return Bytes(text.data(), n);
}

const uint8_t* Reader::Bytes(size_t size) {
    if (!ok_ || size > size_ - pos_) {
        ok_ = false;
        return nullptr;
    }
    const uint8_t* p = data_ + pos_;
    pos_ += size;
    return p;
}

uint8_t Reader::U8() {
    const uint8_t* p = Bytes(1);
    return p ? p[0] : 0;
}

uint16_t Reader::U16() {
    const uint8_t* p = Bytes(2);
    return p ? static_cast<uint16_t>(p[0] | p[1] << 8) : 0;
}

uint32_t Reader::U32() {
    const uint8_t* p = Bytes(4);
    return p ? Load32(p) : 0;
}

uint64_t Reader::U64() {
    uint64_t low = U32();
    uint64_t high = U32();
    return ok_ ? (low | high << 32) : 0;
}

std::string Reader::Text() {
    uint16_t n = U16();
    const uint8_t* p = Bytes(n);
    return p ? std::string(reinterpret_cast<const char*>(p), n) : std::string();
}

}  // namespace quorn
