#include <windows.h>

#include "platform/FileAppend.h"

namespace tesmara {
namespace {

// Makes every missing folder of `path` from the top down; an existing one is fine.
bool MakeFolders(const std::wstring& path) {
    for (size_t at = path.find_first_of(L"\\/", 3); at != std::wstring::npos;
         at = path.find_first_of(L"\\/", at + 1)) {
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    }
    if (CreateDirectoryW(path.c_str(), nullptr)) return true;
    return GetLastError() == ERROR_ALREADY_EXISTS;
}

class Win32FileAppender final : public FileAppender {
  public:
    bool Append(const std::wstring& folder, const std::wstring& name,
                std::string_view bytes) override {
        if (folder.empty() || !MakeFolders(folder)) return false;
        // Opened per line, shared with readers: whoever looks at the file meanwhile (Notepad, a
        // test) never blocks the window, and nothing is left unwritten in a buffer of ours.
        HANDLE file = CreateFileW((folder + L"\\" + name).c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const BOOL ok =
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        return ok && written == bytes.size();
    }
};

}  // namespace

FileAppender& SystemFileAppender() {
    static Win32FileAppender appender;
    return appender;
}

}  // namespace tesmara
