#include <algorithm>
#include <chrono>

#include "quorn/Tcp.h"

namespace quorn {

namespace {

int64_t MonotonicMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

bool TcpSendAll(TcpHandle socket, const void* data, size_t size, int timeoutMs,
                const std::function<bool()>& stop) {
    const auto* p = static_cast<const uint8_t*>(data);
    const int64_t deadline = MonotonicMs() + timeoutMs;
    while (size > 0) {
        // A peer that stops reading must not hold the sender past its deadline, nor past the
        // moment its owner no longer wants the rest.
        if (stop && stop()) return false;
        const int64_t left = deadline - MonotonicMs();
        if (left <= 0) return false;
        int n =
            TcpSendSome(socket, p, size, static_cast<int>(std::min<int64_t>(left, kSendCheckMs)));
        if (n < 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace quorn
