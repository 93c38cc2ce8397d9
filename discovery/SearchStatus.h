// A search as the window and the console ask for it, and what it reports back: its lines (worded
// exactly as the window shows them), the devices it found, and its end. The workers read no
// control and touch no table.
#pragma once

#include <string_view>

#include "addressing/AddressPlanning.h"
#include "discovery/SearchPolling.h"
#include "view/DeviceRow.h"
#include "view/StatusColour.h"

namespace tesmara {

class Clock;
class SocketFactory;
class WorkerGroup;

struct SearchJob {
    bool assign = false;  // hand out addresses from `plan` instead of keeping the devices' own
    AddressPlan plan;
    int deviceLimit = kDeviceLimit;  // new devices a phase takes before it ends early
};

// The world a search runs in; `stop` is asked between steps (a closing window sets it).
struct SearchPorts {
    SocketFactory& sockets;
    Clock& clock;
    const WorkerGroup& stop;
};

class SearchStatus {
  public:
    virtual ~SearchStatus() = default;
    virtual void Line(std::wstring_view text, StatusColour colour) = 0;
    // Every device the search recorded, once, before its last line; those it lists are shown.
    virtual void Found(DeviceList devices) = 0;
    // The search is over, completed or failed; never said when it was stopped.
    virtual void Finished(bool completed) = 0;
};

}  // namespace tesmara
