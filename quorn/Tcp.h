// The few TCP operations the library needs, over the platform's sockets (one file per platform).
// Sockets are blocking; waits are bounded by explicit time-outs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quorn {

using TcpHandle = intptr_t;
constexpr TcpHandle kNoSocket = -1;

// Starts the sockets layer once per process; false if it cannot.
bool TcpStartup();

enum class ConnectResult { Connected, Refused, TimedOut, BadAddress, Failed };

// Dotted IPv4 address only (names are not resolved).
ConnectResult TcpConnect(const char* address, uint16_t port, int timeoutMs, TcpHandle& out);

// Sends everything; false on failure (including a send blocked longer than the socket's
// send time-out, see TcpSetSendTimeout).
bool TcpSendAll(TcpHandle socket, const void* data, size_t size);
void TcpSetSendTimeout(TcpHandle socket, int timeoutMs);

// > 0 bytes received, 0 the peer closed, -1 failure, -2 nothing within timeoutMs.
constexpr int kReceiveTimedOut = -2;
int TcpReceive(TcpHandle socket, void* buffer, size_t capacity, int timeoutMs);

// Ends both directions; blocked calls on other threads return.
void TcpShutdown(TcpHandle socket);
void TcpClose(TcpHandle socket);

}  // namespace quorn
