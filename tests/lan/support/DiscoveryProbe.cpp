#include "tests/lan/support/DiscoveryProbe.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace tesmara::lan {

namespace {

int BoundSocket(uint16_t port, bool broadcast) {
    int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) return -1;
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (broadcast) ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    int buffer = 4 << 20;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

DiscoveryProbe::DiscoveryProbe() {
    send_ = BoundSocket(5003, true);
    receive_ = BoundSocket(5001, false);
}

DiscoveryProbe::~DiscoveryProbe() {
    if (send_ >= 0) ::close(send_);
    if (receive_ >= 0) ::close(receive_);
}

bool DiscoveryProbe::Broadcast(const void* data, size_t size) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(5000);
    to.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    return ::sendto(send_, data, size, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) ==
           static_cast<ssize_t>(size);
}

std::vector<Datagram> DiscoveryProbe::Collect(int ms) {
    std::vector<Datagram> received;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        end - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) break;
        pollfd pfd{receive_, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(left)) <= 0) continue;
        Datagram d(2048);
        ssize_t n = ::recv(receive_, d.data(), d.size(), MSG_DONTWAIT);
        if (n < 0) continue;
        d.resize(static_cast<size_t>(n));
        received.push_back(std::move(d));
    }
    return received;
}

}  // namespace tesmara::lan
