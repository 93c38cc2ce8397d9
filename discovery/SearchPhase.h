// One search phase, the loop every search worker runs: the first send, a resend every 500 ms,
// polls for 3000 ms or until the job's number of new devices (50 in the window), each accepted
// reply handed to the worker. Workers that broadcast and collect replies copy this shape: the phase
// loop here, what to do with a reply in the worker. The phase reports nothing beyond a failed first
// send.
#pragma once

#include <functional>

#include "discovery/SearchPolling.h"
#include "discovery/SearchStatus.h"

namespace tesmara {

struct SearchSockets;
struct SearchInfoBlock;

enum class PassOutcome {
    kDone,     // phase ran out, a resend failed, or the device limit was reached
    kFailed,   // first send failed: reported, sockets closed
    kStopped,  // the search was stopped: sockets closed, nothing more is reported
};

// Told of each accepted reply of a phase; true when it was a device new to the phase, which
// counts towards the device limit.
using ReplyHandler = std::function<bool(const SearchInfoBlock&)>;

// One phase awaiting replies of `kind` (basic or detail), requesting them with that kind's
// magic, until `deviceLimit` new devices. A failing first send is reported with `failedFormat`
// (one %d).
PassOutcome RunSearchPhase(const SearchPorts& ports, SearchStatus& status, SearchSockets& sockets,
                           ReplyKind kind, int deviceLimit, const char* failedFormat,
                           const ReplyHandler& onReply);

}  // namespace tesmara
