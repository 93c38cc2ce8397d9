// Stands in for the device-access library where none is wired: every operation fails as if no
// device could be reached (login error 9), so nothing ever looks like it succeeded.
#pragma once

#include "devaccess/DeviceAccess.h"

namespace tesmara {

class PlaceholderDeviceAccess : public DeviceAccess {
  public:
    int32_t DevInit(DisconnectCallback, void*) override { return 1; }
    int32_t DevLogin(const char*, uint16_t, const char*, const char*, DeviceInfo*,
                     int32_t* error) override {
        if (error) *error = 9;
        return 0;
    }
    int32_t DevLogout(int32_t) override { return 0; }
    int32_t DevGetLastError() override { return 9; }
    int32_t DevGetConfig(int32_t, int32_t, int32_t, void*, int32_t, int32_t*, int32_t) override {
        return 0;
    }
    int32_t DevSetConfig(int32_t, int32_t, int32_t, const void*, int32_t, int32_t) override {
        return 0;
    }
    int32_t DevImportConfig(int32_t, const char*) override { return 0; }
    int32_t DevUpgrade(int32_t, const char*, DevProgressCallback, void*) override { return 0; }
    int32_t DevUpgradeStart(int32_t) override { return 0; }
    int32_t DevCloseUpgrade(int32_t) override { return 0; }
    int32_t DevReboot(int32_t) override { return 0; }
    int32_t DevGetUserInfo(int32_t, void*, int32_t) override { return 0; }
    int32_t DevModifyUser(int32_t, int32_t, const void*, const void*, int32_t) override {
        return 0;
    }
};

}  // namespace tesmara
