// Exported operations (placeholder bodies until the protocol client lands).
#include "quorn/quorn.h"

extern "C" {
QUORN_API int32_t QUORN_CALL DevInit(QuornDisconnectCallback, void*) {
    return 1;
}
QUORN_API int32_t QUORN_CALL DevLogin(const char*, uint16_t, const char*, const char*,
                                      QuornDeviceInfo*, int32_t* error, int32_t, int32_t) {
    if (error) *error = 9;
    return 0;
}
QUORN_API int32_t QUORN_CALL DevLogout(int32_t) {
    return 0;
}
QUORN_API int32_t QUORN_CALL DevGetLastError(void) {
    return 0;
}
QUORN_API int32_t QUORN_CALL DevGetConfig(int32_t, int32_t, int32_t, void*, int32_t, int32_t*,
                                          int32_t, int32_t, int32_t) {
    return 0;
}
QUORN_API int32_t QUORN_CALL DevSetConfig(int32_t, int32_t, int32_t, const void*, int32_t,
                                          int32_t) {
    return 0;
}
QUORN_API int32_t QUORN_CALL DevImportConfig(int32_t, const char*, int32_t, int32_t, int32_t,
                                             int32_t, int32_t) {
    return 0;
}
QUORN_API int32_t QUORN_CALL DevUpgrade(int32_t, const char*, QuornProgressCallback, void*) {
    return 0;
}
QUORN_API int32_t QUORN_CALL DevUpgradeStart(int32_t) {
    return 0;
}
QUORN_API int32_t QUORN_CALL DevCloseUpgrade(int32_t) {
    return 0;
}
QUORN_API int32_t QUORN_CALL DevReboot(int32_t) {
    return 0;
}
QUORN_API int32_t QUORN_CALL DevGetUserInfo(int32_t, void*, int32_t) {
    return 0;
}
QUORN_API int32_t QUORN_CALL DevModifyUser(int32_t, int32_t, const void*, const void*, int32_t) {
    return 0;
}
}
