// Answers the discovery datagrams for every device of a fleet from one UDP socket: searches with
// each online device's reply, assignment and address-change datagrams by taking the new settings.
// Runs on a thread of its own between Start() and Stop(); tests start it in-process.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "devsim/discovery/DeviceDatagrams.h"
#include "devsim/model/Fleet.h"

namespace tesmara::devsim {

struct ResponderOptions {
    uint16_t listenPort = kDevicePort;
    uint16_t replyPort = kClientReplyPort;
    // Replies go to 255.255.255.255 (the client may sit in another subnet than the device);
    // with replyToSender they go to the request's source address instead.
    bool replyToSender = false;
    // When not empty, the fleet hears and answers on this network device only (SO_BINDTODEVICE,
    // which needs root): e.g. tlan3, the second segment of the test LAN.
    std::string device;
    uint32_t seed = 1;  // for the hostile devices' garbage
    // Called with one line per received datagram (and per address taken); null: no log.
    std::function<void(const std::string&)> log;
};

struct ResponderStats {
    uint64_t received = 0;  // every datagram that reached the device port
    uint64_t basicSearches = 0;
    uint64_t detailSearches = 0;
    uint64_t assigns = 0;
    uint64_t addressChanges = 0;
    uint64_t unknown = 0;
    uint64_t repliesSent = 0;
};

class UdpResponder {
  public:
    UdpResponder(Fleet& fleet, ResponderOptions options);
    ~UdpResponder();
    UdpResponder(const UdpResponder&) = delete;
    UdpResponder& operator=(const UdpResponder&) = delete;

    // Binds the device port and starts answering; false (with the reason) if it cannot.
    bool Start(std::string* error = nullptr);
    // Stops answering and closes the socket; replies still waiting for their delay are dropped.
    void Stop();

    ResponderStats Stats() const;

  private:
    void Run();

    Fleet& m_fleet;
    ResponderOptions m_options;
    int m_socket = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;

    std::atomic<uint64_t> m_received{0}, m_basic{0}, m_detail{0}, m_assigns{0}, m_changes{0},
        m_unknown{0}, m_sent{0};
};

}  // namespace tesmara::devsim
