// One device as the table knows it. Rows of the table point at records held by value in the
// main dialog's device lists; a record never moves while its list lives.
#pragma once

#include <cstdint>
#include <list>
#include <string>

namespace tesmara {

// The process-wide text for a value the system does not have.
inline constexpr char kNoValue[] = "-- --";

// The six detail texts a device reports in its detail reply, as received (ANSI code page).
struct DeviceDetails {
    std::string description;
    std::string cloudId;
    std::string deviceTime;
    std::string releaseVersion;
    std::string releaseTime;
    std::string startTime;
};

struct DeviceRow {
    uint8_t shown = 0;    // 1 = confirmed, belongs in the table
    std::string macText;  // "%02X-%02X-..." of the six bytes, the device's identity
    std::string ipText;
    std::string gatewayText;
    std::string maskText;
    uint16_t tcpPort = 0;  // login port
    uint16_t httpPort = 0;
    int32_t loginHandle = 0;
    int32_t upgradeHandle = 0;
    DeviceDetails details;
    // Search replies gave this MAC with different addresses or ports: one of the hosts poses
    // as the other, so the batch runs do not log in to it.
    bool conflicting = false;
};

// std::list: rows hold raw pointers to records, which must stay put while the list grows.
using DeviceList = std::list<DeviceRow>;

// The first record of `list` whose MAC text is `macText`, or null.
inline DeviceRow* FindDeviceByMac(DeviceList& list, const std::string& macText) {
    for (DeviceRow& row : list) {
        if (row.macText == macText) return &row;
    }
    return nullptr;
}

}  // namespace tesmara
