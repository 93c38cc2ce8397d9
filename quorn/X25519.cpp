#include "quorn/X25519.h"

#include <cstring>

#include "quorn/Crypto.h"

namespace quorn {

namespace {

// A field element mod 2^255 - 19 in sixteen 16-bit limbs held in 64-bit integers, so that
// products and carries never overflow.
using Field = int64_t[16];

// Every value the ladder computes depends on the secret scalar.
void Wipe(Field f) {
    SecureWipe(f, sizeof(Field));
}

void Carry(Field o) {
    for (int i = 0; i < 16; ++i) {
        o[i] += int64_t(1) << 16;
        int64_t c = o[i] >> 16;
        if (i < 15) {
            o[i + 1] += c - 1;
        } else {
            o[0] += 38 * (c - 1);  // 2^256 = 38 mod p
        }
        o[i] -= c * (int64_t(1) << 16);
    }
}

// Swaps p and q when bit is 1, without a branch on it.
void Select(Field p, Field q, int64_t bit) {
    int64_t mask = ~(bit - 1);
    for (int i = 0; i < 16; ++i) {
        int64_t t = mask & (p[i] ^ q[i]);
        p[i] ^= t;
        q[i] ^= t;
    }
}

void Pack(uint8_t* out, const Field n) {
    Field m, t;
    for (int i = 0; i < 16; ++i) t[i] = n[i];
    Carry(t);
    Carry(t);
    Carry(t);
    for (int j = 0; j < 2; ++j) {
        m[0] = t[0] - 0xffed;
        for (int i = 1; i < 15; ++i) {
            m[i] = t[i] - 0xffff - ((m[i - 1] >> 16) & 1);
            m[i - 1] &= 0xffff;
        }
        m[15] = t[15] - 0x7fff - ((m[14] >> 16) & 1);
        int64_t borrow = (m[15] >> 16) & 1;
        m[14] &= 0xffff;
        Select(t, m, 1 - borrow);
    }
    for (int i = 0; i < 16; ++i) {
        out[2 * i] = static_cast<uint8_t>(t[i] & 0xff);
        out[2 * i + 1] = static_cast<uint8_t>(t[i] >> 8);
    }
    Wipe(m);
    Wipe(t);
}

void Unpack(Field o, const uint8_t* n) {
    for (int i = 0; i < 16; ++i) o[i] = n[2 * i] + (int64_t(n[2 * i + 1]) << 8);
    o[15] &= 0x7fff;
}

void Add(Field o, const Field a, const Field b) {
    for (int i = 0; i < 16; ++i) o[i] = a[i] + b[i];
}

void Sub(Field o, const Field a, const Field b) {
    for (int i = 0; i < 16; ++i) o[i] = a[i] - b[i];
}

void Mul(Field o, const Field a, const Field b) {
    int64_t t[31] = {};
    for (int i = 0; i < 16; ++i) {
        for (int j = 0; j < 16; ++j) t[i + j] += a[i] * b[j];
    }
    for (int i = 0; i < 15; ++i) t[i] += 38 * t[i + 16];
    for (int i = 0; i < 16; ++i) o[i] = t[i];
    Carry(o);
    Carry(o);
    SecureWipe(t, sizeof t);
}

void Square(Field o, const Field a) {
    Mul(o, a, a);
}

// a^(p-2) by a fixed chain of squarings and multiplications.
void Invert(Field o, const Field in) {
    Field c;
    for (int i = 0; i < 16; ++i) c[i] = in[i];
    for (int a = 253; a >= 0; --a) {
        Square(c, c);
        if (a != 2 && a != 4) Mul(c, c, in);
    }
    for (int i = 0; i < 16; ++i) o[i] = c[i];
    Wipe(c);
}

}  // namespace

void X25519Portable(uint8_t out[32], const uint8_t scalar[32], const uint8_t point[32]) {
    static const Field k121665 = {0xDB41, 1};
    uint8_t z[32];
    std::memcpy(z, scalar, 32);
    z[31] = static_cast<uint8_t>((z[31] & 127) | 64);
    z[0] &= 248;
    Field x, a = {}, b, c = {}, d = {}, e, f;
    Unpack(x, point);
    for (int i = 0; i < 16; ++i) b[i] = x[i];
    a[0] = d[0] = 1;
    for (int i = 254; i >= 0; --i) {
        int64_t bit = (z[i >> 3] >> (i & 7)) & 1;
        Select(a, b, bit);
        Select(c, d, bit);
        Add(e, a, c);
        Sub(a, a, c);
        Add(c, b, d);
        Sub(b, b, d);
        Square(d, e);
        Square(f, a);
        Mul(a, c, a);
        Mul(c, b, e);
        Add(e, a, c);
        Sub(a, a, c);
        Square(b, a);
        Sub(c, d, f);
        Mul(a, c, k121665);
        Add(a, a, d);
        Mul(c, c, a);
        Mul(a, d, f);
        Mul(d, b, x);
        Square(b, e);
        Select(a, b, bit);
        Select(c, d, bit);
    }
    Invert(c, c);
    Mul(a, a, c);
    Pack(out, a);
    SecureWipe(z, sizeof z);
    for (Field* value : {&x, &a, &b, &c, &d, &e, &f}) Wipe(*value);
}

}  // namespace quorn
