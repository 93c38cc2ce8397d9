// The configuration blocks and the account table as a recorder serves them, built from and
// applied to its DeviceState so that discovery reports what a session wrote.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "devsim/model/SimDevice.h"

namespace tesmara::devsim {

constexpr int32_t kCommandClock = 8;
constexpr int32_t kCommandDisplay = 49;
constexpr int32_t kCommandNetwork = 81;
constexpr size_t kClockSize = 24;
constexpr size_t kDisplaySize = 128;
constexpr size_t kNetworkSize = 772;

// Size of a command's block, or 0 for a command the device does not know.
size_t BlockSize(int32_t command);

// Status (quorn::Status values): 0, or why the block cannot be read or taken.
int32_t ReadBlock(const DeviceState& state, int32_t command, std::vector<uint8_t>& out);
int32_t WriteBlock(DeviceState& state, int32_t command, const uint8_t* data, size_t size);

// The stats file's line for a recorder's display block:
// "display ADDRESS MAC standard S resolution R language L".
std::string DisplayLine(const DeviceState& state);

// The 298,480-byte account table; password fields are left empty (the device never
// discloses passwords).
std::vector<uint8_t> UserTable(const DeviceState& state);

}  // namespace tesmara::devsim
