#include "devsim/model/SimDevice.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace tesmara::devsim {

std::string DeviceTimeText(const DeviceState& state) {
    if (!state.fixedDeviceTime.empty()) return state.fixedDeviceTime;
    auto now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    time_t deviceNow = static_cast<time_t>(now + state.clockOffsetSeconds);
    std::tm parts{};
    gmtime_r(&deviceNow, &parts);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", parts.tm_year + 1900,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return text;
}

std::string MacText(const MacBytes& mac) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return text;
}

bool ParseMacText(const std::string& text, MacBytes& mac) {
    std::string digits;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (std::isxdigit(static_cast<unsigned char>(c))) {
            digits += c;
        } else if ((c == '-' || c == ':') && i % 3 == 2 && text.size() == 17) {
            continue;
        } else {
            return false;
        }
    }
    if (digits.size() != 12) return false;
    for (size_t i = 0; i < 6; ++i) {
        mac[i] = static_cast<uint8_t>(std::stoi(digits.substr(2 * i, 2), nullptr, 16));
    }
    return true;
}

}  // namespace tesmara::devsim
