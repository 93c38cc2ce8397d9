#include "quorn/SessionProof.h"

#include <cstring>
#include <string_view>

namespace quorn {

namespace {

bool Keyed(const Digest& key, std::string_view label, Digest& out) {
    return HmacSha256(key.data(), key.size(), label.data(), label.size(), out);
}

bool Signed(const Digest& key, std::string_view label, const Digest& transcript, Digest& out) {
    uint8_t message[64];
    std::memcpy(message, label.data(), label.size());
    std::memcpy(message + label.size(), transcript.data(), transcript.size());
    return HmacSha256(key.data(), key.size(), message, label.size() + transcript.size(), out);
}

constexpr std::string_view kClientKey = "QRN3 client key";
constexpr std::string_view kDeviceKey = "QRN3 device key";
constexpr std::string_view kClientProof = "QRN3 client proof";
constexpr std::string_view kDeviceProof = "QRN3 device proof";

}  // namespace

bool MakeVerifier(const Digest& loginKey, LoginVerifier& out) {
    Digest clientKey;
    bool ok = Keyed(loginKey, kClientKey, clientKey) &&
              Sha256(clientKey.data(), clientKey.size(), out.storedKey) &&
              Keyed(loginKey, kDeviceKey, out.deviceKey);
    SecureWipe(clientKey);
    return ok;
}

bool ClientProof(const Digest& loginKey, const Digest& transcript, Digest& out) {
    Digest clientKey, storedKey, signature;
    bool ok = Keyed(loginKey, kClientKey, clientKey) &&
              Sha256(clientKey.data(), clientKey.size(), storedKey) &&
              Signed(storedKey, kClientProof, transcript, signature);
    for (size_t i = 0; i < out.size(); ++i) out[i] = clientKey[i] ^ signature[i];
    SecureWipe(clientKey);
    SecureWipe(signature);
    return ok;
}

bool ClientProofMatches(const LoginVerifier& verifier, const Digest& transcript,
                        const Digest& proof) {
    Digest signature, clientKey, hash;
    bool ok = Signed(verifier.storedKey, kClientProof, transcript, signature);
    for (size_t i = 0; i < clientKey.size(); ++i) clientKey[i] = proof[i] ^ signature[i];
    ok = ok && Sha256(clientKey.data(), clientKey.size(), hash) &&
         DigestsEqual(hash, verifier.storedKey);
    SecureWipe(clientKey);
    SecureWipe(signature);
    return ok;
}

bool DeviceProof(const LoginVerifier& verifier, const Digest& transcript, Digest& out) {
    return Signed(verifier.deviceKey, kDeviceProof, transcript, out);
}

}  // namespace quorn
