// Timing of the search phases and the one poll of the receive socket that each loop turn makes.
#pragma once

#include <array>
#include <cstdint>

#include "discovery/SearchDatagrams.h"

namespace tesmara {

class Clock;
class DatagramSocket;

inline constexpr uint32_t kPhaseLengthMs = 3000;
inline constexpr uint32_t kResendIntervalMs = 500;
inline constexpr uint32_t kIdleSleepMs = 50;
inline constexpr int kDeviceLimit = 50;  // the window's; the console may ask for more
inline constexpr int kLargestDeviceLimit = 1000;

// Belongs to one phase: a poll that brings nothing leaves it as it was.
using ReceiveBuffer = std::array<uint8_t, kReceiveBufferSize>;

enum class ReplyKind { kBasic, kDetail, kAssign };

// One non-blocking receive into `buffer`, then the pause that the awaited kind calls for.
// True when the buffer now holds a reply of that kind that passed validation.
//  - basic: any length but the expected one (nothing waiting included) sleeps; a datagram of
//    the right length but another magic is dropped at once;
//  - assign: only an empty poll sleeps; anything that is not a confirmation is dropped at once;
//  - detail: the buffer is judged first. Not beginning with the detail magic: next poll at once.
//    With the magic and version 01 00 it must have arrived just now with 576 bytes, else sleep;
//    other version bytes: dropped, sleep.
bool PollForReply(DatagramSocket& receive, Clock& clock, ReceiveBuffer& buffer, ReplyKind kind);

}  // namespace tesmara
