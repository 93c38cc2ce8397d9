#include <cstring>
#include <string>

#include "quorn/Crypto.h"
#include "quorn/Protocol.h"

namespace quorn {

namespace {

bool LabelledMac(std::string_view label, std::string_view password, const uint8_t* serverNonce,
                 const uint8_t* clientNonce, std::string_view user, Digest& out) {
    std::string message(label);
    message.append(reinterpret_cast<const char*>(serverNonce), kNonceSize);
    message.append(reinterpret_cast<const char*>(clientNonce), kNonceSize);
    message.append(user);
    return HmacSha256(password.data(), password.size(), message.data(), message.size(), out);
}

}  // namespace

bool LoginProof(std::string_view password, const uint8_t* serverNonce, const uint8_t* clientNonce,
                std::string_view user, Digest& out) {
    return LabelledMac("QRN1 login", password, serverNonce, clientNonce, user, out);
}

bool SessionKey(std::string_view password, const uint8_t* serverNonce, const uint8_t* clientNonce,
                std::string_view user, Digest& out) {
    return LabelledMac("QRN1 session", password, serverNonce, clientNonce, user, out);
}

bool MaskPasswordField(const Digest& key, uint32_t requestId, uint8_t which, uint8_t* field96) {
    for (uint8_t block = 0; block < 3; ++block) {
        uint8_t message[16] = {'Q', 'R', 'N', '1', ' ', 'm', 'a', 's', 'k'};
        for (int i = 0; i < 4; ++i) message[9 + i] = static_cast<uint8_t>(requestId >> (8 * i));
        message[13] = which;
        message[14] = block;
        Digest pad;
        if (!HmacSha256(key.data(), key.size(), message, sizeof message, pad)) return false;
        for (int i = 0; i < 32; ++i) field96[block * 32 + i] ^= pad[i];
    }
    return true;
}

bool DigestsEqual(const Digest& a, const Digest& b) {
    uint8_t diff = 0;
    for (size_t i = 0; i < a.size(); ++i) diff |= a[i] ^ b[i];
    return diff == 0;
}

}  // namespace quorn
