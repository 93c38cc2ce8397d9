// "Modify" 1082: gives the highlighted device the panel's address, mask and gateway by broadcast,
// without logging in, once a basic search has shown that the device is on the network.
#pragma once

#include <string>

namespace tesmara {

struct MainDialogState;

// The row's MAC text reduced to its letters and digits, the key replies are matched by.
std::string MacKey(const std::string& macText);

// True when a reply's compact MAC starts with `key`, ignoring letter case. An empty key (a MAC
// text without letters or digits) matches nothing.
bool MacKeyMatches(const std::string& key, const std::string& compactMac);

// Runs on the user-interface thread and blocks it for up to 3 s; a press while it runs (from a
// message box it shows, say) is ignored.
void RunAddressChangeCommand(MainDialogState& dialog);

}  // namespace tesmara
