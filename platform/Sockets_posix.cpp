#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

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

class PosixDatagramSocket final : public DatagramSocket {
  public:
    explicit PosixDatagramSocket(int fd) : m_fd(fd) {}
    ~PosixDatagramSocket() override { Close(); }

    bool SetReuseAddress(bool on) override { return SetFlag(SO_REUSEADDR, on); }
    bool SetBroadcast(bool on) override { return SetFlag(SO_BROADCAST, on); }
    bool Bind(uint32_t address, uint16_t port) override {
        sockaddr_in sa = MakeAddress(address, port);
        return ::bind(m_fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
    }
    bool SetNonBlocking(bool on) override {
        int flags = ::fcntl(m_fd, F_GETFL, 0);
        if (flags < 0) return false;
        flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
        return ::fcntl(m_fd, F_SETFL, flags) == 0;
    }
    bool SetReceiveBufferSize(int bytes) override {
        return ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes) == 0;
    }
    int SendTo(const void* data, size_t size, uint32_t address, uint16_t port) override {
        sockaddr_in sa = MakeAddress(address, port);
        ssize_t n = ::sendto(m_fd, data, size, 0, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        return n < 0 ? -1 : static_cast<int>(n);
    }
    int ReceiveFrom(void* buffer, size_t capacity) override {
        sockaddr_in from{};
        socklen_t fromSize = sizeof from;
        ssize_t n =
            ::recvfrom(m_fd, buffer, capacity, 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
        return n < 0 ? -1 : static_cast<int>(n);
    }
    void Close() override {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

  private:
    bool SetFlag(int option, bool on) {
        int value = on ? 1 : 0;
        return ::setsockopt(m_fd, SOL_SOCKET, option, &value, sizeof value) == 0;
    }
    int m_fd;
};

class PosixSocketFactory final : public SocketFactory {
  public:
    std::unique_ptr<DatagramSocket> CreateDatagramSocket() override {
        int fd = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        if (fd < 0) return nullptr;
        return std::make_unique<PosixDatagramSocket>(fd);
    }
};

}  // namespace

SocketFactory& SystemSockets() {
    static PosixSocketFactory factory;
    return factory;
}

bool StartSockets() {
    return true;
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
