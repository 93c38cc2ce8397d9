#include "discovery/SearchPolling.h"

#include "platform/Clock.h"
#include "platform/Sockets.h"

namespace tesmara {
namespace {

bool PollFixedLength(int received, Clock& clock, const ReceiveBuffer& buffer, size_t expected,
                     const char* magic) {
    if (received < 0 || static_cast<size_t>(received) != expected) {
        clock.SleepMs(kIdleSleepMs);
        return false;
    }
    return HasMagic(buffer.data(), expected, magic);
}

bool PollDetail(int received, Clock& clock, const ReceiveBuffer& buffer) {
    if (!HasMagic(buffer.data(), buffer.size(), kDetailSearchMagic)) return false;
    if (HasDetailReplyVersion(buffer.data(), buffer.size()) && received >= 0 &&
        static_cast<size_t>(received) == kDetailReplySize) {
        return true;
    }
    clock.SleepMs(kIdleSleepMs);
    return false;
}

}  // namespace

bool PollForReply(DatagramSocket& receive, Clock& clock, ReceiveBuffer& buffer, ReplyKind kind) {
    int received = receive.ReceiveFrom(buffer.data(), buffer.size());
    switch (kind) {
        case ReplyKind::kBasic:
            return PollFixedLength(received, clock, buffer, kBasicReplySize, kBasicSearchMagic);
        case ReplyKind::kAssign:
            return PollFixedLength(received, clock, buffer, kAssignReplySize, kAssignMagic);
        case ReplyKind::kDetail:
            return PollDetail(received, clock, buffer);
    }
    return false;
}

}  // namespace tesmara
