/* libquorn: device access for the recorders. C ABI, exported by ordinal only (quorn.def).
 * Strings are narrow and NUL-terminated: addresses and paths in the ANSI code page, user names
 * and passwords in UTF-8. Handles are 32-bit; 0 means none. Every operation is thread-safe;
 * DevGetLastError reports the last failure of the calling thread. */
#ifndef QUORN_H
#define QUORN_H

#include <stdint.h>

#ifdef _WIN32
#define QUORN_CALL __stdcall
#ifdef QUORN_BUILDING
#define QUORN_API __declspec(dllexport)
#else
#define QUORN_API __declspec(dllimport)
#endif
#else
#define QUORN_CALL
#define QUORN_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct QuornDeviceInfo {
    char text[48];
    int32_t value;
    uint8_t flag;
} QuornDeviceInfo;

/* Called on a library thread when a logged-in device's connection is lost. */
typedef void(QUORN_CALL* QuornDisconnectCallback)(int32_t login, const char* address, int32_t port,
                                                  void* user);
/* Upgrade progress, on a library thread. total 0: current is final (-1 done, -2 failed), called
 * exactly once per started upgrade that is not closed before it; DevGetLastError inside it
 * tells why (0 when done). total -1: current is the device's writing percentage; otherwise
 * current bytes of total bytes transferred. No callback follows DevCloseUpgrade. */
typedef void(QUORN_CALL* QuornProgressCallback)(int32_t login, int32_t upgrade, int32_t total,
                                                int32_t current, void* user);

/* Failure codes (DevGetLastError; DevLogin's error code is one of 1 to 9). 1-9: the login
 * answers; 11 invalid handle; 12 invalid argument; 13 wait elapsed; 14 connection lost;
 * 15 malformed answer; 16 file cannot be opened; 17 file cannot be read; 18 file too large;
 * 19 operation not allowed now; 20 unknown configuration command; 21 wrong block size;
 * 22 device could not apply; 23 configuration file refused; 24 firmware for another model;
 * 25 firmware image damaged; 26 device busy; 27 wrong password; 28 no such user;
 * 29 request not understood; 30 out of resources. docs/device-protocol.md lists them too. */

/* Ordinals in quorn.def: the numbers after each name. */
QUORN_API int32_t QUORN_CALL DevInit(QuornDisconnectCallback onDisconnect, void* user); /* 38 */
QUORN_API int32_t QUORN_CALL DevLogin(const char* address, uint16_t port, const char* user,
                                      const char* password, QuornDeviceInfo* info, int32_t* error,
                                      int32_t reserved1, int32_t reserved2); /* 41 */
QUORN_API int32_t QUORN_CALL DevLogout(int32_t login);                       /* 42 */
QUORN_API int32_t QUORN_CALL DevGetLastError(void);                          /* 27 */
QUORN_API int32_t QUORN_CALL DevGetConfig(int32_t login, int32_t command, int32_t channel,
                                          void* buffer, int32_t size, int32_t* returned,
                                          int32_t waitMs, int32_t reserved1,
                                          int32_t reserved2); /* 23 */
QUORN_API int32_t QUORN_CALL DevSetConfig(int32_t login, int32_t command, int32_t channel,
                                          const void* buffer, int32_t size,
                                          int32_t waitMs); /* 82 */
QUORN_API int32_t QUORN_CALL DevImportConfig(int32_t login, const char* path, int32_t reserved1,
                                             int32_t reserved2, int32_t reserved3,
                                             int32_t reserved4, int32_t reserved5); /* 37 */
QUORN_API int32_t QUORN_CALL DevUpgrade(int32_t login, const char* path,
                                        QuornProgressCallback progress, void* user); /* 105 */
QUORN_API int32_t QUORN_CALL DevUpgradeStart(int32_t upgrade);                       /* 77 */
QUORN_API int32_t QUORN_CALL DevCloseUpgrade(int32_t upgrade);                       /* 119 */
QUORN_API int32_t QUORN_CALL DevReboot(int32_t login);                               /* 67 */
/* table: 298,480 bytes, zeroed by the caller. */
QUORN_API int32_t QUORN_CALL DevGetUserInfo(int32_t login, void* table, int32_t waitMs); /* 65 */
/* command 6: change password; two entries of 1,296 bytes, the one holding the new password
 * first, the one holding the current password second. Returns exactly 1 when done. */
QUORN_API int32_t QUORN_CALL DevModifyUser(int32_t login, int32_t command, const void* newEntry,
                                           const void* oldEntry, int32_t waitMs); /* 48 */

#ifdef __cplusplus
}
#endif

#endif /* QUORN_H */
