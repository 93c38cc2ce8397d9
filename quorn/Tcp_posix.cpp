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

void TcpSetSendTimeout(TcpHandle socket, int timeoutMs) {
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

bool TcpSendAll(TcpHandle socket, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = send(static_cast<int>(socket), p, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
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
