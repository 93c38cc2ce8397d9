#include "devaccess/QuornDeviceAccess.h"

#include <cstring>
#include <type_traits>

#include "quorn/quorn.h"

namespace tesmara {
namespace {

// The port's callbacks go to the library as they are: on x86-64 the library's calling
// convention is the platform's only one, so the types are the same. A target where they differ
// (32-bit Windows) fails here instead of calling callbacks wrongly.
static_assert(std::is_same_v<QuornProgressCallback, DevProgressCallback>);
static_assert(std::is_same_v<QuornDisconnectCallback, DisconnectCallback>);

// The trailing arguments that the library's interface fixes.
constexpr int32_t kUnused = 0;
constexpr int32_t kImportWhole = 1;

}  // namespace

int32_t QuornDeviceAccess::DevInit(DisconnectCallback onDisconnect, void* user) {
    return ::DevInit(onDisconnect, user);
}

int32_t QuornDeviceAccess::DevLogin(const char* address, uint16_t port, const char* user,
                                    const char* password, DeviceInfo* info, int32_t* error) {
    // The library fills its own record; ours is copied field by field rather than aliased.
    QuornDeviceInfo filled{};
    const int32_t login =
        ::DevLogin(address, port, user, password, &filled, error, kUnused, kUnused);
    if (info) {
        static_assert(sizeof(info->text) == sizeof(filled.text));
        std::memcpy(info->text, filled.text, sizeof(info->text));
        info->value = filled.value;
        info->flag = filled.flag;
    }
    return login;
}

int32_t QuornDeviceAccess::DevLogout(int32_t login) {
    return ::DevLogout(login);
}

int32_t QuornDeviceAccess::DevGetLastError() {
    return ::DevGetLastError();
}

int32_t QuornDeviceAccess::DevGetConfig(int32_t login, int32_t command, int32_t channel,
                                        void* buffer, int32_t size, int32_t* returned,
                                        int32_t waitMs) {
    return ::DevGetConfig(login, command, channel, buffer, size, returned, waitMs, kUnused,
                          kUnused);
}

int32_t QuornDeviceAccess::DevSetConfig(int32_t login, int32_t command, int32_t channel,
                                        const void* buffer, int32_t size, int32_t waitMs) {
    return ::DevSetConfig(login, command, channel, buffer, size, waitMs);
}

int32_t QuornDeviceAccess::DevImportConfig(int32_t login, const char* path) {
    return ::DevImportConfig(login, path, kUnused, kUnused, kUnused, kUnused, kImportWhole);
}

int32_t QuornDeviceAccess::DevUpgrade(int32_t login, const char* path, DevProgressCallback progress,
                                      void* user) {
    return ::DevUpgrade(login, path, progress, user);
}

int32_t QuornDeviceAccess::DevUpgradeStart(int32_t upgrade) {
    return ::DevUpgradeStart(upgrade);
}

int32_t QuornDeviceAccess::DevCloseUpgrade(int32_t upgrade) {
    return ::DevCloseUpgrade(upgrade);
}

int32_t QuornDeviceAccess::DevReboot(int32_t login) {
    return ::DevReboot(login);
}

int32_t QuornDeviceAccess::DevGetUserInfo(int32_t login, void* table, int32_t waitMs) {
    return ::DevGetUserInfo(login, table, waitMs);
}

int32_t QuornDeviceAccess::DevModifyUser(int32_t login, int32_t command, const void* newEntry,
                                         const void* oldEntry, int32_t waitMs) {
    return ::DevModifyUser(login, command, newEntry, oldEntry, waitMs);
}

}  // namespace tesmara
