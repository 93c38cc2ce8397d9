// BCrypt (part of Windows since Vista): HMAC-SHA256 through a hash object, and the system RNG.
#include <windows.h>

#include <bcrypt.h>

#include "quorn/Crypto.h"

namespace quorn {

namespace {

bool Succeeded(NTSTATUS status) {
    return status >= 0;
}

}  // namespace

bool HmacSha256(const void* key, size_t keySize, const void* data, size_t dataSize, Digest& out) {
    if (keySize > 0xFFFFFFFFu || dataSize > 0xFFFFFFFFu) return false;
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!Succeeded(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr,
                                               BCRYPT_ALG_HANDLE_HMAC_FLAG)))
        return false;
    static UCHAR empty = 0;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool ok =
        Succeeded(BCryptCreateHash(algorithm, &hash, nullptr, 0,
                                   keySize ? static_cast<PUCHAR>(const_cast<void*>(key)) : &empty,
                                   static_cast<ULONG>(keySize), 0));
    if (ok) {
        ok = Succeeded(BCryptHashData(hash, static_cast<PUCHAR>(const_cast<void*>(data)),
                                      static_cast<ULONG>(dataSize), 0)) &&
             Succeeded(BCryptFinishHash(hash, out.data(), static_cast<ULONG>(out.size()), 0));
        BCryptDestroyHash(hash);
    }
    BCryptCloseAlgorithmProvider(algorithm, 0);
    return ok;
}

bool RandomBytes(void* out, size_t size) {
    if (size > 0xFFFFFFFFu) return false;
    return Succeeded(BCryptGenRandom(nullptr, static_cast<PUCHAR>(out), static_cast<ULONG>(size),
                                     BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

}  // namespace quorn
