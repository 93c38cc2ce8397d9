// libFuzzer target for both ends of the device protocol (built and run by scripts/fuzz).
// The first input byte picks the end: even — the library's frame decoder and device-message
// decoders take the rest as a device's byte stream; odd — a recorder session (logged in or not,
// by bit 1) takes the rest as a client's byte stream over a socket pair.
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

#include "devsim/model/FleetBuilder.h"
#include "devsim/session/DeviceSession.h"
#include "devsim/session/SessionServer.h"
#include "quorn/Frame.h"
#include "quorn/Messages.h"

namespace {

void LibraryEnd(const uint8_t* data, size_t size) {
    quorn::FrameDecoder decoder;
    // Cut the stream where the data says, so that partial headers and payloads are exercised.
    size_t at = 0;
    size_t step = size ? 1 + data[0] % 32 : 1;
    while (at < size) {
        size_t n = std::min(step, size - at);
        decoder.Feed(data + at, n);
        at += n;
        quorn::Frame f;
        while (decoder.Next(f)) {
            quorn::HelloReply hello;
            quorn::LoginReply login;
            quorn::UpgradeEvent event;
            quorn::DecodeHelloReply(f, f.requestId, hello);
            quorn::DecodeLoginReply(f, f.requestId, login);
            quorn::DecodeUpgradeEvent(f, event);
            const uint8_t* rest = nullptr;
            size_t restSize = 0;
            quorn::DecodeStatusReply(f, f.type & 0x7F, &rest, &restSize);
            volatile uint8_t touch = 0;
            for (size_t i = 0; i < restSize; ++i) touch = touch ^ rest[i];
        }
    }
}

struct Device {
    tesmara::devsim::Fleet fleet;
    std::unique_ptr<tesmara::devsim::SessionServer> server;
    Device() {
        tesmara::devsim::LoadFleetJson(
            R"({"devices": [{"address": "192.168.1.10", "writingMs": 0, "rebootOfflineMs": 0}]})",
            fleet, nullptr);
        server = std::make_unique<tesmara::devsim::SessionServer>(fleet);  // listens nowhere
    }
};

void DeviceEnd(bool loggedIn, const uint8_t* data, size_t size) {
    static Device* device = new Device();
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) return;
    std::thread client([&] {
        size_t sent = 0;
        while (sent < size) {
            ssize_t n = send(pair[1], data + sent, size - sent, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<size_t>(n);
        }
        shutdown(pair[1], SHUT_WR);
        char sink[65536];
        while (recv(pair[1], sink, sizeof sink, 0) > 0) {
        }
    });
    tesmara::devsim::DeviceSession session(*device->server, device->fleet.At(0), pair[0]);
    if (loggedIn) session.AssumeLoggedIn();
    session.Run();
    shutdown(pair[0], SHUT_RDWR);
    client.join();
    close(pair[0]);
    close(pair[1]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    if (data[0] % 2 == 0) {
        LibraryEnd(data + 1, size - 1);
    } else {
        DeviceEnd(data[0] & 2, data + 1, size - 1);
    }
    return 0;
}
