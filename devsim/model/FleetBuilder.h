// Builds fleets: N generated recorders from a few settings, or any mix from a fleet file (JSON).
//
// Fleet file:
//   {
//     "generate": {"count": 20, "baseAddress": "192.168.1.100", "seed": 7},   (optional)
//     "defaults": { <device fields> },                                      (optional)
//     "devices":  [ { <device fields> }, ... ]                              (optional)
//   }
// Generated devices come first, then the listed ones; both start from "defaults". A listed
// device without "mac" or "address" gets generated ones for its position.
// Device fields: mac, address, mask, gateway, tcpPort, httpPort, description, cloudId,
// releaseVersion, releaseTime, deviceTime (a fixed text), clockOffsetSeconds, startTime, online,
// macTextLowerCase (the network block's MAC as "00:1a:..."), discoverable (false: answers no
// search and no assignment, only logins at its address), replyDelayMs, duplicateReplies,
// ignoreBasicSearch, ignoreDetailSearch, ignoreAssign, ignoreAddressChange, hostile ("none",
// "wrong-length", "lower-case-magic", "wrong-version", "garbage"), and the session keys of
// devsim/session/SessionState.h. In texts, "\xNN" (written "\\xNN" in JSON) stands for the byte
// NN, so device texts in any code page can be given.
#pragma once

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <string>

#include "devsim/model/Fleet.h"

namespace tesmara::devsim {

struct GenerateOptions {
    size_t count = 0;
    std::string baseAddress = "192.168.1.100";
    uint32_t seed = 1;
};

// The device that generation makes at `index`, with `defaults` for everything it does not choose
// (MAC, address, mask, gateway and texts that are empty in `defaults`).
DeviceState GeneratedDevice(const GenerateOptions& options, size_t index,
                            const DeviceState& defaults = {});

// Adds options.count generated devices, each made from `defaults` as GeneratedDevice does.
void GenerateDevices(Fleet& fleet, const GenerateOptions& options,
                     const DeviceBehaviour& behaviour = {}, const DeviceState& defaults = {});

// Adds the devices a fleet file describes; false with a reason when it is malformed.
bool LoadFleetJson(const std::string& json, Fleet& fleet, std::string* error);
bool LoadFleetFile(const std::string& path, Fleet& fleet, std::string* error);

// The one way a fleet file's numbers are read: the value at `key`, when there, must be a whole
// number from `lowest` to `highest`, else false with an error that names the key (a port of 70000
// must not wrap to 4464, nor -1 become 4294967295). An absent key leaves `field` alone.
bool ReadFleetNumber(const nlohmann::json& j, const char* key, int64_t lowest, int64_t highest,
                     int64_t& value, std::string* error);
template <class T>
bool ReadFleetNumber(const nlohmann::json& j, const char* key, T& field, int64_t lowest,
                     int64_t highest, std::string* error) {
    int64_t value = static_cast<int64_t>(field);
    if (!ReadFleetNumber(j, key, lowest, highest, value, error)) return false;
    field = static_cast<T>(value);
    return true;
}

// "\xNN" escapes to bytes.
std::string DecodeTextEscapes(const std::string& text);

// The private-range mask of a dotted address ("255.0.0.0", "255.255.0.0", "255.255.255.0"), or
// "255.255.255.0" outside them; and the address with its last number replaced by 1.
std::string MaskFor(const std::string& address);
std::string GatewayFor(const std::string& address);

}  // namespace tesmara::devsim
