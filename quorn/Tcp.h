// The few TCP operations the library needs, over the platform's sockets (one file per platform).
// Sockets are blocking; waits are bounded by explicit time-outs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace quorn {

using TcpHandle = intptr_t;
constexpr TcpHandle kNoSocket = -1;

// Starts the sockets layer once per process; false if it cannot.
bool TcpStartup();

enum class ConnectResult { Connected, Refused, TimedOut, BadAddress, Failed };

// Dotted IPv4 address only (names are not resolved).
ConnectResult TcpConnect(const char* address, uint16_t port, int timeoutMs, TcpHandle& out);

// Sends what the socket takes within timeoutMs: the bytes sent (> 0), 0 when it took none in
// that time, -1 on failure. Never blocks beyond timeoutMs.
int TcpSendSome(TcpHandle socket, const void* data, size_t size, int timeoutMs);

// Sends everything within one deadline, timeoutMs from now, piece by piece as the peer takes
// it. Between pieces, at least every kSendCheckMs, `stop` (if given) may give the rest up.
// False on failure, deadline or stop; the bytes are then cut short, so the stream is broken.
constexpr int kSendCheckMs = 100;
bool TcpSendAll(TcpHandle socket, const void* data, size_t size, int timeoutMs,
                const std::function<bool()>& stop = {});

// > 0 bytes received, 0 the peer closed, -1 failure, -2 nothing within timeoutMs.
constexpr int kReceiveTimedOut = -2;
int TcpReceive(TcpHandle socket, void* buffer, size_t capacity, int timeoutMs);

// Ends both directions; blocked calls on other threads return.
void TcpShutdown(TcpHandle socket);
void TcpClose(TcpHandle socket);

}  // namespace quorn
