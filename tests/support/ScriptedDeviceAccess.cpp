#include "tests/support/ScriptedDeviceAccess.h"

#include <algorithm>
#include <cstring>

namespace tesmara::testing {
namespace {

const uint8_t* Bytes(const void* p) {
    return static_cast<const uint8_t*>(p);
}

}  // namespace

ScriptedDeviceAccess::~ScriptedDeviceAccess() {
    JoinProgressThreads();
}

void ScriptedDeviceAccess::Script(DevOp op, ScriptedResult result) {
    std::lock_guard hold(m_lock);
    m_scripts[op].push_back(std::move(result));
}

bool ScriptedDeviceAccess::SendProgress(int32_t upgrade, int32_t total, int32_t current) {
    Upgrade target;
    {
        std::lock_guard hold(m_lock);
        auto it = m_upgrades.find(upgrade);
        if (it == m_upgrades.end() || !it->second.callback) return false;
        target = it->second;
    }
    target.callback(0, upgrade, total, current, target.user);
    return true;
}

void ScriptedDeviceAccess::JoinProgressThreads() {
    std::vector<std::thread> threads;
    {
        std::lock_guard hold(m_lock);
        threads.swap(m_progressThreads);
    }
    for (std::thread& t : threads) t.join();
}

std::vector<DevCall> ScriptedDeviceAccess::Calls() const {
    std::lock_guard hold(m_lock);
    return m_calls;
}

std::vector<DevCall> ScriptedDeviceAccess::Calls(DevOp op) const {
    std::vector<DevCall> out;
    for (DevCall& call : Calls())
        if (call.op == op) out.push_back(std::move(call));
    return out;
}

ScriptedResult ScriptedDeviceAccess::Take(DevCall call) {
    std::lock_guard hold(m_lock);
    call.thread = std::this_thread::get_id();
    ScriptedResult result;
    auto& queue = m_scripts[call.op];
    auto it = std::find_if(queue.begin(), queue.end(), [&](const ScriptedResult& r) {
        return r.address.empty() || r.address == call.address;
    });
    if (it != queue.end()) {
        result = std::move(*it);
        queue.erase(it);
    }
    m_lastErrors[call.thread] = result.error;
    m_calls.push_back(std::move(call));
    return result;
}

std::string ScriptedDeviceAccess::AddressOfLogin(int32_t login) const {
    std::lock_guard hold(m_lock);
    auto it = m_logins.find(login);
    return it == m_logins.end() ? std::string() : it->second;
}

int32_t ScriptedDeviceAccess::DevInit(DisconnectCallback onDisconnect, void* user) {
    return Take({.op = DevOp::Init, .onDisconnect = onDisconnect, .userData = user}).result;
}

int32_t ScriptedDeviceAccess::DevLogin(const char* address, uint16_t port, const char* user,
                                       const char* password, DeviceInfo* info, int32_t* error) {
    ScriptedResult r = Take({.op = DevOp::Login,
                             .address = address ? address : "",
                             .port = port,
                             .user = user ? user : "",
                             .password = password ? password : ""});
    if (info) *info = DeviceInfo{};
    if (r.result == 0) {
        if (error) *error = r.error;
        return 0;
    }
    std::lock_guard hold(m_lock);
    const int32_t login = ++m_nextHandle;
    m_logins[login] = address ? address : "";
    return login;
}

int32_t ScriptedDeviceAccess::DevLogout(int32_t login) {
    return Take({.op = DevOp::Logout, .address = AddressOfLogin(login), .handle = login}).result;
}

int32_t ScriptedDeviceAccess::DevGetLastError() {
    std::lock_guard hold(m_lock);
    auto it = m_lastErrors.find(std::this_thread::get_id());
    return it == m_lastErrors.end() ? 0 : it->second;
}

int32_t ScriptedDeviceAccess::DevGetConfig(int32_t login, int32_t command, int32_t channel,
                                           void* buffer, int32_t size, int32_t* returned,
                                           int32_t waitMs) {
    ScriptedResult r = Take({.op = DevOp::GetConfig,
                             .address = AddressOfLogin(login),
                             .handle = login,
                             .command = command,
                             .channel = channel,
                             .size = size,
                             .waitMs = waitMs});
    const size_t n = std::min(r.data.size(), static_cast<size_t>(std::max(size, 0)));
    if (buffer && n > 0) std::memcpy(buffer, r.data.data(), n);
    // With no bytes scripted the device answers a whole block of zeros.
    if (returned) *returned = r.data.empty() && r.result ? size : static_cast<int32_t>(n);
    return r.result;
}

int32_t ScriptedDeviceAccess::DevSetConfig(int32_t login, int32_t command, int32_t channel,
                                           const void* buffer, int32_t size, int32_t waitMs) {
    std::vector<uint8_t> block;
    if (buffer && size > 0) block.assign(Bytes(buffer), Bytes(buffer) + size);
    return Take({.op = DevOp::SetConfig,
                 .address = AddressOfLogin(login),
                 .handle = login,
                 .command = command,
                 .channel = channel,
                 .size = size,
                 .waitMs = waitMs,
                 .data = std::move(block)})
        .result;
}

int32_t ScriptedDeviceAccess::DevImportConfig(int32_t login, const char* path) {
    return Take({.op = DevOp::ImportConfig,
                 .address = AddressOfLogin(login),
                 .handle = login,
                 .path = path ? path : ""})
        .result;
}

int32_t ScriptedDeviceAccess::DevUpgrade(int32_t login, const char* path,
                                         DevProgressCallback progress, void* user) {
    const std::string address = AddressOfLogin(login);
    ScriptedResult r =
        Take({.op = DevOp::Upgrade, .address = address, .handle = login, .path = path ? path : ""});
    if (r.result == 0) return 0;
    std::lock_guard hold(m_lock);
    const int32_t upgrade = ++m_nextHandle;
    m_upgrades[upgrade] = {address, progress, user};
    return upgrade;
}

int32_t ScriptedDeviceAccess::DevUpgradeStart(int32_t upgrade) {
    std::string address;
    {
        std::lock_guard hold(m_lock);
        auto it = m_upgrades.find(upgrade);
        if (it != m_upgrades.end()) address = it->second.address;
    }
    ScriptedResult r = Take({.op = DevOp::UpgradeStart, .address = address, .handle = upgrade});
    if (r.result != 0 && !r.progress.empty()) {
        std::lock_guard hold(m_lock);
        m_progressThreads.emplace_back([this, upgrade, steps = std::move(r.progress)] {
            for (const auto& [total, current] : steps) SendProgress(upgrade, total, current);
        });
    }
    return r.result;
}

int32_t ScriptedDeviceAccess::DevCloseUpgrade(int32_t upgrade) {
    std::string address;
    {
        std::lock_guard hold(m_lock);
        auto it = m_upgrades.find(upgrade);
        if (it != m_upgrades.end()) address = it->second.address;
    }
    return Take({.op = DevOp::CloseUpgrade, .address = address, .handle = upgrade}).result;
}

int32_t ScriptedDeviceAccess::DevReboot(int32_t login) {
    return Take({.op = DevOp::Reboot, .address = AddressOfLogin(login), .handle = login}).result;
}

int32_t ScriptedDeviceAccess::DevGetUserInfo(int32_t login, void* table, int32_t waitMs) {
    ScriptedResult r = Take({.op = DevOp::GetUserInfo,
                             .address = AddressOfLogin(login),
                             .handle = login,
                             .size = kUserTableSize,
                             .waitMs = waitMs});
    const size_t n = std::min(r.data.size(), static_cast<size_t>(kUserTableSize));
    if (table && n > 0) std::memcpy(table, r.data.data(), n);
    return r.result;
}

int32_t ScriptedDeviceAccess::DevModifyUser(int32_t login, int32_t command, const void* newEntry,
                                            const void* oldEntry, int32_t waitMs) {
    std::vector<uint8_t> entries;
    for (const void* entry : {newEntry, oldEntry})
        if (entry) entries.insert(entries.end(), Bytes(entry), Bytes(entry) + kUserEntrySize);
    return Take({.op = DevOp::ModifyUser,
                 .address = AddressOfLogin(login),
                 .handle = login,
                 .command = command,
                 .size = kUserEntrySize,
                 .waitMs = waitMs,
                 .data = std::move(entries)})
        .result;
}

}  // namespace tesmara::testing
