#include "discovery/SearchPhase.h"

#include "discovery/SearchDatagrams.h"
#include "discovery/SearchSockets.h"
#include "platform/Clock.h"
#include "platform/Format.h"
#include "platform/Workers.h"

namespace tesmara {

PassOutcome RunSearchPhase(const SearchPorts& ports, SearchStatus& status, SearchSockets& sockets,
                           ReplyKind kind, int deviceLimit, const char* failedFormat,
                           const ReplyHandler& onReply) {
    Clock& clock = ports.clock;
    const bool detail = kind == ReplyKind::kDetail;
    const char* magic = detail ? kDetailSearchMagic : kBasicSearchMagic;

    uint32_t now = clock.NowMs();
    const uint32_t phaseStart = now;
    uint32_t lastSend = now;
    if (!sockets.Broadcast(magic, kMagicSize)) {
        sockets.Close();
        status.Line(FormatUi(failedFormat, kErrFirstSend), StatusColour::kFailure);
        return PassOutcome::kFailed;
    }

    ReceiveBuffer buffer{};
    int newDevices = 0;
    while (TicksSince(now, phaseStart) < kPhaseLengthMs) {
        if (ports.stop.StopRequested()) {
            sockets.Close();
            return PassOutcome::kStopped;
        }
        if (TicksSince(now, lastSend) > kResendIntervalMs) {
            if (!sockets.Broadcast(magic, kMagicSize)) break;
            lastSend = now;
        }
        if (PollForReply(*sockets.receive, clock, buffer, kind)) {
            SearchInfoBlock info =
                detail ? DecodeDetailReply(buffer.data()) : DecodeBasicReply(buffer.data());
            if (onReply(info) && ++newDevices >= deviceLimit) break;
        }
        now = clock.NowMs();
    }
    return PassOutcome::kDone;
}

}  // namespace tesmara
