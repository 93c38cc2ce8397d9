#include "devsim/session/SessionState.h"

#include <cstring>
#include <nlohmann/json.hpp>

#include "devsim/model/FleetBuilder.h"

namespace tesmara::devsim {

std::vector<SimUser> DefaultUsers() {
    return {{.name = "admin", .password = "", .manageUsers = true},
            {.name = "operator", .password = "operator1"},
            {.name = "guest", .password = "guest"}};
}

std::array<uint8_t, 128> DefaultDisplayBlock() {
    std::array<uint8_t, 128> block{};
    // Bytes no client reads: a recognisable pattern, so a write-back that disturbs them shows.
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(0xA0 + i % 16);
    block[21] = 0;  // PAL
    block[23] = 1;  // resolution code
    std::memset(&block[28], 0, 4);
    block[28] = 1;  // language
    return block;
}

std::array<uint8_t, 772> DefaultNetworkBlock() {
    std::array<uint8_t, 772> block{};
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(0x30 + i % 64);
    return block;
}

bool ApplySessionFields(const nlohmann::json& j, SessionState& s, SessionFaults& f,
                        std::string* error) {
    try {
        if (j.contains("model")) s.model = j.at("model").get<std::string>();
        if (j.contains("users")) {
            s.users.clear();
            for (const auto& u : j.at("users")) {
                // Without a word on rights, the account called admin manages the others.
                std::string name = u.at("name").get<std::string>();
                s.users.push_back({.name = name,
                                   .password = u.value("password", std::string()),
                                   .manageUsers = u.value("manageUsers", name == "admin")});
            }
        }
        if (!ReadFleetNumber(j, "loginError", f.loginError, 0, 7, error)) return false;
        if (j.contains("unreachable")) f.unreachable = j.at("unreachable").get<bool>();
        if (j.contains("silent")) f.silent = j.at("silent").get<bool>();
        if (!ReadFleetNumber(j, "sessionDelayMs", f.replyDelayMs, 0, 60000, error) ||
            !ReadFleetNumber(j, "dropUpgradeAt", f.dropUpgradeAt, -1, INT32_MAX, error) ||
            !ReadFleetNumber(j, "stallUpgradeAt", f.stallUpgradeAt, -1, INT32_MAX, error) ||
            !ReadFleetNumber(j, "stopReadingAt", f.stopReadingAt, -1, INT32_MAX, error)) {
            return false;
        }
        if (j.contains("failGetConfig")) f.failGetConfig = j.at("failGetConfig").get<bool>();
        if (j.contains("failSetConfig")) f.failSetConfig = j.at("failSetConfig").get<bool>();
        if (j.contains("failImport")) f.failImport = j.at("failImport").get<bool>();
        if (j.contains("failClock")) f.failClock = j.at("failClock").get<bool>();
        if (j.contains("neverBack")) f.neverBack = j.at("neverBack").get<bool>();
        if (j.contains("keepVersion")) f.keepVersion = j.at("keepVersion").get<bool>();
        if (!ReadFleetNumber(j, "maxSessions", f.maxSessions, 0, UINT32_MAX, error) ||
            !ReadFleetNumber(j, "lockAfter", f.lockAfter, 0, UINT32_MAX, error) ||
            !ReadFleetNumber(j, "accountLockAfter", f.accountLockAfter, 0, UINT32_MAX, error) ||
            !ReadFleetNumber(j, "lockoutMs", f.lockoutMs, 0, UINT32_MAX, error) ||
            !ReadFleetNumber(j, "loginCount", f.loginCount, 1, UINT32_MAX, error) ||
            !ReadFleetNumber(j, "writingMs", f.writingMs, 0, 600000, error) ||
            !ReadFleetNumber(j, "upgradeWindow", f.upgradeWindow, 1, INT32_MAX, error) ||
            !ReadFleetNumber(j, "rebootOfflineMs", f.offlineMs, 0, 600000, error)) {
            return false;
        }
    } catch (const nlohmann::json::exception& e) {
        if (error) *error = e.what();
        return false;
    }
    return true;
}

}  // namespace tesmara::devsim
