// Bounded random-frame checks for both ends of the device protocol (the fuzz target in
// tests/fuzz explores further): the library's decoders take any byte stream a hostile device
// could send, and a recorder session takes any stream a hostile client could send, without
// crashing or reading out of bounds (run under the sanitizers by scripts/fuzz).
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <random>
#include <thread>
#include <vector>

#include "devsim/model/FleetBuilder.h"
#include "devsim/session/DeviceSession.h"
#include "devsim/session/SessionServer.h"
#include "quorn/Channel.h"
#include "quorn/Frame.h"
#include "quorn/Messages.h"

namespace {

using quorn::Frame;

// Frames with valid framing and random content, now and then a burst of raw garbage; sealed
// when a client's record layer is given.
std::vector<uint8_t> RandomStream(std::mt19937& rng, int frames,
                                  quorn::RecordLayer* sealer = nullptr) {
    static const uint8_t kTypes[] = {0x01, 0x02, 0x03, 0x04, 0x10, 0x11, 0x12, 0x13,
                                     0x14, 0x15, 0x20, 0x21, 0x22, 0x23, 0x24, 0x7F,
                                     0x81, 0x82, 0x90, 0xA0, 0xFF, 0x55};
    std::vector<uint8_t> stream;
    for (int i = 0; i < frames; ++i) {
        if (rng() % 50 == 0) {
            for (int n = rng() % 40; n > 0; --n) stream.push_back(static_cast<uint8_t>(rng()));
            continue;
        }
        std::vector<uint8_t> payload(rng() % 3 == 0 ? rng() % 3000 : rng() % 40);
        for (auto& b : payload) b = static_cast<uint8_t>(rng() % 4 == 0 ? rng() : rng() % 3);
        // Sometimes a plausible command number, so the handlers past parsing run too.
        if (payload.size() >= 12 && rng() % 2) {
            static const int kCommands[] = {8, 49, 81, 6};
            payload[0] = static_cast<uint8_t>(kCommands[rng() % 4]);
        }
        uint8_t type = kTypes[rng() % sizeof kTypes];
        std::vector<uint8_t> frame;
        if (sealer) {
            sealer->Seal(type, rng() % 4, payload.data(), payload.size(), frame);
        } else {
            frame = quorn::EncodeFrame(type, rng() % 4, payload.data(), payload.size());
        }
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    return stream;
}

TEST(QuornRandomFrames, LibraryDecodersTakeAnyDeviceStream) {
    std::mt19937 rng(20261207);
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> stream = RandomStream(rng, 1 + rng() % 8);
        quorn::FrameDecoder decoder;
        size_t at = 0;
        while (at < stream.size()) {
            size_t n = std::min<size_t>(1 + rng() % 64, stream.size() - at);
            decoder.Feed(stream.data() + at, n);
            at += n;
            Frame f;
            while (decoder.Next(f)) {
                ASSERT_LE(f.payload.size(), quorn::kMaxPayload);
                quorn::HelloReply hello;
                quorn::LoginReply login;
                quorn::UpgradeEvent event;
                quorn::DecodeHelloReply(f, f.requestId, hello);
                quorn::DecodeLoginReply(f, f.requestId, login);
                quorn::DecodeUpgradeEvent(f, event);
                const uint8_t* rest = nullptr;
                size_t restSize = 0;
                quorn::DecodeStatusReply(f, 0x10, &rest, &restSize);
                if (rest) {
                    ASSERT_LE(rest + restSize, f.payload.data() + f.payload.size());
                }
            }
        }
    }
}

TEST(QuornRandomFrames, RecorderSessionTakesAnyClientStream) {
    tesmara::devsim::Fleet fleet;
    std::string error;
    ASSERT_TRUE(tesmara::devsim::LoadFleetJson(
        R"({"devices": [{"address": "192.168.1.10", "writingMs": 0, "rebootOfflineMs": 0}]})",
        fleet, &error))
        << error;
    tesmara::devsim::SessionServer server(fleet);  // not started: listens nowhere
    std::mt19937 rng(7);
    for (int round = 0; round < 150; ++round) {
        int pair[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
        // Logged-in rounds speak over a channel whose keys the test knows.
        const quorn::ChannelKeys keys{{1}, {2}};
        quorn::RecordLayer sealer;
        sealer.Start(keys.clientToDevice, keys.deviceToClient);
        std::vector<uint8_t> stream =
            RandomStream(rng, 1 + rng() % 30, round % 2 ? &sealer : nullptr);
        // The client side: send everything, then read whatever comes back until the end.
        std::thread client([&] {
            size_t sent = 0;
            while (sent < stream.size()) {
                ssize_t n = send(pair[1], stream.data() + sent, stream.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += static_cast<size_t>(n);
            }
            shutdown(pair[1], SHUT_WR);
            char sink[65536];
            while (recv(pair[1], sink, sizeof sink, 0) > 0) {
            }
        });
        tesmara::devsim::DeviceSession session(server, fleet.At(0), pair[0]);
        if (round % 2) session.AssumeLoggedIn(keys);
        session.Run();
        shutdown(pair[0], SHUT_RDWR);
        client.join();
        close(pair[0]);
        close(pair[1]);
    }
    server.Stop();
}

}  // namespace
