// Where the window keeps its daily log files.
#pragma once

#include <string>

namespace tesmara {

// "%LOCALAPPDATA%\Tesmara\logs" (the user's own, not roaming, writable without elevation); empty
// when Windows knows no such folder.
std::wstring StatusLogFolder();

}  // namespace tesmara
