// BCrypt (part of Windows since Vista): SHA-256 and HMAC-SHA256 through hash objects, PBKDF2,
// AES-GCM and the system RNG. X25519 is our own: Wine's CNG agrees ECDH keys but cannot hand
// out the secret.
#include <windows.h>

#include <bcrypt.h>

#include <cstring>

#include "quorn/Crypto.h"
#include "quorn/X25519.h"

namespace quorn {

namespace {

bool Succeeded(NTSTATUS status) {
    return status >= 0;
}

// SHA-256, keyed (HMAC) when `key` is given.
bool Hash(const void* key, size_t keySize, const void* data, size_t dataSize, Digest& out) {
    if (keySize > 0xFFFFFFFFu || dataSize > 0xFFFFFFFFu) return false;
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!Succeeded(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr,
                                               key ? BCRYPT_ALG_HANDLE_HMAC_FLAG : 0)))
        return false;
    static UCHAR empty = 0;
    BCRYPT_HASH_HANDLE hash = nullptr;
    PUCHAR secret =
        key ? (keySize ? static_cast<PUCHAR>(const_cast<void*>(key)) : &empty) : nullptr;
    bool ok = Succeeded(
        BCryptCreateHash(algorithm, &hash, nullptr, 0, secret, static_cast<ULONG>(keySize), 0));
    if (ok) {
        ok = Succeeded(BCryptHashData(hash, static_cast<PUCHAR>(const_cast<void*>(data)),
                                      static_cast<ULONG>(dataSize), 0)) &&
             Succeeded(BCryptFinishHash(hash, out.data(), static_cast<ULONG>(out.size()), 0));
        BCryptDestroyHash(hash);
    }
    BCryptCloseAlgorithmProvider(algorithm, 0);
    return ok;
}

}  // namespace

bool HmacSha256(const void* key, size_t keySize, const void* data, size_t dataSize, Digest& out) {
    static const UCHAR kEmpty = 0;
    return Hash(key ? key : &kEmpty, keySize, data, dataSize, out);
}

bool Sha256(const void* data, size_t size, Digest& out) {
    return Hash(nullptr, 0, data, size, out);
}

struct Sha256Stream::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool ok = false;
};

Sha256Stream::Sha256Stream() : m_state(std::make_unique<State>()) {
    State& s = *m_state;
    s.ok =
        Succeeded(BCryptOpenAlgorithmProvider(&s.algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) &&
        Succeeded(BCryptCreateHash(s.algorithm, &s.hash, nullptr, 0, nullptr, 0, 0));
}

Sha256Stream::~Sha256Stream() {
    if (m_state->hash) BCryptDestroyHash(m_state->hash);
    if (m_state->algorithm) BCryptCloseAlgorithmProvider(m_state->algorithm, 0);
}

bool Sha256Stream::Update(const void* data, size_t size) {
    State& s = *m_state;
    s.ok = s.ok && size <= 0xFFFFFFFFu &&
           Succeeded(BCryptHashData(s.hash, static_cast<PUCHAR>(const_cast<void*>(data)),
                                    static_cast<ULONG>(size), 0));
    return s.ok;
}

bool Sha256Stream::Final(Digest& out) {
    State& s = *m_state;
    s.ok =
        s.ok && Succeeded(BCryptFinishHash(s.hash, out.data(), static_cast<ULONG>(out.size()), 0));
    return s.ok;
}

bool Pbkdf2Sha256(std::string_view password, const uint8_t* salt, size_t saltSize, uint32_t count,
                  Digest& out) {
    if (password.size() > 0xFFFFFFFFu || saltSize > 0xFFFFFFFFu || count == 0) return false;
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!Succeeded(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr,
                                               BCRYPT_ALG_HANDLE_HMAC_FLAG)))
        return false;
    static UCHAR empty = 0;
    PUCHAR secret =
        password.empty() ? &empty : reinterpret_cast<PUCHAR>(const_cast<char*>(password.data()));
    bool ok = Succeeded(BCryptDeriveKeyPBKDF2(
        algorithm, secret, static_cast<ULONG>(password.size()), const_cast<PUCHAR>(salt),
        static_cast<ULONG>(saltSize), count, out.data(), static_cast<ULONG>(out.size()), 0));
    BCryptCloseAlgorithmProvider(algorithm, 0);
    return ok;
}

void SecureWipe(void* data, size_t size) {
    SecureZeroMemory(data, size);
}

bool RandomBytes(void* out, size_t size) {
    if (size > 0xFFFFFFFFu) return false;
    return Succeeded(BCryptGenRandom(nullptr, static_cast<PUCHAR>(out), static_cast<ULONG>(size),
                                     BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

bool X25519PublicKey(const X25519Key& privateKey, X25519Key& publicKey) {
    static const uint8_t kBase[32] = {9};
    X25519Portable(publicKey.data(), privateKey.data(), kBase);
    return true;
}

bool X25519SharedSecret(const X25519Key& privateKey, const X25519Key& peerKey, X25519Key& secret) {
    X25519Portable(secret.data(), privateKey.data(), peerKey.data());
    uint8_t any = 0;
    for (uint8_t b : secret) any |= b;
    return any != 0;
}

struct GcmKey::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_KEY_HANDLE key = nullptr;
};

GcmKey::GcmKey() : state_(std::make_unique<State>()) {}

GcmKey::~GcmKey() {
    if (state_->key) BCryptDestroyKey(state_->key);
    if (state_->algorithm) BCryptCloseAlgorithmProvider(state_->algorithm, 0);
}

bool GcmKey::SetKey(const Digest& key) {
    if (state_->key) return false;
    if (!Succeeded(
            BCryptOpenAlgorithmProvider(&state_->algorithm, BCRYPT_AES_ALGORITHM, nullptr, 0)) ||
        !Succeeded(
            BCryptSetProperty(state_->algorithm, BCRYPT_CHAINING_MODE,
                              reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_GCM)),
                              sizeof(BCRYPT_CHAIN_MODE_GCM), 0)))
        return false;
    return Succeeded(BCryptGenerateSymmetricKey(state_->algorithm, &state_->key, nullptr, 0,
                                                const_cast<PUCHAR>(key.data()),
                                                static_cast<ULONG>(key.size()), 0));
}

namespace {

BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO ModeInfo(const uint8_t* nonce, const uint8_t* aad,
                                               size_t aadSize, uint8_t* tag) {
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info;
    BCRYPT_INIT_AUTH_MODE_INFO(info);
    info.pbNonce = const_cast<PUCHAR>(nonce);
    info.cbNonce = static_cast<ULONG>(kGcmNonceSize);
    info.pbAuthData = const_cast<PUCHAR>(aad);
    info.cbAuthData = static_cast<ULONG>(aadSize);
    info.pbTag = tag;
    info.cbTag = static_cast<ULONG>(kGcmTagSize);
    return info;
}

}  // namespace

// BCrypt is not promised to work in place, so each call goes through a scratch copy.
bool GcmKey::Seal(const uint8_t* nonce, const uint8_t* aad, size_t aadSize, uint8_t* data,
                  size_t size, uint8_t* tag) {
    if (!state_->key || size > 0xFFFFFFFFu || aadSize > 0xFFFFFFFFu) return false;
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info = ModeInfo(nonce, aad, aadSize, tag);
    std::unique_ptr<uint8_t[]> plain(new (std::nothrow) uint8_t[size ? size : 1]);
    if (!plain) return false;
    if (size) std::memcpy(plain.get(), data, size);
    ULONG written = 0;
    return Succeeded(BCryptEncrypt(state_->key, plain.get(), static_cast<ULONG>(size), &info,
                                   nullptr, 0, data, static_cast<ULONG>(size), &written, 0)) &&
           written == size;
}

bool GcmKey::Open(const uint8_t* nonce, const uint8_t* aad, size_t aadSize, uint8_t* data,
                  size_t size, const uint8_t* tag) {
    if (!state_->key || size > 0xFFFFFFFFu || aadSize > 0xFFFFFFFFu) return false;
    uint8_t expected[kGcmTagSize];
    std::memcpy(expected, tag, sizeof expected);
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info = ModeInfo(nonce, aad, aadSize, expected);
    std::unique_ptr<uint8_t[]> sealed(new (std::nothrow) uint8_t[size ? size : 1]);
    if (!sealed) return false;
    if (size) std::memcpy(sealed.get(), data, size);
    ULONG written = 0;
    return Succeeded(BCryptDecrypt(state_->key, sealed.get(), static_cast<ULONG>(size), &info,
                                   nullptr, 0, data, static_cast<ULONG>(size), &written, 0)) &&
           written == size;
}

}  // namespace quorn
