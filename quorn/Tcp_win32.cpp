#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>

#include "quorn/Tcp.h"

namespace quorn {

bool TcpStartup() {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        WSADATA data;
        started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    });
    return started;
}

ConnectResult TcpConnect(const char* address, uint16_t port, int timeoutMs, TcpHandle& out) {
    out = kNoSocket;
    if (!TcpStartup()) return ConnectResult::Failed;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    if (!address || inet_pton(AF_INET, address, &peer.sin_addr) != 1)
        return ConnectResult::BadAddress;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return ConnectResult::Failed;
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    int rc = connect(s, reinterpret_cast<sockaddr*>(&peer), sizeof peer);
    if (rc != 0 && WSAGetLastError() != WSAEWOULDBLOCK) {
        int error = WSAGetLastError();
        closesocket(s);
        return error == WSAECONNREFUSED ? ConnectResult::Refused : ConnectResult::Failed;
    }
    if (rc != 0) {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s, &writable);
        FD_SET(s, &failed);
        timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
        int ready = select(0, nullptr, &writable, &failed, &tv);
        if (ready <= 0) {
            closesocket(s);
            return ready == 0 ? ConnectResult::TimedOut : ConnectResult::Failed;
        }
        if (FD_ISSET(s, &failed)) {
            int error = 0;
            int length = sizeof error;
            getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
            closesocket(s);
            return error == WSAECONNREFUSED ? ConnectResult::Refused : ConnectResult::Failed;
        }
    }
    // Left non-blocking: every send and receive waits in select with its own bound (a blocking
    // send's time-out would leave the socket in an undefined state).
    BOOL one = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    out = static_cast<TcpHandle>(s);
    return ConnectResult::Connected;
}

int TcpSendSome(TcpHandle socket, const void* data, size_t size, int timeoutMs) {
    SOCKET s = static_cast<SOCKET>(socket);
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(s, &writable);
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int ready = select(0, nullptr, &writable, nullptr, &tv);
    if (ready == 0) return 0;
    if (ready < 0) return -1;
    // The socket stays non-blocking: send takes what fits and returns.
    int chunk = size > 0x10000000 ? 0x10000000 : static_cast<int>(size);
    int n = send(s, static_cast<const char*>(data), chunk, 0);
    if (n == SOCKET_ERROR) return WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
    return n == 0 ? -1 : n;
}

int TcpReceive(TcpHandle socket, void* buffer, size_t capacity, int timeoutMs) {
    SOCKET s = static_cast<SOCKET>(socket);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int ready = select(0, &readable, nullptr, nullptr, &tv);
    if (ready == 0) return kReceiveTimedOut;
    if (ready < 0) return -1;
    int chunk = capacity > 0x10000000 ? 0x10000000 : static_cast<int>(capacity);
    int n = recv(s, static_cast<char*>(buffer), chunk, 0);
    if (n == SOCKET_ERROR) return WSAGetLastError() == WSAEWOULDBLOCK ? kReceiveTimedOut : -1;
    return n;
}

void TcpShutdown(TcpHandle socket) {
    if (socket != kNoSocket) shutdown(static_cast<SOCKET>(socket), SD_BOTH);
}

void TcpClose(TcpHandle socket) {
    if (socket != kNoSocket) closesocket(static_cast<SOCKET>(socket));
}

}  // namespace quorn
