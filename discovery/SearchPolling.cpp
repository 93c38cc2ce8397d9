#include "discovery/SearchPolling.h"

#include "platform/Clock.h"
#include "platform/Sockets.h"

namespace tesmara {
namespace {

bool PollFixedLength(int received, Clock& clock, const ReceiveBuffer& buffer, size_t expected,
                     const char* magic, bool skipStrangers) {
    // The confirmations arrive behind the search replies that the search phase left unread once
    // it stopped at its device limit; pausing for each of those would let the phase run out
    // before any confirmation is read, and devices that took their new address would go unshown.
    if (skipStrangers && received >= 0 && static_cast<size_t>(received) != expected) {
        return false;
    }
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
            return PollFixedLength(received, clock, buffer, kBasicReplySize, kBasicSearchMagic,
                                   false);
        case ReplyKind::kAssign:
            return PollFixedLength(received, clock, buffer, kAssignReplySize, kAssignMagic, true);
        case ReplyKind::kDetail:
            return PollDetail(received, clock, buffer);
    }
    return false;
}

}  // namespace tesmara
