// The two UDP sockets of one search: requests leave by the send socket, replies arrive on the
// non-blocking receive socket.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/Sockets.h"

namespace tesmara {

struct SearchSockets {
    std::unique_ptr<DatagramSocket> send;
    std::unique_ptr<DatagramSocket> receive;

    // Broadcasts a request; false when the send fails.
    bool Broadcast(const void* data, size_t size);
    // Closes whichever sockets are open.
    void Close();
};

// Set-up errors, numbered by the step that failed.
enum SearchSetupError : int {
    kErrCreateSend = -1,
    kErrReuseAddress = -2,
    kErrBroadcast = -3,
    kErrBindSend = -4,
    kErrCreateReceive = -5,
    kErrBindReceive = -6,
    kErrNonBlocking = -7,
    kErrFirstSend = -8,  // reported by the phase that makes the first send
};

// Creates and configures both sockets. Returns 0, or the negative error of the failing step with
// every socket made so far closed.
int OpenSearchSockets(SocketFactory& factory, SearchSockets& sockets);

}  // namespace tesmara
