// The device-access port over libquorn (ours, or any library with the same ordinals): each
// operation is one call into the library with the arguments the library expects.
#pragma once

#include "devaccess/DeviceAccess.h"

namespace tesmara {

class QuornDeviceAccess final : public DeviceAccess {
  public:
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
};

}  // namespace tesmara
