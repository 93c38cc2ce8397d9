#include <windows.h>

#include "platform/DurableFile.h"

namespace tesmara {
namespace {

HANDLE HandleOf(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

DurableFile::~DurableFile() {
    if (IsOpen()) CloseHandle(HandleOf(m_handle));
}

bool DurableFile::Open(const std::string& path) {
    // Appending only: every write lands at the end, also beside another writer.
    const HANDLE file =
        CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    m_handle = reinterpret_cast<intptr_t>(file);
    return true;
}

bool DurableFile::AppendDurably(std::string_view bytes) {
    if (!IsOpen()) return false;
    while (!bytes.empty()) {
        const DWORD chunk =
            bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(HandleOf(m_handle), bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return FlushFileBuffers(HandleOf(m_handle)) != 0;
}

}  // namespace tesmara
