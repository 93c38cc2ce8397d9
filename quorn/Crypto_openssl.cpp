// libcrypto: one-shot HMAC and digest, PBKDF2, X25519 and AES-GCM through EVP, its generator.
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <climits>

#include "quorn/Crypto.h"

namespace quorn {

bool HmacSha256(const void* key, size_t keySize, const void* data, size_t dataSize, Digest& out) {
    // An empty password is a valid key; libcrypto wants a non-null pointer for it.
    static const unsigned char kEmpty = 0;
    unsigned int length = 0;
    const void* k = keySize ? key : &kEmpty;
    return keySize <= INT_MAX &&
           HMAC(EVP_sha256(), k, static_cast<int>(keySize), static_cast<const unsigned char*>(data),
                dataSize, out.data(), &length) != nullptr &&
           length == out.size();
}

bool Sha256(const void* data, size_t size, Digest& out) {
    unsigned int length = 0;
    return EVP_Digest(data, size, out.data(), &length, EVP_sha256(), nullptr) == 1 &&
           length == out.size();
}

struct Sha256Stream::State {
    EVP_MD_CTX* context = nullptr;
    bool ok = false;
};

Sha256Stream::Sha256Stream() : m_state(std::make_unique<State>()) {
    m_state->context = EVP_MD_CTX_new();
    m_state->ok =
        m_state->context && EVP_DigestInit_ex(m_state->context, EVP_sha256(), nullptr) == 1;
}

Sha256Stream::~Sha256Stream() {
    EVP_MD_CTX_free(m_state->context);
}

bool Sha256Stream::Update(const void* data, size_t size) {
    m_state->ok = m_state->ok && EVP_DigestUpdate(m_state->context, data, size) == 1;
    return m_state->ok;
}

bool Sha256Stream::Final(Digest& out) {
    unsigned int length = 0;
    m_state->ok = m_state->ok && EVP_DigestFinal_ex(m_state->context, out.data(), &length) == 1 &&
                  length == out.size();
    return m_state->ok;
}

bool Pbkdf2Sha256(std::string_view password, const uint8_t* salt, size_t saltSize, uint32_t count,
                  Digest& out) {
    static const char kEmpty = 0;
    if (password.size() > INT_MAX || saltSize > INT_MAX || count == 0 || count > INT_MAX)
        return false;
    return PKCS5_PBKDF2_HMAC(password.empty() ? &kEmpty : password.data(),
                             static_cast<int>(password.size()), salt, static_cast<int>(saltSize),
                             static_cast<int>(count), EVP_sha256(), static_cast<int>(out.size()),
                             out.data()) == 1;
}

void SecureWipe(void* data, size_t size) {
    OPENSSL_cleanse(data, size);
}

bool RandomBytes(void* out, size_t size) {
    return size <= INT_MAX &&
           RAND_bytes(static_cast<unsigned char*>(out), static_cast<int>(size)) == 1;
}

bool X25519PublicKey(const X25519Key& privateKey, X25519Key& publicKey) {
    EVP_PKEY* key = EVP_PKEY_new_raw_private_key(EVP_PKEY_X25519, nullptr, privateKey.data(),
                                                 privateKey.size());
    size_t length = publicKey.size();
    bool ok = key && EVP_PKEY_get_raw_public_key(key, publicKey.data(), &length) == 1 &&
              length == publicKey.size();
    EVP_PKEY_free(key);
    return ok;
}

bool X25519SharedSecret(const X25519Key& privateKey, const X25519Key& peerKey, X25519Key& secret) {
    EVP_PKEY* own = EVP_PKEY_new_raw_private_key(EVP_PKEY_X25519, nullptr, privateKey.data(),
                                                 privateKey.size());
    EVP_PKEY* peer =
        EVP_PKEY_new_raw_public_key(EVP_PKEY_X25519, nullptr, peerKey.data(), peerKey.size());
    EVP_PKEY_CTX* context = own ? EVP_PKEY_CTX_new(own, nullptr) : nullptr;
    size_t length = secret.size();
    bool ok = peer && context && EVP_PKEY_derive_init(context) == 1 &&
              EVP_PKEY_derive_set_peer(context, peer) == 1 &&
              EVP_PKEY_derive(context, secret.data(), &length) == 1 && length == secret.size();
    EVP_PKEY_CTX_free(context);
    EVP_PKEY_free(peer);
    EVP_PKEY_free(own);
    uint8_t any = 0;
    for (uint8_t b : secret) any |= b;
    return ok && any != 0;
}

struct GcmKey::State {
    EVP_CIPHER_CTX* seal = nullptr;
    EVP_CIPHER_CTX* open = nullptr;
};

GcmKey::GcmKey() : state_(std::make_unique<State>()) {}

GcmKey::~GcmKey() {
    EVP_CIPHER_CTX_free(state_->seal);
    EVP_CIPHER_CTX_free(state_->open);
}

bool GcmKey::SetKey(const Digest& key) {
    if (!state_->seal) state_->seal = EVP_CIPHER_CTX_new();
    if (!state_->open) state_->open = EVP_CIPHER_CTX_new();
    return state_->seal && state_->open &&
           EVP_EncryptInit_ex(state_->seal, EVP_aes_256_gcm(), nullptr, key.data(), nullptr) == 1 &&
           EVP_DecryptInit_ex(state_->open, EVP_aes_256_gcm(), nullptr, key.data(), nullptr) == 1;
}

bool GcmKey::Seal(const uint8_t* nonce, const uint8_t* aad, size_t aadSize, uint8_t* data,
                  size_t size, uint8_t* tag) {
    EVP_CIPHER_CTX* c = state_->seal;
    int n = 0;
    if (!c || size > INT_MAX || aadSize > INT_MAX) return false;
    return EVP_EncryptInit_ex(c, nullptr, nullptr, nullptr, nonce) == 1 &&
           EVP_EncryptUpdate(c, nullptr, &n, aad, static_cast<int>(aadSize)) == 1 &&
           (size == 0 || EVP_EncryptUpdate(c, data, &n, data, static_cast<int>(size)) == 1) &&
           EVP_EncryptFinal_ex(c, data + size, &n) == 1 &&
           EVP_CIPHER_CTX_ctrl(c, EVP_CTRL_GCM_GET_TAG, static_cast<int>(kGcmTagSize), tag) == 1;
}

bool GcmKey::Open(const uint8_t* nonce, const uint8_t* aad, size_t aadSize, uint8_t* data,
                  size_t size, const uint8_t* tag) {
    EVP_CIPHER_CTX* c = state_->open;
    int n = 0;
    if (!c || size > INT_MAX || aadSize > INT_MAX) return false;
    return EVP_DecryptInit_ex(c, nullptr, nullptr, nullptr, nonce) == 1 &&
           EVP_DecryptUpdate(c, nullptr, &n, aad, static_cast<int>(aadSize)) == 1 &&
           (size == 0 || EVP_DecryptUpdate(c, data, &n, data, static_cast<int>(size)) == 1) &&
           EVP_CIPHER_CTX_ctrl(c, EVP_CTRL_GCM_SET_TAG, static_cast<int>(kGcmTagSize),
                               const_cast<uint8_t*>(tag)) == 1 &&
           EVP_DecryptFinal_ex(c, data + size, &n) == 1;
}

}  // namespace quorn
