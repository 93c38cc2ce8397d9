// Hashing and randomness for the login challenge, from the platform (OpenSSL's libcrypto on
// Linux, BCrypt on Windows). One file per platform.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorn {

using Digest = std::array<uint8_t, 32>;

// HMAC-SHA256. False only when the platform's provider fails.
bool HmacSha256(const void* key, size_t keySize, const void* data, size_t dataSize, Digest& out);
// Cryptographically random bytes.
bool RandomBytes(void* out, size_t size);

// What the client proves it knows: HMAC-SHA256(password, label | server nonce | client nonce |
// user). The device computes the same from its stored password.
bool LoginProof(std::string_view password, const uint8_t* serverNonce, const uint8_t* clientNonce,
                std::string_view user, Digest& out);
// The session key that masks password fields of later requests.
bool SessionKey(std::string_view password, const uint8_t* serverNonce, const uint8_t* clientNonce,
                std::string_view user, Digest& out);
// XORs the 96-byte password field with HMAC-SHA256(key, label | request id | block index)
// blocks; applying it twice restores the field.
bool MaskPasswordField(const Digest& key, uint32_t requestId, uint8_t which, uint8_t* field96);

// Comparison whose time does not depend on where the digests differ.
bool DigestsEqual(const Digest& a, const Digest& b);

}  // namespace quorn
