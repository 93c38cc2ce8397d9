#include "devsim/model/FleetBuilder.h"

#include <arpa/inet.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "devsim/session/SessionState.h"

namespace tesmara::devsim {

namespace {

constexpr int64_t kMostGenerated = 10000;                          // as devsim --count
constexpr int64_t kClockOffsetLimit = int64_t{100} * 366 * 86400;  // a century either way

uint32_t HostOrder(const std::string& address) {
    in_addr parsed{};
    if (inet_aton(address.c_str(), &parsed) == 0) return 0;
    return ntohl(parsed.s_addr);
}

std::string Dotted(uint32_t host) {
    return std::to_string(host >> 24) + "." + std::to_string((host >> 16) & 0xFF) + "." +
           std::to_string((host >> 8) & 0xFF) + "." + std::to_string(host & 0xFF);
}

// The address `index` steps after `base`, stepping over host numbers 0 and 255 so that no
// generated device reports a network or broadcast address.
std::string AddressAfter(const std::string& base, size_t index) {
    uint32_t host = HostOrder(base);
    for (size_t i = 0; i < index;) {
        ++host;
        uint32_t last = host & 0xFF;
        if (last != 0 && last != 255) ++i;
    }
    return Dotted(host);
}

bool ParseHostility(const std::string& name, Hostility& out) {
    static const std::pair<const char*, Hostility> kNames[] = {
        {"none", Hostility::None},
        {"wrong-length", Hostility::WrongLength},
        {"lower-case-magic", Hostility::LowerCaseMagic},
        {"wrong-version", Hostility::WrongVersion},
        {"garbage", Hostility::Garbage},
    };
    for (const auto& [text, value] : kNames) {
        if (name == text) {
            out = value;
            return true;
        }
    }
    return false;
}

// Applies the fields present in `j` onto state and behaviour.
bool ApplyFields(const nlohmann::json& j, DeviceState& s, DeviceBehaviour& b, bool& hasMac,
                 bool& hasAddress, std::string* error) {
    auto text = [&](const char* key, std::string& field) {
        if (j.contains(key)) field = DecodeTextEscapes(j.at(key).get<std::string>());
    };
    if (j.contains("mac")) {
        if (!ParseMacText(j.at("mac").get<std::string>(), s.mac)) {
            if (error) *error = "bad mac " + j.at("mac").dump();
            return false;
        }
        hasMac = true;
    }
    if (j.contains("address")) {
        s.address = j.at("address").get<std::string>();
        hasAddress = true;
    }
    text("mask", s.mask);
    text("gateway", s.gateway);
    if (!ReadFleetNumber(j, "tcpPort", s.tcpPort, 1, 65535, error) ||
        !ReadFleetNumber(j, "httpPort", s.httpPort, 1, 65535, error)) {
        return false;
    }
    text("description", s.description);
    text("cloudId", s.cloudId);
    text("releaseVersion", s.releaseVersion);
    text("releaseTime", s.releaseTime);
    text("deviceTime", s.fixedDeviceTime);
    text("startTime", s.startTime);
    if (!ReadFleetNumber(j, "clockOffsetSeconds", s.clockOffsetSeconds, -kClockOffsetLimit,
                         kClockOffsetLimit, error)) {
        return false;
    }
    if (j.contains("online")) s.online = j.at("online").get<bool>();
    if (j.contains("macTextLowerCase")) s.macTextLowerCase = j.at("macTextLowerCase").get<bool>();
    // Reachable only by its address: answers no search of either kind and no assignment.
    if (j.contains("discoverable") && !j.at("discoverable").get<bool>()) {
        b.ignoreBasicSearch = b.ignoreDetailSearch = b.ignoreAssign = true;
    }
    if (!ReadFleetNumber(j, "replyDelayMs", b.replyDelayMs, 0, 60000, error) ||
        !ReadFleetNumber(j, "duplicateReplies", b.duplicateReplies, 0, 100, error)) {
        return false;
    }
    if (j.contains("ignoreBasicSearch")) b.ignoreBasicSearch = j.at("ignoreBasicSearch");
    if (j.contains("ignoreDetailSearch")) b.ignoreDetailSearch = j.at("ignoreDetailSearch");
    if (j.contains("ignoreAssign")) b.ignoreAssign = j.at("ignoreAssign");
    if (j.contains("ignoreAddressChange")) b.ignoreAddressChange = j.at("ignoreAddressChange");
    if (j.contains("hostile") && !ParseHostility(j.at("hostile").get<std::string>(), b.hostility)) {
        if (error) *error = "unknown hostile behaviour " + j.at("hostile").dump();
        return false;
    }
    if (!ApplySessionFields(j, s.session, b.session, error)) return false;
    return true;
}

}  // namespace

bool ReadFleetNumber(const nlohmann::json& j, const char* key, int64_t lowest, int64_t highest,
                     int64_t& value, std::string* error) {
    if (!j.contains(key)) return true;
    const nlohmann::json& v = j.at(key);
    bool fits = false;
    int64_t read = 0;
    if (v.is_number_unsigned()) {
        const uint64_t u = v.get<uint64_t>();
        fits = u <= static_cast<uint64_t>(highest);
        read = static_cast<int64_t>(u);
    } else if (v.is_number_integer()) {
        read = v.get<int64_t>();
        fits = true;
    }
    if (!fits || read < lowest || read > highest) {
        if (error) {
            *error = std::string(key) + " must be a whole number from " + std::to_string(lowest) +
                     " to " + std::to_string(highest) + ", not " + v.dump();
        }
        return false;
    }
    value = read;
    return true;
}

std::string MaskFor(const std::string& address) {
    uint32_t host = HostOrder(address);
    if (host >> 24 == 10) return "255.0.0.0";
    if (host >> 20 == (172u << 4 | 1)) return "255.255.0.0";
    return "255.255.255.0";
}

std::string GatewayFor(const std::string& address) {
    return Dotted((HostOrder(address) & 0xFFFFFF00u) | 1);
}

std::string DecodeTextEscapes(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

DeviceState GeneratedDevice(const GenerateOptions& options, size_t index,
                            const DeviceState& defaults) {
    DeviceState s = defaults;
    // 00-1A-2B, then the seed's low byte and the index: unique within one seed.
    s.mac = {0x00,
             0x1A,
             0x2B,
             static_cast<uint8_t>(options.seed & 0xFF),
             static_cast<uint8_t>((index >> 8) & 0xFF),
             static_cast<uint8_t>(index & 0xFF)};
    s.address = AddressAfter(options.baseAddress, index);
    if (s.mask.empty()) s.mask = MaskFor(s.address);
    if (s.gateway.empty()) s.gateway = GatewayFor(s.address);
    char text[64];
    if (s.description.empty()) {
        std::snprintf(text, sizeof text, "NVR-%03zu", index + 1);
        s.description = text;
    }
    if (s.cloudId.empty()) {
        std::snprintf(text, sizeof text, "QX%02X%02X%02X%02X%02X%02X%04u", s.mac[0], s.mac[1],
                      s.mac[2], s.mac[3], s.mac[4], s.mac[5], options.seed % 10000);
        s.cloudId = text;
    }
    if (s.releaseVersion.empty()) s.releaseVersion = "V4.02.R11.34531117.10001";
    if (s.releaseTime.empty()) s.releaseTime = "2026-03-14 09:30:00";
    if (s.startTime.empty()) s.startTime = "2026-12-07 08:00:00";
    return s;
}

void GenerateDevices(Fleet& fleet, const GenerateOptions& options, const DeviceBehaviour& behaviour,
                     const DeviceState& defaults) {
    for (size_t i = 0; i < options.count; ++i) {
        fleet.Add(GeneratedDevice(options, i, defaults), behaviour);
    }
}

bool LoadFleetJson(const std::string& json, Fleet& fleet, std::string* error) {
    nlohmann::json root = nlohmann::json::parse(json, nullptr, false);
    if (root.is_discarded() || !root.is_object()) {
        if (error) *error = "not a JSON object";
        return false;
    }
    try {
        DeviceState defaults;
        DeviceBehaviour defaultBehaviour;
        bool unusedMac = false, unusedAddress = false;
        if (root.contains("defaults") && !ApplyFields(root["defaults"], defaults, defaultBehaviour,
                                                      unusedMac, unusedAddress, error)) {
            return false;
        }
        GenerateOptions generate;
        if (root.contains("generate")) {
            const auto& g = root["generate"];
            if (!ReadFleetNumber(g, "count", generate.count, 0, kMostGenerated, error) ||
                !ReadFleetNumber(g, "seed", generate.seed, 0, UINT32_MAX, error)) {
                return false;
            }
            generate.baseAddress = g.value("baseAddress", generate.baseAddress);
        }
        GenerateDevices(fleet, generate, defaultBehaviour, defaults);
        // Listed devices continue the generated numbering.
        size_t index = generate.count;
        for (const auto& entry : root.value("devices", nlohmann::json::array())) {
            DeviceState s = defaults;
            DeviceBehaviour b = defaultBehaviour;
            bool hasMac = false, hasAddress = false;
            if (!ApplyFields(entry, s, b, hasMac, hasAddress, error)) return false;
            DeviceState g = GeneratedDevice(generate, index++, s);
            if (hasMac) g.mac = s.mac;
            if (hasAddress) {
                g.address = s.address;
                g.mask = s.mask.empty() ? MaskFor(s.address) : s.mask;
                g.gateway = s.gateway.empty() ? GatewayFor(s.address) : s.gateway;
            }
            // A text the entry sets to "" stays empty instead of being generated.
            static const std::pair<const char*, std::string DeviceState::*> kTexts[] = {
                {"description", &DeviceState::description},
                {"cloudId", &DeviceState::cloudId},
                {"releaseVersion", &DeviceState::releaseVersion},
                {"releaseTime", &DeviceState::releaseTime},
                {"startTime", &DeviceState::startTime},
            };
            for (const auto& [key, member] : kTexts) {
                if (entry.contains(key)) g.*member = s.*member;
            }
            fleet.Add(std::move(g), b);
        }
    } catch (const nlohmann::json::exception& e) {
        if (error) *error = e.what();
        return false;
    }
    return true;
}

bool LoadFleetFile(const std::string& path, Fleet& fleet, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = "cannot open " + path;
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    return LoadFleetJson(text.str(), fleet, error);
}

}  // namespace tesmara::devsim
