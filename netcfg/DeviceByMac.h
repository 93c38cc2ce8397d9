// Reaching a device by its MAC without logging in, shared by the address change of the network
// panel and the configuration command: the matching key, the wait for its search reply, and the
// record a re-addressed row points at afterwards.
#pragma once

#include <cstdint>
#include <string>

#include "view/DeviceRow.h"

namespace tesmara {

class Clock;
struct SearchSockets;

// The row's MAC text reduced to its letters and digits, the key replies are matched by.
std::string MacKey(const std::string& macText);

// True when a reply's compact MAC starts with `key`, ignoring letter case. An empty key (a MAC
// text without letters or digits) matches nothing.
bool MacKeyMatches(const std::string& key, const std::string& compactMac);

enum class Heard { kYes, kTimedOut, kSendFailed };

// After the first request went out at `start`: broadcasts the basic search every 500 ms until a
// reply carries the device's MAC or 3000 ms have passed.
Heard WaitForDevice(SearchSockets& sockets, Clock& clock, const std::string& key, uint32_t start);

// The record a re-addressed row points to afterwards: one per MAC in `list`, updated in place
// when there is one, else a new one copied from the row's record. The old record is untouched.
DeviceRow* RecordNewAddress(DeviceList& list, const DeviceRow& device, const std::string& address,
                            const std::string& mask, const std::string& gateway);

}  // namespace tesmara
