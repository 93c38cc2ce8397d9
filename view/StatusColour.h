// Background colours of status-log entries, as Windows colour values (0x00BBGGRR).
#pragma once

#include <cstdint>

namespace tesmara {

enum class StatusColour : uint32_t {
    kProgress = 0xFFFFFF,  // white
    kFailure = 0x0000FF,   // red
    kSuccess = 0x00FF00,   // green
};

// The colour's name wherever a line is written as text: "white", "red" or "green".
constexpr const char* ColourTag(StatusColour colour) {
    switch (colour) {
        case StatusColour::kFailure:
            return "red";
        case StatusColour::kSuccess:
            return "green";
        case StatusColour::kProgress:
            break;
    }
    return "white";
}

}  // namespace tesmara
