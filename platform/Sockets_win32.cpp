#include <winsock2.h>

#include "platform/Address.h"
#include "platform/Sockets.h"

namespace tesmara {
namespace {

sockaddr_in MakeAddress(uint32_t address, uint16_t port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = address;
    sa.sin_port = htons(port);
    return sa;
}

class WinsockDatagramSocket final : public DatagramSocket {
  public:
    explicit WinsockDatagramSocket(SOCKET s) : m_socket(s) {}
    ~WinsockDatagramSocket() override { Close(); }

    bool SetReuseAddress(bool on) override { return SetFlag(SO_REUSEADDR, on); }
    bool SetBroadcast(bool on) override { return SetFlag(SO_BROADCAST, on); }
    bool Bind(uint32_t address, uint16_t port) override {
        sockaddr_in sa = MakeAddress(address, port);
        return ::bind(m_socket, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
    }
    bool SetNonBlocking(bool on) override {
        u_long mode = on ? 1 : 0;
        return ::ioctlsocket(m_socket, FIONBIO, &mode) == 0;
    }
    bool SetReceiveBufferSize(int bytes) override {
        return ::setsockopt(m_socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes),
                            sizeof bytes) == 0;
    }
    int SendTo(const void* data, size_t size, uint32_t address, uint16_t port) override {
        sockaddr_in sa = MakeAddress(address, port);
        int n = ::sendto(m_socket, static_cast<const char*>(data), static_cast<int>(size), 0,
                         reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        return n == SOCKET_ERROR ? -1 : n;
    }
    int ReceiveFrom(void* buffer, size_t capacity) override {
        sockaddr_in from{};
        int fromSize = sizeof from;
        int n = ::recvfrom(m_socket, static_cast<char*>(buffer), static_cast<int>(capacity), 0,
                           reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (n == SOCKET_ERROR) {
            // A datagram longer than the buffer arrives cut, as the caller expects.
            if (::WSAGetLastError() == WSAEMSGSIZE) return static_cast<int>(capacity);
            return -1;
        }
        return n;
    }
    void Close() override {
        if (m_socket != INVALID_SOCKET) ::closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }

  private:
    bool SetFlag(int option, bool on) {
        BOOL value = on ? TRUE : FALSE;
        return ::setsockopt(m_socket, SOL_SOCKET, option, reinterpret_cast<const char*>(&value),
                            sizeof value) == 0;
    }
    SOCKET m_socket;
};

class WinsockSocketFactory final : public SocketFactory {
  public:
    std::unique_ptr<DatagramSocket> CreateDatagramSocket() override {
        SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        if (s == INVALID_SOCKET) return nullptr;
        return std::make_unique<WinsockDatagramSocket>(s);
    }
};

}  // namespace

SocketFactory& SystemSockets() {
    static WinsockSocketFactory factory;
    return factory;
}

bool StartSockets() {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

uint32_t ParseAddress(std::string_view text) {
    std::string copy(text);
    return ::inet_addr(copy.c_str());
}

std::string FormatAddress(uint32_t address) {
    in_addr a{};
    a.s_addr = address;
    return ::inet_ntoa(a);
}

}  // namespace tesmara
