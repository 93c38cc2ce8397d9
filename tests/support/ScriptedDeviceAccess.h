// A DeviceAccess that plays scripted results and records every call. Each operation has a queue
// of results, taken front first; a result may be tied to one device address so that concurrent
// workers each get their own. With nothing scripted an operation succeeds: logins and upgrades
// get fresh handles, reads fill nothing. Upgrade progress is delivered on demand, on the calling
// thread, or scripted on DevUpgradeStart and then delivered from a thread of the fake's own, as
// the library does.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "devaccess/DeviceAccess.h"

namespace tesmara::testing {

enum class DevOp {
    Init,
    Login,
    Logout,
    GetConfig,
    SetConfig,
    ImportConfig,
    Upgrade,
    UpgradeStart,
    CloseUpgrade,
    Reboot,
    GetUserInfo,
    ModifyUser,
};

struct ScriptedResult {
    int32_t result = 1;  // the return value; Login and Upgrade: 0 fails, else a fresh handle
    int32_t error = 0;   // Login: the error code written out; every call: the thread's last error
    std::vector<uint8_t> data{};  // GetConfig, GetUserInfo: bytes copied into the caller's buffer
    std::vector<std::pair<int32_t, int32_t>> progress{};  // UpgradeStart: (total, current) to send
    std::string address{};                                // empty: any device
};

struct DevCall {
    DevOp op = DevOp::Init;
    std::string address{};  // the device the call concerns (by the login it was made with)
    int32_t handle = 0;     // login or upgrade handle passed in
    uint16_t port = 0;
    std::string user{};
    std::string password{};
    std::string path{};
    int32_t command = 0;
    int32_t channel = 0;
    int32_t size = 0;
    int32_t waitMs = 0;
    std::vector<uint8_t> data{};  // SetConfig: the block; ModifyUser: old entry then new entry
    std::thread::id thread{};
    DisconnectCallback onDisconnect = nullptr;  // Init: the handler and user data passed in
    void* userData = nullptr;
};

class ScriptedDeviceAccess final : public DeviceAccess {
  public:
    ~ScriptedDeviceAccess() override;

    void Script(DevOp op, ScriptedResult result);
    // Sends progress to the callback of an upgrade handle, on the calling thread.
    bool SendProgress(int32_t upgrade, int32_t total, int32_t current);
    // Waits until all scripted progress has been delivered.
    void JoinProgressThreads();

    std::vector<DevCall> Calls() const;
    std::vector<DevCall> Calls(DevOp op) const;
    int CountOf(DevOp op) const { return static_cast<int>(Calls(op).size()); }

    int32_t DevInit(DisconnectCallback onDisconnect, void* user) override;
    int32_t DevLogin(const char* address, uint16_t port, const char* user, const char* password,
                     DeviceInfo* info, int32_t* error) override;
    int32_t DevLogout(int32_t login) override;
    int32_t DevGetLastError() override;
    int32_t DevGetConfig(int32_t login, int32_t command, int32_t channel, void* buffer,
                         int32_t size, int32_t* returned, int32_t waitMs) override;
    int32_t DevSetConfig(int32_t login, int32_t command, int32_t channel, const void* buffer,
                         int32_t size, int32_t waitMs) override;
    int32_t DevImportConfig(int32_t login, const char* path) override;
    int32_t DevUpgrade(int32_t login, const char* path, DevProgressCallback progress,
                       void* user) override;
    int32_t DevUpgradeStart(int32_t upgrade) override;
    int32_t DevCloseUpgrade(int32_t upgrade) override;
    int32_t DevReboot(int32_t login) override;
    int32_t DevGetUserInfo(int32_t login, void* table, int32_t waitMs) override;
    int32_t DevModifyUser(int32_t login, int32_t command, const void* newEntry,
                          const void* oldEntry, int32_t waitMs) override;

  private:
    struct Upgrade {
        std::string address;
        DevProgressCallback callback = nullptr;
        void* user = nullptr;
    };

    // Records the call, takes its result and sets the calling thread's last error.
    ScriptedResult Take(DevCall call);
    std::string AddressOfLogin(int32_t login) const;

    mutable std::mutex m_lock;
    std::map<DevOp, std::deque<ScriptedResult>> m_scripts;
    std::vector<DevCall> m_calls;
    std::map<int32_t, std::string> m_logins;  // handle -> address
    std::map<int32_t, Upgrade> m_upgrades;
    std::map<std::thread::id, int32_t> m_lastErrors;
    int32_t m_nextHandle = 1000;
    std::vector<std::thread> m_progressThreads;
};

}  // namespace tesmara::testing
