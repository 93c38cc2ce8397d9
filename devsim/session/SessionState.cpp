#include "devsim/session/SessionState.h"

#include <cstring>
#include <nlohmann/json.hpp>

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
        if (j.contains("loginError")) {
            f.loginError = j.at("loginError").get<int32_t>();
            if (f.loginError < 0 || f.loginError > 7) {
                if (error) *error = "loginError must be 0 to 7";
                return false;
            }
        }
        if (j.contains("unreachable")) f.unreachable = j.at("unreachable").get<bool>();
        if (j.contains("silent")) f.silent = j.at("silent").get<bool>();
        if (j.contains("sessionDelayMs")) f.replyDelayMs = j.at("sessionDelayMs").get<uint32_t>();
        if (j.contains("dropUpgradeAt")) f.dropUpgradeAt = j.at("dropUpgradeAt").get<int64_t>();
        if (j.contains("stallUpgradeAt")) f.stallUpgradeAt = j.at("stallUpgradeAt").get<int64_t>();
        if (j.contains("failGetConfig")) f.failGetConfig = j.at("failGetConfig").get<bool>();
        if (j.contains("failSetConfig")) f.failSetConfig = j.at("failSetConfig").get<bool>();
        if (j.contains("failImport")) f.failImport = j.at("failImport").get<bool>();
        if (j.contains("failClock")) f.failClock = j.at("failClock").get<bool>();
        if (j.contains("neverBack")) f.neverBack = j.at("neverBack").get<bool>();
        if (j.contains("keepVersion")) f.keepVersion = j.at("keepVersion").get<bool>();
        if (j.contains("maxSessions")) f.maxSessions = j.at("maxSessions").get<uint32_t>();
        if (j.contains("lockAfter")) f.lockAfter = j.at("lockAfter").get<uint32_t>();
        if (j.contains("accountLockAfter"))
            f.accountLockAfter = j.at("accountLockAfter").get<uint32_t>();
        if (j.contains("lockoutMs")) f.lockoutMs = j.at("lockoutMs").get<uint32_t>();
        if (j.contains("loginCount")) {
            f.loginCount = j.at("loginCount").get<uint32_t>();
            if (f.loginCount == 0) {
                if (error) *error = "loginCount must be at least 1";
                return false;
            }
        }
        if (j.contains("writingMs")) f.writingMs = j.at("writingMs").get<uint32_t>();
        if (j.contains("upgradeWindow")) {
            f.upgradeWindow = j.at("upgradeWindow").get<uint32_t>();
            if (f.upgradeWindow == 0) {
                if (error) *error = "upgradeWindow must be above 0";
                return false;
            }
        }
        if (j.contains("rebootOfflineMs")) f.offlineMs = j.at("rebootOfflineMs").get<uint32_t>();
    } catch (const nlohmann::json::exception& e) {
        if (error) *error = e.what();
        return false;
    }
    return true;
}

}  // namespace tesmara::devsim
