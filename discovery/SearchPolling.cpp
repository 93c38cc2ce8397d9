#include "discovery/SearchPolling.h"

#include "platform/Clock.h"
#include "platform/Sockets.h"

namespace tesmara {
namespace {

using ReplyCheck = bool (*)(const uint8_t* data, size_t size);

bool PollFixedLength(int received, Clock& clock, const ReceiveBuffer& buffer, size_t expected,
                     ReplyCheck isReply, bool skipStrangers) {
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
    return isReply(buffer.data(), expected);
}

bool PollDetail(int received, Clock& clock, const ReceiveBuffer& buffer) {
    if (!HasMagic(buffer.data(), buffer.size(), kDetailSearchMagic)) return false;
    // The buffer holds the magic: a reply of the right length and version has just arrived.
    if (received >= 0 && IsDetailReply(buffer.data(), static_cast<size_t>(received))) return true;
    clock.SleepMs(kIdleSleepMs);
    return false;
}

}  // namespace

bool PollForReply(DatagramSocket& receive, Clock& clock, ReceiveBuffer& buffer, ReplyKind kind) {
    int received = receive.ReceiveFrom(buffer.data(), buffer.size());
    switch (kind) {
        case ReplyKind::kBasic:
            return PollFixedLength(received, clock, buffer, kBasicReplySize, IsBasicReply, false);
        case ReplyKind::kAssign:
            return PollFixedLength(received, clock, buffer, kAssignReplySize, IsAssignReply, true);
        case ReplyKind::kDetail:
            return PollDetail(received, clock, buffer);
    }
    return false;
}

}  // namespace tesmara
