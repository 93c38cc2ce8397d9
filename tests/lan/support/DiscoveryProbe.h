// The PC's two discovery sockets, used directly: send a datagram to 255.255.255.255:5000 from
// port 5003 and collect what arrives on port 5001. For checking devsim's side of the wire.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tesmara::lan {

using Datagram = std::vector<uint8_t>;

class DiscoveryProbe {
  public:
    DiscoveryProbe();
    ~DiscoveryProbe();
    DiscoveryProbe(const DiscoveryProbe&) = delete;
    DiscoveryProbe& operator=(const DiscoveryProbe&) = delete;

    bool Ready() const { return send_ >= 0 && receive_ >= 0; }
    bool Broadcast(const void* data, size_t size);
    bool Broadcast(const std::string& text) { return Broadcast(text.data(), text.size()); }
    // Everything that arrives within `ms` milliseconds.
    std::vector<Datagram> Collect(int ms);

  private:
    int send_ = -1;
    int receive_ = -1;
};

}  // namespace tesmara::lan
