#include "devaccess/DeviceTime.h"

#include "devaccess/ConfigBlockIo.h"
#include "platform/BlockBytes.h"

namespace tesmara {
namespace {

constexpr size_t kYear = 0;
constexpr size_t kMonth = 4;
constexpr size_t kDay = 8;
constexpr size_t kHour = 12;
constexpr size_t kMinute = 16;
constexpr size_t kSecond = 20;

}  // namespace

std::array<uint8_t, kDeviceTimeSize> EncodeDeviceTime(const DeviceTime& time) {
    std::array<uint8_t, kDeviceTimeSize> block{};
    WriteI32Le(block, kYear, time.year);
    WriteI32Le(block, kMonth, time.month);
    WriteI32Le(block, kDay, time.day);
    WriteI32Le(block, kHour, time.hour);
    WriteI32Le(block, kMinute, time.minute);
    WriteI32Le(block, kSecond, time.second);
    return block;
}

DeviceTime DecodeDeviceTime(std::span<const uint8_t> block) {
    if (block.size() < kDeviceTimeSize) return {};
    DeviceTime time;
    time.year = ReadI32Le(block, kYear);
    time.month = ReadI32Le(block, kMonth);
    time.day = ReadI32Le(block, kDay);
    time.hour = ReadI32Le(block, kHour);
    time.minute = ReadI32Le(block, kMinute);
    time.second = ReadI32Le(block, kSecond);
    return time;
}

bool SendDeviceTime(DeviceAccess& access, int32_t login, const DeviceTime& time) {
    const auto block = EncodeDeviceTime(time);
    return WriteConfigBlock(access, login, kConfigDeviceTime, block, kDeviceTimeChannel,
                            kDeviceTimeWaitMs);
}

}  // namespace tesmara
