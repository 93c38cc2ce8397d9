#include "app/win32/StatusLogFolder.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

namespace tesmara {
namespace {

std::wstring LocalAppData() {
    PWSTR known = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known)) && known) {
        folder = known;
    }
    CoTaskMemFree(known);
    if (!folder.empty()) return folder;
    // Where the shell does not answer, its environment still says.
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

}  // namespace

std::wstring StatusLogFolder() {
    const std::wstring base = LocalAppData();
    return base.empty() ? base : base + L"\\Tesmara\\logs";
}

}  // namespace tesmara
