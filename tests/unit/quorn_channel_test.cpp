// The secure channel's pieces: our portable X25519 against RFC 7748 and against libcrypto's,
// the platform's hashing and stretching against published values, and a record layer that
// opens only the next untouched frame of its peer.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "quorn/Channel.h"
#include "quorn/Crypto.h"
#include "quorn/X25519.h"

namespace quorn {
namespace {

std::vector<uint8_t> Hex(const std::string& text) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < text.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return out;
}

std::string HexOf(const uint8_t* bytes, size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < size; ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 15];
    }
    return out;
}

const char kBase[] = "0900000000000000000000000000000000000000000000000000000000000000";

TEST(QuornX25519, PortableLadderGivesTheRfc7748Values) {
    struct Case {
        const char* scalar;
        const char* point;
        const char* expected;
    } cases[] = {
        {"a546e36bf0527c9d3b16154b82465edd62144c0ac1fc5a18506a2244ba449ac4",
         "e6db6867583030db3594c1a424b15f7c726624ec26b3353b10a903a6d0ab1c4c",
         "c3da55379de9c6908e94ea4df28d084f32eccf03491c71f754b4075577a28552"},
        {"4b66e9d4d1b4673c5ad22691957d6af5c11b6421e0ea01d42ca4169e7918ba0d",
         "e5210f12786811d3f4b7959d0538ae2c31dbe7106fc03c3efc4cd549c715a493",
         "95cbde9476e8907d7aade45cb4b873f88b595a68799fa152e6f8f7647aac7957"},
        // Alice's and Bob's public keys, then their shared secret from either side.
        {"77076d0a7318a57d3c16c17251b26645df4c2f87ebc0992ab177fba51db92c2a", kBase,
         "8520f0098930a754748b7ddcb43ef75a0dbf3a0d26381af4eba4a98eaa9b4e6a"},
        {"5dab087e624a8a4b79e17f8b83800ee66f3bb1292618b6fd1c2f8b27ff88e0eb", kBase,
         "de9edb7d7b7dc1b4d35b61c2ece435373f8343c85b78674dadfc7e146f882b4f"},
        {"77076d0a7318a57d3c16c17251b26645df4c2f87ebc0992ab177fba51db92c2a",
         "de9edb7d7b7dc1b4d35b61c2ece435373f8343c85b78674dadfc7e146f882b4f",
         "4a5d9d5ba4ce2de1728e3bf480350f25e07e21c947d19e3376f09b3c1e161742"},
        {"5dab087e624a8a4b79e17f8b83800ee66f3bb1292618b6fd1c2f8b27ff88e0eb",
         "8520f0098930a754748b7ddcb43ef75a0dbf3a0d26381af4eba4a98eaa9b4e6a",
         "4a5d9d5ba4ce2de1728e3bf480350f25e07e21c947d19e3376f09b3c1e161742"},
    };
    for (const auto& c : cases) {
        uint8_t out[32];
        X25519Portable(out, Hex(c.scalar).data(), Hex(c.point).data());
        EXPECT_EQ(HexOf(out, 32), c.expected) << c.scalar;
    }
    // The iterated test: k and u start at 9; each round k, u = X25519(k, u), k.
    std::vector<uint8_t> k = Hex(kBase), u = Hex(kBase);
    for (int round = 1; round <= 1000; ++round) {
        uint8_t out[32];
        X25519Portable(out, k.data(), u.data());
        u = k;
        k.assign(out, out + 32);
        if (round == 1) {
            EXPECT_EQ(HexOf(k.data(), 32),
                      "422c8e7a6227d7bca1350b3e2bb7279f7897b87bb6854b783c60e80311ae3079");
        }
    }
    EXPECT_EQ(HexOf(k.data(), 32),
              "684cf59ba83309552800ef566f2f4d3c1c3887c49360e3875f2eb94d99532c51");
}

TEST(QuornX25519, PortableAndPlatformAgreeOnKeysAndSecrets) {
    std::mt19937 rng(7748);
    for (int round = 0; round < 32; ++round) {
        X25519Key mine, theirs, minePublic, theirsPublic, platformPublic, a, b;
        for (auto& x : mine) x = static_cast<uint8_t>(rng());
        for (auto& x : theirs) x = static_cast<uint8_t>(rng());
        X25519Portable(minePublic.data(), mine.data(), Hex(kBase).data());
        ASSERT_TRUE(X25519PublicKey(mine, platformPublic));
        EXPECT_EQ(minePublic, platformPublic);
        ASSERT_TRUE(X25519PublicKey(theirs, theirsPublic));
        X25519Portable(a.data(), mine.data(), theirsPublic.data());
        ASSERT_TRUE(X25519SharedSecret(theirs, minePublic, b));
        EXPECT_EQ(a, b);
    }
}

TEST(QuornCrypto, HashAndStretchGiveThePublishedValues) {
    Digest out;
    ASSERT_TRUE(Sha256("abc", 3, out));
    EXPECT_EQ(HexOf(out.data(), 32),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    const auto* salt = reinterpret_cast<const uint8_t*>("salt");
    ASSERT_TRUE(Pbkdf2Sha256("password", salt, 4, 1, out));
    EXPECT_EQ(HexOf(out.data(), 32),
              "120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b");
    ASSERT_TRUE(Pbkdf2Sha256("password", salt, 4, 4096, out));
    EXPECT_EQ(HexOf(out.data(), 32),
              "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a");
}

// A client and a device end over one channel; frames the client sealed, as a list.
struct Ends {
    RecordLayer client, device;
    Ends() {
        ChannelKeys keys;
        X25519Key shared{9};
        Digest hello{};
        EXPECT_TRUE(DeriveChannelKeys(shared, hello, keys));
        EXPECT_NE(keys.clientToDevice, keys.deviceToClient);
        client.Start(keys.clientToDevice, keys.deviceToClient);
        device.Start(keys.deviceToClient, keys.clientToDevice);
    }
    std::vector<Frame> Sealed(int count) {
        std::vector<Frame> frames;
        for (int i = 0; i < count; ++i) {
            std::vector<uint8_t> bytes, payload(40 + i, static_cast<uint8_t>(i));
            EXPECT_TRUE(client.Seal(0x11, 10 + i, payload.data(), payload.size(), bytes));
            FrameDecoder decoder;
            decoder.Feed(bytes.data(), bytes.size());
            Frame f;
            EXPECT_TRUE(decoder.Next(f));
            frames.push_back(f);
        }
        return frames;
    }
};

TEST(QuornRecordLayer, OpensTheNextUntouchedFrameOnly) {
    {
        Ends ends;
        for (Frame& f : ends.Sealed(3)) {
            size_t size = f.payload.size() - kGcmTagSize;
            ASSERT_TRUE(ends.device.Open(f));
            EXPECT_EQ(f.payload.size(), size);
        }
    }
    struct Case {
        const char* what;
        void (*spoil)(std::vector<Frame>& frames);
    } cases[] = {
        {"payload bit", [](std::vector<Frame>& f) { f[1].payload[3] ^= 1; }},
        {"tag bit", [](std::vector<Frame>& f) { f[1].payload.back() ^= 0x80; }},
        {"type in header", [](std::vector<Frame>& f) { f[1].type = 0x13; }},
        {"request id in header", [](std::vector<Frame>& f) { f[1].requestId++; }},
        {"replayed", [](std::vector<Frame>& f) { f[1] = f[0]; }},
        {"reordered", [](std::vector<Frame>& f) { std::swap(f[1], f[2]); }},
        {"cut short", [](std::vector<Frame>& f) { f[1].payload.resize(kGcmTagSize - 1); }},
    };
    for (const auto& c : cases) {
        Ends ends;
        std::vector<Frame> frames = ends.Sealed(3);
        c.spoil(frames);
        EXPECT_TRUE(ends.device.Open(frames[0])) << c.what;
        EXPECT_FALSE(ends.device.Open(frames[1])) << c.what;
        // Nothing opens after a failure, not even a sound frame.
        EXPECT_FALSE(ends.device.Open(frames[2])) << c.what;
    }
    // A frame the device sent, reflected back to it, does not open.
    Ends ends;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ends.device.Seal(0x91, 1, "x", 1, bytes));
    Frame echoed{0x91, 1, std::vector<uint8_t>(bytes.begin() + kHeaderSize, bytes.end())};
    EXPECT_FALSE(ends.device.Open(echoed));
}

}  // namespace
}  // namespace quorn
