// The sockets of another factory whose broadcasts leave by one adapter: bound to that adapter's
// own address, a limited broadcast goes out of that adapter only (Windows and Linux alike), where
// one bound to any address leaves by whichever adapter the system picks.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/Sockets.h"

namespace tesmara {

class AdapterSockets final : public SocketFactory {
  public:
    AdapterSockets(SocketFactory& sockets, uint32_t address)
        : m_sockets(sockets), m_address(address) {}
    std::unique_ptr<DatagramSocket> CreateDatagramSocket() override {
        return m_sockets.CreateDatagramSocket();
    }
    uint32_t SendAddress() const override { return m_address; }

  private:
    SocketFactory& m_sockets;
    uint32_t m_address;  // network order
};

}  // namespace tesmara
