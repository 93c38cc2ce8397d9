// The device protocol's frame codec, the library's decoders of device messages and the login
// hashing: byte-exact headers, a decoder that survives any split of the stream and stops for
// good on anything out of step, and checked parsing of every reply.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "quorn/Channel.h"
#include "quorn/Crypto.h"
#include "quorn/Frame.h"
#include "quorn/Messages.h"
#include "quorn/Protocol.h"
#include "quorn/SessionProof.h"

namespace quorn {
namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) out.push_back(static_cast<uint8_t>(v));
    return out;
}

Frame MakeFrame(uint8_t type, uint32_t id, std::vector<uint8_t> payload) {
    Frame f;
    f.type = type;
    f.requestId = id;
    f.payload = std::move(payload);
    return f;
}

TEST(QuornFrame, HeaderIsByteExact) {
    std::vector<uint8_t> frame = EncodeFrame(0x91, 0x01020304, "\xAA\xBB", 2);
    EXPECT_EQ(frame, Bytes({'Q', 'R', 'N', 'F', 1, 0x91, 0, 0, 0x04, 0x03, 0x02, 0x01, 2, 0, 0, 0,
                            0xAA, 0xBB}));
    Header header;
    ASSERT_EQ(DecodeHeader(frame.data(), header), HeaderStatus::Ok);
    EXPECT_EQ(header.type, 0x91);
    EXPECT_EQ(header.requestId, 0x01020304u);
    EXPECT_EQ(header.length, 2u);
}

TEST(QuornFrame, DecoderGivesTheSameFramesHoweverTheStreamIsCut) {
    std::vector<uint8_t> stream;
    for (uint32_t i = 0; i < 5; ++i) {
        std::vector<uint8_t> payload(i * 300, static_cast<uint8_t>(i));
        auto f = EncodeFrame(static_cast<uint8_t>(0x10 + i), i, payload.data(), payload.size());
        stream.insert(stream.end(), f.begin(), f.end());
    }
    for (size_t piece : {size_t{1}, size_t{7}, size_t{16}, size_t{1000}, stream.size()}) {
        FrameDecoder decoder;
        std::vector<Frame> frames;
        for (size_t at = 0; at < stream.size(); at += piece) {
            decoder.Feed(stream.data() + at, std::min(piece, stream.size() - at));
            Frame f;
            while (decoder.Next(f)) frames.push_back(f);
        }
        ASSERT_EQ(frames.size(), 5u) << "piece " << piece;
        for (uint32_t i = 0; i < 5; ++i) {
            EXPECT_EQ(frames[i].type, 0x10 + i);
            EXPECT_EQ(frames[i].requestId, i);
            EXPECT_EQ(frames[i].payload, std::vector<uint8_t>(i * 300, static_cast<uint8_t>(i)));
        }
        EXPECT_FALSE(decoder.Failed());
    }
}

TEST(QuornFrame, DecoderStopsForGoodOnABadHeader) {
    struct Case {
        int offset;
        uint8_t value;
        HeaderStatus expected;
    } cases[] = {
        {0, 'q', HeaderStatus::BadMagic},
        {4, 2, HeaderStatus::BadVersion},
        {6, 1, HeaderStatus::BadFlags},
        {14, 0x10, HeaderStatus::TooLong},  // 1 MiB + tag + 1 byte announced
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bad = EncodeFrame(1, 1, nullptr, 0);
        bad[static_cast<size_t>(c.offset)] = c.value;
        if (c.expected == HeaderStatus::TooLong) bad[12] = 17;
        std::vector<uint8_t> good = EncodeFrame(1, 2, nullptr, 0);
        FrameDecoder decoder;
        decoder.Feed(bad.data(), bad.size());
        decoder.Feed(good.data(), good.size());
        Frame f;
        EXPECT_FALSE(decoder.Next(f)) << c.offset;
        EXPECT_TRUE(decoder.Failed());
        EXPECT_EQ(decoder.Error(), c.expected);
        // Nothing later is taken, even a well-formed frame.
        decoder.Feed(good.data(), good.size());
        EXPECT_FALSE(decoder.Next(f));
    }
}

TEST(QuornFrame, LargestPayloadIsAccepted) {
    std::vector<uint8_t> payload(kMaxPayload, 0x5A);
    std::vector<uint8_t> frame = EncodeFrame(0x21, 9, payload.data(), payload.size());
    FrameDecoder decoder;
    decoder.Feed(frame.data(), frame.size());
    Frame f;
    ASSERT_TRUE(decoder.Next(f));
    EXPECT_EQ(f.payload.size(), kMaxPayload);
}

TEST(QuornFrame, ReaderNeverReadsPastTheEnd) {
    std::vector<uint8_t> data = Bytes({1, 0, 0, 0, 5, 0, 'a', 'b'});
    Reader r(data);
    EXPECT_EQ(r.U32(), 1u);
    EXPECT_EQ(r.Text(), "");  // announces 5 bytes, only 2 there
    EXPECT_FALSE(r.Ok());
    EXPECT_EQ(r.U64(), 0u);
    EXPECT_EQ(r.Bytes(1), nullptr);
    Reader exact(data);
    exact.Bytes(8);
    EXPECT_TRUE(exact.Done());
}

TEST(QuornMessages, RepliesAreCheckedAgainstTheirRequest) {
    Writer hello;
    hello.I32(0).U16(2);
    for (int i = 0; i < 32; ++i) hello.U8(static_cast<uint8_t>(i));
    HelloReply offer;
    EXPECT_TRUE(DecodeHelloReply(MakeFrame(0x81, 1, hello.Data()), 1, offer));
    EXPECT_EQ(offer.publicKey[31], 31);
    EXPECT_FALSE(DecodeHelloReply(MakeFrame(0x81, 2, hello.Data()), 1, offer));  // other id
    EXPECT_FALSE(DecodeHelloReply(MakeFrame(0x01, 1, hello.Data()), 1, offer));  // no reply bit
    std::vector<uint8_t> shortHello(hello.Data().begin(), hello.Data().end() - 1);
    EXPECT_FALSE(DecodeHelloReply(MakeFrame(0x81, 1, shortHello), 1, offer));

    LoginReply login;
    ASSERT_TRUE(DecodeLoginReply(MakeFrame(0x82, 2, Bytes({5, 0, 0, 0})), 2, login));
    EXPECT_EQ(login.status, 5);
    EXPECT_FALSE(DecodeLoginReply(MakeFrame(0x82, 2, Bytes({0, 0, 0, 0})), 2, login));
    Writer full;
    full.I32(0).Bytes(std::vector<uint8_t>(32, 0xD0).data(), 32);  // the device's proof
    std::vector<uint8_t> text(48, 'x');                            // no terminator from the device
    full.Bytes(text.data(), 48).I32(8).U8(1);
    ASSERT_TRUE(DecodeLoginReply(MakeFrame(0x82, 2, full.Data()), 2, login));
    EXPECT_EQ(std::strlen(login.text), 47u);

    EXPECT_EQ(DecodeStatusReply(MakeFrame(0x90, 3, Bytes({0, 0, 0, 0, 9})), 0x10, nullptr, nullptr),
              kOk);
    EXPECT_EQ(DecodeStatusReply(MakeFrame(0xFF, 3, Bytes({29, 0, 0, 0})), 0x10, nullptr, nullptr),
              kUnknownType);
    // An Error frame that claims success, a reply to another request, a short reply.
    EXPECT_EQ(DecodeStatusReply(MakeFrame(0xFF, 3, Bytes({0, 0, 0, 0})), 0x10, nullptr, nullptr),
              kProtocolError);
    EXPECT_EQ(DecodeStatusReply(MakeFrame(0x91, 3, Bytes({0, 0, 0, 0})), 0x10, nullptr, nullptr),
              kProtocolError);
    EXPECT_EQ(DecodeStatusReply(MakeFrame(0x90, 3, Bytes({0, 0})), 0x10, nullptr, nullptr),
              kProtocolError);

    UpgradeEvent event;
    EXPECT_TRUE(DecodeUpgradeEvent(MakeFrame(0x23, 4, Bytes({1, 2, 0, 0, 0, 0, 0, 0})), event));
    EXPECT_EQ(event.bytes, 0x201u);
    EXPECT_TRUE(DecodeUpgradeEvent(MakeFrame(0x24, 4, Bytes({1, 40, 0, 0, 0})), event));
    EXPECT_EQ(event.kind, UpgradeEvent::Writing);
    EXPECT_FALSE(DecodeUpgradeEvent(MakeFrame(0x24, 4, Bytes({3, 0, 0, 0, 0})), event));
    EXPECT_FALSE(DecodeUpgradeEvent(MakeFrame(0x23, 4, Bytes({1, 2})), event));
}

TEST(QuornCrypto, HmacIsThePlatformsSha256Hmac) {
    // RFC 4231, test case 2.
    Digest mac;
    ASSERT_TRUE(HmacSha256("Jefe", 4, "what do ya want for nothing?", 28, mac));
    const uint8_t expected[] = {0x5b, 0xdc, 0xc1, 0x46, 0xbf, 0x60, 0x75, 0x4e, 0x6a, 0x04, 0x24,
                                0x26, 0x08, 0x95, 0x75, 0xc7, 0x5a, 0x00, 0x3f, 0x08, 0x9d, 0x27,
                                0x39, 0x83, 0x9d, 0xec, 0x58, 0xb9, 0x64, 0xec, 0x38, 0x43};
    EXPECT_EQ(std::memcmp(mac.data(), expected, 32), 0);
}

TEST(QuornCrypto, ProofDependsOnPasswordSaltAndTranscriptAndDiffersByDirection) {
    const uint8_t salt[16] = {1}, otherSalt[16] = {2};
    Digest transcript{}, otherTranscript{};
    otherTranscript[0] = 1;
    auto proof = [](const char* password, const uint8_t* s, const Digest& t) {
        Digest key, out;
        EXPECT_TRUE(LoginKey(password, s, 10000, key));
        EXPECT_TRUE(ClientProof(key, t, out));
        return out;
    };
    Digest a = proof("pw", salt, transcript);
    EXPECT_TRUE(DigestsEqual(a, proof("pw", salt, transcript)));
    EXPECT_FALSE(DigestsEqual(a, proof("pX", salt, transcript)));
    EXPECT_FALSE(DigestsEqual(a, proof("", salt, transcript)));  // empty passwords are valid
    EXPECT_FALSE(DigestsEqual(a, proof("pw", otherSalt, transcript)));
    EXPECT_FALSE(DigestsEqual(a, proof("pw", salt, otherTranscript)));
    Digest key, other, device;
    LoginVerifier verifier, otherVerifier;
    ASSERT_TRUE(LoginKey("pw", salt, 10000, key));
    ASSERT_TRUE(MakeVerifier(key, verifier));
    ASSERT_TRUE(DeviceProof(verifier, transcript, device));
    EXPECT_FALSE(DigestsEqual(a, device));  // a client's proof cannot be echoed back
    // The device, holding only the verifier, knows the right proof from any other.
    EXPECT_TRUE(ClientProofMatches(verifier, transcript, a));
    EXPECT_FALSE(ClientProofMatches(verifier, otherTranscript, a));
    ASSERT_TRUE(LoginKey("pX", salt, 10000, other));
    ASSERT_TRUE(MakeVerifier(other, otherVerifier));
    EXPECT_FALSE(ClientProofMatches(otherVerifier, transcript, a));
}

}  // namespace
}  // namespace quorn
