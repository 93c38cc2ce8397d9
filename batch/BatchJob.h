// What a batch run is asked to do, as a value: the window builds it from its controls when
// "Start" is pressed, the console from its options. The run never reads a control.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tesmara {

enum class BatchKind {
    kSyncTime,          // the clocks only
    kUpgrade,           // firmware, then (unless the own address is kept) the reset address
    kConfigure,         // a configuration import
    kUpgradeConfigure,  // firmware, then the configuration import once the device is back
};

// One device of the run, by value: nothing of the window's table crosses into the run's threads.
struct BatchDevice {
    std::string mac;      // dashed text; empty for a device dialled by address
    std::string address;  // ANSI code page, as the table shows it
    uint16_t port = 0;    // login port
    int row = -1;         // the device's row in the window's table
    // Two hosts answered the search for this MAC: the run does not log in to it.
    bool conflicting = false;
};

struct BatchJob {
    BatchKind kind = BatchKind::kSyncTime;
    bool clockFirst = false;     // "同步时间" ticked beside upgrade or configure
    bool keepOwnAddress = true;  // an upgraded device keeps its address (no reset chain)
    std::string firmwarePath;    // ANSI code page
    std::string configPath;      // ANSI code page
    std::string user, password;  // UTF-8
    std::vector<BatchDevice> devices;
    // Site-scale runs from the console; the window leaves both at 0 (no limit).
    int parallel = 0;           // devices in their transfer and restart wait at once
    int stopAfterFailures = 0;  // no device starts once this many have failed
};

}  // namespace tesmara
