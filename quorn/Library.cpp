// The thirteen exported operations. Each one validates its handle and arguments, does its work
// through a Session, and records a failure for DevGetLastError on the calling thread.
#include <sys/stat.h>
#include <algorithm>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "quorn/FirmwareImage.h"
#include "quorn/LastError.h"
#include "quorn/Protocol.h"
#include "quorn/Registry.h"
#include "quorn/Session.h"
#include "quorn/Upgrade.h"
#include "quorn/quorn.h"

namespace quorn {
namespace {

constexpr int kDefaultWaitMs = 10000;
// A password change costs the device two stretches at a count of at least kLoginCountFloor (the
// current password's and the new verifier's). A caller's shorter wait, chosen for devices that
// did not stretch, would report a change that the device then makes as failed.
constexpr int kModifyUserLeastWaitMs = 5000;
constexpr int kImportWaitMs = 30000;
constexpr int kRebootWaitMs = 5000;

std::mutex g_initMutex;
QuornDisconnectCallback g_onDisconnect = nullptr;
void* g_disconnectUser = nullptr;

int32_t Fail(int32_t status) {
    SetLastError(status);
    return 0;
}

// A negative or zero wait means "the library's default"; every wait is bounded.
int WaitOrDefault(int32_t waitMs, int fallback) {
    return waitMs > 0 ? waitMs : fallback;
}

void OnLost(int32_t handle, const std::string& address, uint16_t port) {
    QuornDisconnectCallback callback;
    void* user;
    {
        std::lock_guard lock(g_initMutex);
        callback = g_onDisconnect;
        user = g_disconnectUser;
    }
    if (callback) callback(handle, address.c_str(), port, user);
}

// Opens a file to send: kOk, kFileOpen, or kFileRead for a folder, which opens on some
// systems but has no bytes to send.
int32_t OpenFile(const char* path, std::FILE*& file) {
    file = nullptr;
    if (!path || !*path) return kFileOpen;
    // Narrow stat and fopen take the path in the ANSI code page on Windows, as callers pass it.
    struct stat info;
    if (stat(path, &info) == 0 && S_ISDIR(info.st_mode)) return kFileRead;
    file = std::fopen(path, "rb");
    return file ? kOk : kFileOpen;
}

// Size of an open file, or -1 if it cannot be told or does not fit the progress values.
int64_t FileSize(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    long size = std::ftell(file);
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) return -1;
    return size;
}

}  // namespace
}  // namespace quorn

using namespace quorn;

extern "C" {

QUORN_API int32_t QUORN_CALL DevInit(QuornDisconnectCallback onDisconnect, void* user) {
    if (!TcpStartup()) return Fail(kNoResources);
    std::lock_guard lock(g_initMutex);
    g_onDisconnect = onDisconnect;
    g_disconnectUser = user;
    return 1;
}

QUORN_API int32_t QUORN_CALL DevLogin(const char* address, uint16_t port, const char* user,
                                      const char* password, QuornDeviceInfo* info, int32_t* error,
                                      int32_t, int32_t) {
    if (info) std::memset(info, 0, sizeof *info);
    int32_t code = kLoginNoHost;
    std::shared_ptr<Session> session;
    if (TcpStartup()) {
        try {
            code = Session::Open(address, port, user, password, info, session);
        } catch (const std::bad_alloc&) {
            code = kLoginBusy;
        }
    }
    if (code == kOk) {
        // No handle or no thread for the session: the client is out of resources.
        code = kLoginBusy;
        int32_t handle = 0;
        try {
            handle = Handles().AddSession(session);
            if (handle) {
                session->Start(handle, OnLost);
                if (error) *error = 0;
                return handle;
            }
        } catch (...) {
            if (handle) Handles().TakeSession(handle);
        }
    }
    if (error) *error = code;
    return Fail(code);
}

QUORN_API int32_t QUORN_CALL DevLogout(int32_t login) {
    std::shared_ptr<Session> session = Handles().TakeSession(login);
    if (!session) return Fail(kInvalidHandle);
    session->Close();
    return 1;
}

QUORN_API int32_t QUORN_CALL DevGetLastError(void) {
    return LastError();
}

QUORN_API int32_t QUORN_CALL DevGetConfig(int32_t login, int32_t command, int32_t channel,
                                          void* buffer, int32_t size, int32_t* returned,
                                          int32_t waitMs, int32_t, int32_t) {
    if (returned) *returned = 0;
    std::shared_ptr<Session> session = Handles().FindSession(login);
    if (!session) return Fail(kInvalidHandle);
    if (!buffer || size <= 0) return Fail(kInvalidArgument);
    Writer request;
    request.I32(command).I32(channel).U32(static_cast<uint32_t>(size));
    Frame reply;
    Reader block(nullptr, 0);
    int32_t status = session->StatusRequest(Type::GetConfig, request.Data(),
                                            WaitOrDefault(waitMs, kDefaultWaitMs), reply, &block);
    if (status != kOk) return Fail(status);
    size_t length = block.Remaining();
    if (length > static_cast<size_t>(size)) return Fail(kBadSize);
    if (length) std::memcpy(buffer, block.Bytes(length), length);
    if (returned) *returned = static_cast<int32_t>(length);
    return 1;
}

QUORN_API int32_t QUORN_CALL DevSetConfig(int32_t login, int32_t command, int32_t channel,
                                          const void* buffer, int32_t size, int32_t waitMs) {
    std::shared_ptr<Session> session = Handles().FindSession(login);
    if (!session) return Fail(kInvalidHandle);
    if (!buffer || size <= 0 || static_cast<uint32_t>(size) > kMaxPayload - 8)
        return Fail(kInvalidArgument);
    Writer request;
    request.I32(command).I32(channel).Bytes(buffer, static_cast<size_t>(size));
    Frame reply;
    int32_t status = session->StatusRequest(Type::SetConfig, request.Data(),
                                            WaitOrDefault(waitMs, kDefaultWaitMs), reply);
    return status == kOk ? 1 : Fail(status);
}

QUORN_API int32_t QUORN_CALL DevImportConfig(int32_t login, const char* path, int32_t, int32_t,
                                             int32_t, int32_t, int32_t) {
    std::shared_ptr<Session> session = Handles().FindSession(login);
    if (!session) return Fail(kInvalidHandle);
    std::FILE* file;
    if (int32_t opened = OpenFile(path, file); opened != kOk) return Fail(opened);
    int64_t size = FileSize(file);
    // An empty file is no configuration: refused here, before anything is sent.
    if (size <= 0 || size > static_cast<int64_t>(kMaxPayload)) {
        std::fclose(file);
        return Fail(size <= 0 ? kFileRead : kFileTooLarge);
    }
    std::vector<uint8_t> content(static_cast<size_t>(size));
    size_t got = std::fread(content.data(), 1, content.size(), file);
    std::fclose(file);
    if (got != content.size()) return Fail(kFileRead);
    Frame reply;
    int32_t status = session->StatusRequest(Type::ImportConfig, content, kImportWaitMs, reply);
    return status == kOk ? 1 : Fail(status);
}

QUORN_API int32_t QUORN_CALL DevUpgrade(int32_t login, const char* path,
                                        QuornProgressCallback progress, void* user) {
    std::shared_ptr<Session> session = Handles().FindSession(login);
    if (!session) return Fail(kInvalidHandle);
    if (!session->Alive()) return Fail(kDisconnected);
    std::FILE* file;
    if (int32_t opened = OpenFile(path, file); opened != kOk) return Fail(opened);
    int64_t size = FileSize(file);
    if (size <= 0 || size > kMaxImageFileSize) {
        std::fclose(file);
        return Fail(size == 0 || size < 0 ? kFileRead : kFileTooLarge);
    }
    // Fail fast on a file that is no image: its header must be sound and name the file's
    // length. The device judges the rest (model, payload hash).
    uint8_t header[kImageHeaderSize];
    int32_t refused = kOk;
    if (size < static_cast<int64_t>(kImageHeaderSize))
        refused = kBadChecksum;
    else if (std::fread(header, 1, sizeof header, file) != sizeof header ||
             std::fseek(file, 0, SEEK_SET) != 0)
        refused = kFileRead;
    else if (!HeaderNamesFile(header, size))
        refused = kBadChecksum;
    if (refused != kOk) {
        std::fclose(file);
        return Fail(refused);
    }
    try {
        auto upgrade = std::make_shared<Upgrade>(session, login, file, static_cast<uint64_t>(size),
                                                 progress, user);
        int32_t handle = Handles().AddUpgrade(upgrade);
        if (!handle) return Fail(kNoResources);
        upgrade->SetHandle(handle);
        return handle;
    } catch (const std::bad_alloc&) {
        return Fail(kNoResources);
    }
}

QUORN_API int32_t QUORN_CALL DevUpgradeStart(int32_t upgrade) {
    std::shared_ptr<Upgrade> found = Handles().FindUpgrade(upgrade);
    if (!found) return Fail(kInvalidHandle);
    int32_t status = found->Start();
    return status == kOk ? 1 : Fail(status);
}

QUORN_API int32_t QUORN_CALL DevCloseUpgrade(int32_t upgrade) {
    std::shared_ptr<Upgrade> found = Handles().TakeUpgrade(upgrade);
    if (!found) return Fail(kInvalidHandle);
    found->Close();
    return 1;
}

QUORN_API int32_t QUORN_CALL DevReboot(int32_t login) {
    std::shared_ptr<Session> session = Handles().FindSession(login);
    if (!session) return Fail(kInvalidHandle);
    Frame reply;
    int32_t status = session->StatusRequest(Type::Reboot, {}, kRebootWaitMs, reply);
    return status == kOk ? 1 : Fail(status);
}

QUORN_API int32_t QUORN_CALL DevGetUserInfo(int32_t login, void* table, int32_t waitMs) {
    std::shared_ptr<Session> session = Handles().FindSession(login);
    if (!session) return Fail(kInvalidHandle);
    if (!table) return Fail(kInvalidArgument);
    Frame reply;
    Reader content(nullptr, 0);
    int32_t status = session->StatusRequest(Type::GetUsers, {},
                                            WaitOrDefault(waitMs, kDefaultWaitMs), reply, &content);
    if (status != kOk) return Fail(status);
    if (content.Remaining() != static_cast<size_t>(kUserTableSize)) return Fail(kProtocolError);
    std::memcpy(table, content.Bytes(kUserTableSize), kUserTableSize);
    return 1;
}

QUORN_API int32_t QUORN_CALL DevModifyUser(int32_t login, int32_t command, const void* newEntry,
                                           const void* oldEntry, int32_t waitMs) {
    std::shared_ptr<Session> session = Handles().FindSession(login);
    if (!session) return Fail(kInvalidHandle);
    if (!newEntry || !oldEntry) return Fail(kInvalidArgument);
    // The entries travel as they are: the channel seals them like every frame.
    Writer request;
    request.I32(command).Bytes(newEntry, kUserEntrySize).Bytes(oldEntry, kUserEntrySize);
    Frame reply;
    int32_t status = session->StatusRequest(
        Type::ModifyUser, request.Data(),
        std::max(WaitOrDefault(waitMs, kDefaultWaitMs), kModifyUserLeastWaitMs), reply);
    if (status != kOk) return Fail(status);
    session->PasswordChanged(newEntry);
    return 1;
}

}  // extern "C"
