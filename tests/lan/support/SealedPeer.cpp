#include "tests/lan/support/SealedPeer.h"

#include <sys/socket.h>
#include <sys/time.h>

#include <cstring>

#include "quorn/Protocol.h"
#include "quorn/SessionProof.h"

namespace tesmara::lan {

bool SealedPeer::Read(quorn::Frame& frame) {
    uint8_t buffer[4096];
    for (int i = 0; i < 100; ++i) {
        if (decoder_.Next(frame)) return !record_.Active() || record_.Open(frame);
        timeval tv{0, 10000};
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
        if (n == 0) return false;
        if (n > 0) decoder_.Feed(buffer, static_cast<size_t>(n));
    }
    return false;
}

void SealedPeer::Send(uint8_t type, uint32_t requestId, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> bytes;
    if (record_.Active()) {
        record_.Seal(type, requestId, payload.data(), payload.size(), bytes);
    } else {
        bytes = quorn::EncodeFrame(type, requestId, payload.data(), payload.size());
    }
    send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

bool SealedPeer::Accept(const std::string& password, int32_t loginCode, uint32_t count,
                        uint8_t saltByte) {
    auto chatter = [&](uint8_t replyType, uint32_t requestId) {
        if (!chatter_) return;
        Send(0x66, requestId, {1, 2, 3});
        Send(replyType, requestId + 7, {0, 0, 0, 0});
        Send(0x04, 0, {});
    };
    quorn::Frame f;
    if (!Read(f) || f.payload.size() != 4 + quorn::kPublicKeySize) return false;
    quorn::KeyShare share;
    quorn::X25519Key peer, shared;
    std::memcpy(peer.data(), f.payload.data() + 4, peer.size());
    quorn::NewKeyShare(share);
    quorn::Writer hello;
    hello.I32(0).U16(quorn::kMaxVersion).Bytes(share.publicKey.data(), share.publicKey.size());
    quorn::Transcript transcript;
    transcript.Add(f.payload);
    transcript.Add(hello.Data());
    quorn::Digest hash;
    quorn::ChannelKeys keys;
    if (!quorn::X25519SharedSecret(share.privateKey, peer, shared) || !transcript.Hash(hash) ||
        !quorn::DeriveChannelKeys(shared, hash, keys))
        return false;
    chatter(0x81, f.requestId);
    Send(0x81, f.requestId, hello.Data());
    record_.Start(keys.deviceToClient, keys.clientToDevice);

    if (!Read(f)) return false;
    uint8_t salt[quorn::kSaltSize] = {saltByte};
    quorn::Writer params;
    params.I32(0).Bytes(salt, sizeof salt).U32(count);
    transcript.Add(f.payload);
    transcript.Add(params.Data());
    chatter(0x85, f.requestId);
    Send(0x85, f.requestId, params.Data());

    if (!Read(f)) return false;
    quorn::Writer login;
    login.I32(loginCode);
    if (loginCode == 0) {
        quorn::Digest key, proof;
        quorn::LoginVerifier verifier;
        transcript.Hash(hash);
        quorn::LoginKey(password, salt, count, key);
        quorn::MakeVerifier(key, verifier);
        quorn::DeviceProof(verifier, hash, proof);
        login.Bytes(proof.data(), proof.size());
        login.Bytes(std::vector<uint8_t>(48, 'A').data(), 48).I32(1).U8(1);
    }
    chatter(0x82, f.requestId);
    Send(0x82, f.requestId, login.Data());
    return true;
}

}  // namespace tesmara::lan
