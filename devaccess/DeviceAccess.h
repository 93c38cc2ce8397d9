// The device-access library as the system sees it: the thirteen operations, with their argument
// order and result meanings. The real implementation calls libquorn.dll (imported by ordinal);
// unit tests use a scripted fake. Narrow strings: addresses and paths in the ANSI code page,
// user names and passwords in UTF-8.
#pragma once

#include <cstdint>

namespace tesmara {

// Filled by DevLogin; nobody reads it.
struct DeviceInfo {
    char text[48];
    int32_t value;
    uint8_t flag;
};

// Progress callback: two leading values (ignored), total, current, user data.
// total 0: current is final (-1 done, -2 failed); total -1: current is the second phase's
// percentage; otherwise current of total of the first phase. Called on library threads.
using DevProgressCallback = void (*)(int32_t, int32_t, int32_t total, int32_t current, void* user);
using DisconnectCallback = void (*)(int32_t loginHandle, const char* address, int32_t port,
                                    void* user);

constexpr int kConfigDeviceTime = 8;
constexpr int kConfigDisplay = 49;
constexpr int kConfigNetwork = 81;
constexpr int kModifyUserPassword = 6;
constexpr int kUserTableSize = 298480;
constexpr int kUserEntrySize = 1296;

class DeviceAccess {
  public:
    virtual ~DeviceAccess() = default;
    virtual int32_t DevInit(DisconnectCallback onDisconnect, void* user) = 0;
    // Handle, or 0 with *error set (error may be null).
    virtual int32_t DevLogin(const char* address, uint16_t port, const char* user,
                             const char* password, DeviceInfo* info, int32_t* error) = 0;
    virtual int32_t DevLogout(int32_t login) = 0;
    virtual int32_t DevGetLastError() = 0;
    virtual int32_t DevGetConfig(int32_t login, int32_t command, int32_t channel, void* buffer,
                                 int32_t size, int32_t* returned, int32_t waitMs) = 0;
    virtual int32_t DevSetConfig(int32_t login, int32_t command, int32_t channel,
                                 const void* buffer, int32_t size, int32_t waitMs) = 0;
    virtual int32_t DevImportConfig(int32_t login, const char* path) = 0;
    virtual int32_t DevUpgrade(int32_t login, const char* path, DevProgressCallback progress,
                               void* user) = 0;
    virtual int32_t DevUpgradeStart(int32_t upgrade) = 0;
    virtual int32_t DevCloseUpgrade(int32_t upgrade) = 0;
    virtual int32_t DevReboot(int32_t login) = 0;
    virtual int32_t DevGetUserInfo(int32_t login, void* table,
                                   int32_t waitMs) = 0;  // kUserTableSize
    virtual int32_t DevModifyUser(int32_t login, int32_t command, const void* newEntry,
                                  const void* oldEntry, int32_t waitMs) = 0;
};

}  // namespace tesmara
