#include "quorn/Channel.h"

#include <cstring>

#include "quorn/Protocol.h"

namespace quorn {

bool NewKeyShare(KeyShare& share) {
    return RandomBytes(share.privateKey.data(), share.privateKey.size()) &&
           X25519PublicKey(share.privateKey, share.publicKey);
}

void Transcript::Add(const std::vector<uint8_t>& payload) {
    uint32_t n = static_cast<uint32_t>(payload.size());
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(n >> (8 * i)));
    bytes_.insert(bytes_.end(), payload.begin(), payload.end());
}

bool Transcript::Hash(Digest& out) const {
    return Sha256(bytes_.data(), bytes_.size(), out);
}

bool DeriveChannelKeys(const X25519Key& shared, const Digest& helloHash, ChannelKeys& out) {
    Digest prk;
    if (!HmacSha256(helloHash.data(), helloHash.size(), shared.data(), shared.size(), prk))
        return false;
    // One HKDF-Expand block each: T(1) = HMAC(PRK, info | 0x01).
    static const char kClient[] = "QRN2 client to device\x01";
    static const char kDevice[] = "QRN2 device to client\x01";
    bool ok = HmacSha256(prk.data(), prk.size(), kClient, sizeof kClient - 1, out.clientToDevice) &&
              HmacSha256(prk.data(), prk.size(), kDevice, sizeof kDevice - 1, out.deviceToClient);
    SecureWipe(prk);
    return ok;
}

bool RecordLayer::Start(const Digest& sendKey, const Digest& receiveKey) {
    active_ = send_.SetKey(sendKey) && receive_.SetKey(receiveKey);
    return active_;
}

void RecordLayer::Nonce(uint64_t sequence, uint8_t* nonce) {
    std::memset(nonce, 0, kGcmNonceSize);
    for (int i = 0; i < 8; ++i) nonce[4 + i] = static_cast<uint8_t>(sequence >> (8 * i));
}

bool RecordLayer::Seal(uint8_t type, uint32_t requestId, const void* payload, size_t size,
                       std::vector<uint8_t>& out) {
    if (!active_ || sendFailed_ || size > kMaxPayload || sent_ == UINT64_MAX) return false;
    out.resize(kHeaderSize + size + kGcmTagSize);
    EncodeHeader(type, requestId, static_cast<uint32_t>(size + kGcmTagSize), out.data());
    if (size) std::memcpy(out.data() + kHeaderSize, payload, size);
    uint8_t nonce[kGcmNonceSize];
    Nonce(sent_, nonce);
    if (!send_.Seal(nonce, out.data(), kHeaderSize, out.data() + kHeaderSize, size,
                    out.data() + kHeaderSize + size)) {
        sendFailed_ = true;
        return false;
    }
    sent_++;
    return true;
}

bool RecordLayer::Open(Frame& frame) {
    if (!active_ || receiveFailed_ || frame.payload.size() < kGcmTagSize ||
        received_ == UINT64_MAX) {
        receiveFailed_ = true;
        return false;
    }
    uint8_t header[kHeaderSize];
    EncodeHeader(frame.type, frame.requestId, static_cast<uint32_t>(frame.payload.size()), header);
    size_t size = frame.payload.size() - kGcmTagSize;
    uint8_t nonce[kGcmNonceSize];
    Nonce(received_, nonce);
    if (!receive_.Open(nonce, header, sizeof header, frame.payload.data(), size,
                       frame.payload.data() + size)) {
        receiveFailed_ = true;
        return false;
    }
    frame.payload.resize(size);
    received_++;
    return true;
}

bool LoginKey(std::string_view password, const uint8_t* salt, uint32_t count, Digest& out) {
    return Pbkdf2Sha256(password, salt, kSaltSize, count, out);
}

}  // namespace quorn
