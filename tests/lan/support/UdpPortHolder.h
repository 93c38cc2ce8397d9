// Holds a UDP port the way another program on the PC would (bound to 0.0.0.0, no address
// reuse), so that a search that must bind it fails.
#pragma once

#include <cstdint>

namespace tesmara::lan {

class UdpPortHolder {
  public:
    explicit UdpPortHolder(uint16_t port);
    ~UdpPortHolder();
    UdpPortHolder(const UdpPortHolder&) = delete;
    UdpPortHolder& operator=(const UdpPortHolder&) = delete;

    bool Holding() const { return socket_ >= 0; }

  private:
    int socket_ = -1;
};

}  // namespace tesmara::lan
