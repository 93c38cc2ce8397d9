// The console wants to say why an upgrade failed, which the window's lines do not: this
// device-access wrapper passes every operation through and, in the final callback of a failed
// upgrade, reads the library's last error on the callback's thread and keeps it per user data
// (the device's row) before the callback goes on.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "devaccess/DeviceAccess.h"

namespace tesmara::cli {

// The code table's meaning of a library failure code, for people ("code 99" when unknown).
std::string FailureText(int32_t code);

class UpgradeCauses final : public DeviceAccess {
  public:
    explicit UpgradeCauses(DeviceAccess& inner) : m_inner(inner) {}

    // Why the last failed upgrade of `user` failed; 0 when none failed.
    int32_t CauseOf(const void* user);

    int32_t DevInit(DisconnectCallback onDisconnect, void* user) override {
        return m_inner.DevInit(onDisconnect, user);
    }
    int32_t DevLogin(const char* address, uint16_t port, const char* user, const char* password,
                     DeviceInfo* info, int32_t* error) override {
        return m_inner.DevLogin(address, port, user, password, info, error);
    }
    int32_t DevLogout(int32_t login) override { return m_inner.DevLogout(login); }
    int32_t DevGetLastError() override { return m_inner.DevGetLastError(); }
    int32_t DevGetConfig(int32_t login, int32_t command, int32_t channel, void* buffer,
                         int32_t size, int32_t* returned, int32_t waitMs) override {
        return m_inner.DevGetConfig(login, command, channel, buffer, size, returned, waitMs);
    }
    int32_t DevSetConfig(int32_t login, int32_t command, int32_t channel, const void* buffer,
                         int32_t size, int32_t waitMs) override {
        return m_inner.DevSetConfig(login, command, channel, buffer, size, waitMs);
    }
    int32_t DevImportConfig(int32_t login, const char* path) override {
        return m_inner.DevImportConfig(login, path);
    }
    int32_t DevUpgrade(int32_t login, const char* path, DevProgressCallback progress,
                       void* user) override;
    int32_t DevUpgradeStart(int32_t upgrade) override { return m_inner.DevUpgradeStart(upgrade); }
    int32_t DevCloseUpgrade(int32_t upgrade) override;
    int32_t DevReboot(int32_t login) override { return m_inner.DevReboot(login); }
    int32_t DevGetUserInfo(int32_t login, void* table, int32_t waitMs) override {
        return m_inner.DevGetUserInfo(login, table, waitMs);
    }
    int32_t DevModifyUser(int32_t login, int32_t command, const void* newEntry,
                          const void* oldEntry, int32_t waitMs) override {
        return m_inner.DevModifyUser(login, command, newEntry, oldEntry, waitMs);
    }

  private:
    struct Relay {
        UpgradeCauses* owner;
        DevProgressCallback progress;
        void* user;
    };
    static void OnProgress(int32_t first, int32_t second, int32_t total, int32_t current,
                           void* relay);

    DeviceAccess& m_inner;
    std::mutex m_mutex;
    std::map<int32_t, std::unique_ptr<Relay>> m_relays;  // by upgrade handle, until closed
    std::map<const void*, int32_t> m_causes;
};

}  // namespace tesmara::cli
