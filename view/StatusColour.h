// Background colours of status-log entries, as Windows colour values (0x00BBGGRR).
#pragma once

#include <cstdint>

namespace tesmara {

enum class StatusColour : uint32_t {
    kProgress = 0xFFFFFF,  // white
    kFailure = 0x0000FF,   // red
    kSuccess = 0x00FF00,   // green
};

}  // namespace tesmara
