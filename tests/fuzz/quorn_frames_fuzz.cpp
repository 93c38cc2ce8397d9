// libFuzzer target for both ends of the device protocol (built and run by scripts/fuzz).
// The first input byte picks the end and the mode; the rest is a byte stream.
//   even: the library end. Bit 1 clear: the frame decoder and device-message decoders take the
//     stream as a device's. Bit 1 set: the stream's frames are sealed as a device would seal
//     them and go through the library's record layer before the decoders; with bit 2 also set
//     they go in unsealed, so the record layer meets forged frames.
//   odd: a recorder session over a socket pair. Bits 1-2: 0 the stream as a client's from the
//     first byte (hello in clear, then whatever follows); 1 logged in, the stream's frames
//     sealed by the harness; 2 logged in, the stream raw (forged frames); 3 the harness makes
//     a real hello first, then seals the stream's frames (login parameters, login, ...).
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "devsim/model/FleetBuilder.h"
#include "devsim/session/DeviceSession.h"
#include "devsim/session/SessionServer.h"
#include "quorn/Channel.h"
#include "quorn/Frame.h"
#include "quorn/Messages.h"
#include "quorn/Protocol.h"

namespace {

const quorn::ChannelKeys kKeys{{1}, {2}};

// The frames of a stream, re-encoded sealed by `sealer` (frames after a framing error are lost).
std::vector<uint8_t> Sealed(const uint8_t* data, size_t size, quorn::RecordLayer& sealer) {
    quorn::FrameDecoder decoder;
    decoder.Feed(data, size);
    std::vector<uint8_t> out, frame;
    quorn::Frame f;
    while (decoder.Next(f)) {
        if (!sealer.Seal(f.type, f.requestId, f.payload.data(), f.payload.size(), frame)) break;
        out.insert(out.end(), frame.begin(), frame.end());
    }
    return out;
}

void Decode(const quorn::Frame& f) {
    quorn::HelloReply hello;
    quorn::LoginParamsReply params;
    quorn::LoginReply login;
    quorn::UpgradeEvent event;
    quorn::DecodeHelloReply(f, f.requestId, hello);
    quorn::DecodeLoginParamsReply(f, f.requestId, params);
    quorn::DecodeLoginReply(f, f.requestId, login);
    quorn::DecodeUpgradeEvent(f, event);
    const uint8_t* rest = nullptr;
    size_t restSize = 0;
    quorn::DecodeStatusReply(f, f.type & 0x7F, &rest, &restSize);
    volatile uint8_t touch = 0;
    for (size_t i = 0; i < restSize; ++i) touch = touch ^ rest[i];
}

void LibraryEnd(uint8_t mode, const uint8_t* data, size_t size) {
    std::vector<uint8_t> stream(data, data + size);
    quorn::RecordLayer library;
    bool sealed = mode & 2;
    if (sealed) {
        library.Start(kKeys.clientToDevice, kKeys.deviceToClient);
        if (!(mode & 4)) {
            quorn::RecordLayer device;
            device.Start(kKeys.deviceToClient, kKeys.clientToDevice);
            stream = Sealed(data, size, device);
        }
    }
    quorn::FrameDecoder decoder;
    // Cut the stream where the data says, so that partial headers and payloads are exercised.
    size_t at = 0;
    size_t step = size ? 1 + data[0] % 32 : 1;
    while (at < stream.size()) {
        size_t n = std::min(step, stream.size() - at);
        decoder.Feed(stream.data() + at, n);
        at += n;
        quorn::Frame f;
        while (decoder.Next(f)) {
            if (sealed && !library.Open(f)) return;  // the library ends the session here
            Decode(f);
        }
    }
}

struct Device {
    tesmara::devsim::Fleet fleet;
    std::unique_ptr<tesmara::devsim::SessionServer> server;
    Device() {
        tesmara::devsim::LoadFleetJson(
            R"({"devices": [{"address": "192.168.1.10", "writingMs": 0, "rebootOfflineMs": 0,
                "loginCount": 1000, "lockAfter": 1000000000}]})",
            fleet, nullptr);
        server = std::make_unique<tesmara::devsim::SessionServer>(fleet);  // listens nowhere
    }
};

void SendAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

// The client's part of a real hello over `fd`; false when the device did not agree.
bool ClientHello(int fd, quorn::RecordLayer& record) {
    quorn::KeyShare share;
    quorn::NewKeyShare(share);
    quorn::Writer hello;
    hello.U16(quorn::kMinVersion).U16(quorn::kMaxVersion);
    hello.Bytes(share.publicKey.data(), share.publicKey.size());
    SendAll(fd, quorn::EncodeFrame(0x01, 1, hello.Data().data(), hello.Data().size()));
    quorn::FrameDecoder decoder;
    quorn::Frame reply;
    uint8_t buffer[512];
    for (ssize_t n; !decoder.Next(reply);) {
        if ((n = recv(fd, buffer, sizeof buffer, 0)) <= 0) return false;
        decoder.Feed(buffer, static_cast<size_t>(n));
    }
    quorn::HelloReply offer;
    quorn::Transcript transcript;
    transcript.Add(hello.Data());
    transcript.Add(reply.payload);
    quorn::X25519Key shared;
    quorn::Digest hash;
    quorn::ChannelKeys keys;
    return quorn::DecodeHelloReply(reply, 1, offer) && offer.status == 0 &&
           quorn::X25519SharedSecret(share.privateKey, offer.publicKey, shared) &&
           transcript.Hash(hash) && quorn::DeriveChannelKeys(shared, hash, keys) &&
           record.Start(keys.clientToDevice, keys.deviceToClient);
}

void DeviceEnd(uint8_t mode, const uint8_t* data, size_t size) {
    static Device* device = new Device();
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) return;
    int kind = (mode >> 1) & 3;
    std::thread client([&] {
        quorn::RecordLayer sealer;
        std::vector<uint8_t> stream(data, data + size);
        if (kind == 1) {
            sealer.Start(kKeys.clientToDevice, kKeys.deviceToClient);
            stream = Sealed(data, size, sealer);
        } else if (kind == 3) {
            stream =
                ClientHello(pair[1], sealer) ? Sealed(data, size, sealer) : std::vector<uint8_t>();
        }
        SendAll(pair[1], stream);
        shutdown(pair[1], SHUT_WR);
        char sink[65536];
        while (recv(pair[1], sink, sizeof sink, 0) > 0) {
        }
    });
    tesmara::devsim::DeviceSession session(*device->server, device->fleet.At(0), pair[0]);
    if (kind == 1 || kind == 2) session.AssumeLoggedIn(kKeys);
    session.Run();
    shutdown(pair[0], SHUT_RDWR);
    client.join();
    close(pair[0]);
    close(pair[1]);
}

}  // namespace

// Built once per end (QUORN_FUZZ_END 0 library, 1 device) so that each gets the whole run.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
#ifdef QUORN_FUZZ_END
    uint8_t mode = static_cast<uint8_t>((data[0] & ~1) | QUORN_FUZZ_END);
#else
    uint8_t mode = data[0];
#endif
    if (mode % 2 == 0) {
        LibraryEnd(mode, data + 1, size - 1);
    } else {
        DeviceEnd(mode, data + 1, size - 1);
    }
    return 0;
}
