// One virtual recorder: what it reports about itself (identity, addresses, ports, texts) and how
// it behaves on the wire. The discovery responder and the session server both work on the same
// SimDevice, so a change made through one side (a new address, a new clock) shows on the other.
//
// Thread safety: every SimDevice has its own mutex. Read the state with Snapshot() (a copy) and
// change it with Update(), which runs a function on the state under the lock. Behaviour is fixed
// when the fleet is built and may be read without locking.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>

#include "devsim/session/SessionState.h"

namespace tesmara::devsim {

using MacBytes = std::array<uint8_t, 6>;

// How a device misbehaves on the discovery side (for tests of the receivers' validation).
enum class Hostility {
    None,
    WrongLength,     // replies one byte short of the exact length (151, 575, 35)
    LowerCaseMagic,  // replies with the magic in lower case (receivers must accept it)
    WrongVersion,    // detail replies carry version bytes other than 01 00
    Garbage,         // replies with random bytes of a random length
};

// Fixed at fleet construction; readable from any thread without the lock.
struct DeviceBehaviour {
    uint32_t replyDelayMs = 0;         // wait before each reply
    uint32_t duplicateReplies = 0;     // extra copies of each reply
    bool ignoreBasicSearch = false;    // "QELTRA.SEARCH.V1"
    bool ignoreDetailSearch = false;   // "QELTRA.SEARCH.V3"
    bool ignoreAssign = false;         // "QELTRA.SEARCH.V2"
    bool ignoreAddressChange = false;  // "QELTRA.CFG.V2"
    Hostility hostility = Hostility::None;
    SessionFaults session;  // the session side's misbehaviour
};

// Everything the device reports and keeps. Plain data: copy it freely.
// Texts are byte strings in the device's code page (not necessarily ASCII or UTF-8).
struct DeviceState {
    MacBytes mac{};
    std::string address;  // dotted texts, as the device's network settings hold them
    std::string mask;
    std::string gateway;
    uint16_t tcpPort = 34567;  // the session (login) port
    uint16_t httpPort = 80;
    // The network block spells the MAC "00:1a:2b:..." instead of "00:1A:2B:..." (both occur).
    bool macTextLowerCase = false;

    // The six detail texts of the detail search reply.
    std::string description;
    std::string cloudId;
    std::string releaseVersion;
    std::string releaseTime;
    std::string startTime;
    // The device clock is the host clock plus this offset; "Device Time" is formatted from it
    // unless fixedDeviceTime is set (then that text is reported as it is).
    int64_t clockOffsetSeconds = 0;
    std::string fixedDeviceTime;

    bool online = true;    // an offline device answers nothing (e.g. while it restarts)
    SessionState session;  // accounts, configuration bytes, firmware and session bookkeeping
};

class SimDevice {
  public:
    SimDevice(DeviceState state, DeviceBehaviour behaviour)
        : m_state(std::move(state)), m_behaviour(behaviour) {}
    SimDevice(const SimDevice&) = delete;
    SimDevice& operator=(const SimDevice&) = delete;

    DeviceState Snapshot() const {
        std::lock_guard lock(m_mutex);
        return m_state;
    }

    // Runs change(state) under the device's lock and returns what it returns.
    template <class Change>
    auto Update(Change&& change) {
        std::lock_guard lock(m_mutex);
        return std::forward<Change>(change)(m_state);
    }

    const DeviceBehaviour& Behaviour() const { return m_behaviour; }

    // The MAC never changes after construction, so it is readable without the lock.
    const MacBytes& Mac() const { return m_mac; }

  private:
    mutable std::mutex m_mutex;
    DeviceState m_state;
    const DeviceBehaviour m_behaviour;
    const MacBytes m_mac = m_state.mac;
};

// "YYYY-MM-DD HH:MM:SS" of the device clock now (or the fixed text).
std::string DeviceTimeText(const DeviceState& state);

// "00-1A-2B-3C-4D-5E".
std::string MacText(const MacBytes& mac);
// Parses "00-1A-2B-3C-4D-5E", "00:1a:2b:3c:4d:5e" or "001A2B3C4D5E"; false if it is none of them.
bool ParseMacText(const std::string& text, MacBytes& mac);

}  // namespace tesmara::devsim
