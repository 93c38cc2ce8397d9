// libcrypto's one-shot HMAC and its random generator.
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

bool RandomBytes(void* out, size_t size) {
    return size <= INT_MAX &&
           RAND_bytes(static_cast<unsigned char*>(out), static_cast<int>(size)) == 1;
}

}  // namespace quorn
