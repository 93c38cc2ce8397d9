// Primitives of the device protocol's secure channel, from the platform (OpenSSL's libcrypto on
// Linux, BCrypt on Windows; X25519 on Windows is our own, see X25519.h). One file per platform.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace quorn {

using Digest = std::array<uint8_t, 32>;
using X25519Key = std::array<uint8_t, 32>;
constexpr size_t kGcmNonceSize = 12;
constexpr size_t kGcmTagSize = 16;

// HMAC-SHA256. False only when the platform's provider fails.
bool HmacSha256(const void* key, size_t keySize, const void* data, size_t dataSize, Digest& out);
bool Sha256(const void* data, size_t size, Digest& out);
// SHA-256 of data given in pieces, such as a large file read in chunks.
class Sha256Stream {
  public:
    Sha256Stream();
    ~Sha256Stream();
    Sha256Stream(const Sha256Stream&) = delete;
    Sha256Stream& operator=(const Sha256Stream&) = delete;

    // False once the provider has failed; every later call fails too.
    bool Update(const void* data, size_t size);
    bool Final(Digest& out);

  private:
    struct State;
    std::unique_ptr<State> m_state;
};
// PBKDF2-HMAC-SHA256 with a 32-byte output.
bool Pbkdf2Sha256(std::string_view password, const uint8_t* salt, size_t saltSize, uint32_t count,
                  Digest& out);
// Cryptographically random bytes.
bool RandomBytes(void* out, size_t size);

// X25519 public key of a private scalar, and the shared secret with a peer's public key. The
// shared secret fails when it comes out all zero (a peer key of small order).
bool X25519PublicKey(const X25519Key& privateKey, X25519Key& publicKey);
bool X25519SharedSecret(const X25519Key& privateKey, const X25519Key& peerKey, X25519Key& secret);

// AES-256-GCM under one key, 12-byte nonces, 16-byte tags; data is transformed in place.
class GcmKey {
  public:
    GcmKey();
    ~GcmKey();
    GcmKey(const GcmKey&) = delete;
    GcmKey& operator=(const GcmKey&) = delete;

    bool SetKey(const Digest& key);
    bool Seal(const uint8_t* nonce, const uint8_t* aad, size_t aadSize, uint8_t* data, size_t size,
              uint8_t* tag);
    // False when the tag does not match; `data` is then garbage.
    bool Open(const uint8_t* nonce, const uint8_t* aad, size_t aadSize, uint8_t* data, size_t size,
              const uint8_t* tag);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// Comparison whose time does not depend on where the digests differ.
bool DigestsEqual(const Digest& a, const Digest& b);

// Overwrites secrets (keys, proofs, ladder values) with zeros in a way the compiler may not
// drop as a dead store, as it may a plain memset or fill before the memory goes out of scope.
void SecureWipe(void* data, size_t size);
template <size_t N>
void SecureWipe(std::array<uint8_t, N>& bytes) {
    SecureWipe(bytes.data(), bytes.size());
}

}  // namespace quorn
