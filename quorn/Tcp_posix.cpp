#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "quorn/Tcp.h"

namespace quorn {

bool TcpStartup() {
    return true;
}

ConnectResult TcpConnect(const char* address, uint16_t port, int timeoutMs, TcpHandle& out) {
    out = kNoSocket;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    if (!address || inet_pton(AF_INET, address, &peer.sin_addr) != 1)
        return ConnectResult::BadAddress;
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return ConnectResult::Failed;
    int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    int rc = connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer);
    if (rc != 0 && errno != EINPROGRESS) {
        int error = errno;
        close(fd);
        return error == ECONNREFUSED ? ConnectResult::Refused : ConnectResult::Failed;
    }
    if (rc != 0) {
        pollfd p{fd, POLLOUT, 0};
        int ready;
        do {
            ready = poll(&p, 1, timeoutMs);
        } while (ready < 0 && errno == EINTR);
        if (ready <= 0) {
            close(fd);
            return ready == 0 ? ConnectResult::TimedOut : ConnectResult::Failed;
        }
        int error = 0;
        socklen_t length = sizeof error;
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
        if (error != 0) {
            close(fd);
            return error == ECONNREFUSED ? ConnectResult::Refused : ConnectResult::Failed;
        }
    }
    fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    out = fd;
    return ConnectResult::Connected;
}

int TcpSendSome(TcpHandle socket, const void* data, size_t size, int timeoutMs) {
    pollfd p{static_cast<int>(socket), POLLOUT, 0};
    int ready;
    do {
        ready = poll(&p, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) return 0;
    if (ready < 0) return -1;
    ssize_t n;
    do {
        n = send(static_cast<int>(socket), data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    return n == 0 ? -1 : static_cast<int>(n);
}

int TcpReceive(TcpHandle socket, void* buffer, size_t capacity, int timeoutMs) {
    pollfd p{static_cast<int>(socket), POLLIN, 0};
    int ready;
    do {
        ready = poll(&p, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) return kReceiveTimedOut;
    if (ready < 0) return -1;
    ssize_t n;
    do {
        n = recv(static_cast<int>(socket), buffer, capacity, 0);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : static_cast<int>(n);
}

void TcpShutdown(TcpHandle socket) {
    if (socket != kNoSocket) shutdown(static_cast<int>(socket), SHUT_RDWR);
}

void TcpClose(TcpHandle socket) {
    if (socket != kNoSocket) close(static_cast<int>(socket));
}

}  // namespace quorn
