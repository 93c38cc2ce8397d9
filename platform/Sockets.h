// UDP datagram sockets: exactly the operations the search and address-change steps use, each
// failure observable so that callers can report which step failed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tesmara {

// IPv4 addresses travel in network byte order (platform/Address.h).

class DatagramSocket {
  public:
    virtual ~DatagramSocket() = default;
    virtual bool SetReuseAddress(bool on) = 0;
    virtual bool SetBroadcast(bool on) = 0;
    virtual bool Bind(uint32_t address, uint16_t port) = 0;  // address in network order
    virtual bool SetNonBlocking(bool on) = 0;
    // Asks for a receive buffer of this many bytes (the system may grant less); false on failure.
    // Sockets that queue nothing of their own need not implement it.
    virtual bool SetReceiveBufferSize(int bytes) {
        (void)bytes;
        return true;
    }
    // Bytes sent, or -1.
    virtual int SendTo(const void* data, size_t size, uint32_t address, uint16_t port) = 0;
    // Bytes received (datagrams longer than capacity are cut), or -1 when nothing is waiting or the
    // receive failed. The sender is not reported: replies are attributed by their content.
    virtual int ReceiveFrom(void* buffer, size_t capacity) = 0;
    virtual void Close() = 0;
};

class SocketFactory {
  public:
    virtual ~SocketFactory() = default;
    // Null when the socket cannot be created.
    virtual std::unique_ptr<DatagramSocket> CreateDatagramSocket() = 0;
    // The local address that sockets sending requests bind to (network order): any, so that the
    // system picks the adapter, unless the factory is tied to one adapter (AdapterSockets.h).
    virtual uint32_t SendAddress() const { return 0; }
};

// The operating system's sockets.
SocketFactory& SystemSockets();

// Starts the sockets layer (Winsock 1.1 on Windows, nothing elsewhere); false on failure.
bool StartSockets();

}  // namespace tesmara
