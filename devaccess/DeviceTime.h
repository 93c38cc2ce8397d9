// The device clock record, configuration command 8: six signed 32-bit little-endian fields,
// the PC's local wall-clock time to the second. The system builds it whole and only writes it.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "devaccess/DeviceAccess.h"

namespace tesmara {

struct DeviceTime {
    // -1 marks a field that could not be determined.
    int32_t year = -1;
    int32_t month = -1;   // 1 to 12
    int32_t day = -1;     // 1 to 31
    int32_t hour = -1;    // 0 to 23
    int32_t minute = -1;  // 0 to 59
    int32_t second = -1;  // 0 to 59

    friend bool operator==(const DeviceTime&, const DeviceTime&) = default;
};

constexpr size_t kDeviceTimeSize = 24;
constexpr int32_t kDeviceTimeChannel = 0;
constexpr int32_t kDeviceTimeWaitMs = 2000;

std::array<uint8_t, kDeviceTimeSize> EncodeDeviceTime(const DeviceTime& time);
// The recorder's side of the record; a block shorter than the record gives all fields -1.
DeviceTime DecodeDeviceTime(std::span<const uint8_t> block);

// DevSetConfig(login, 8, 0, record, 24, 2000). True when the device set its clock.
bool SendDeviceTime(DeviceAccess& access, int32_t login, const DeviceTime& time);

}  // namespace tesmara
