#include "app/win32/Win32Dialogs.h"

#include <windows.h>

#include <commdlg.h>

#include "app/win32/TesmaraDlg.h"
#include "dialogs/win32/AddDeviceDlg.h"
#include "dialogs/win32/ConfigDlg.h"
#include "netcfg/win32/PasswordDlg.h"
#include "netcfg/win32/WarningDlg.h"

namespace tesmara {
namespace {

constexpr size_t kPathCapacity = 260;

// The filter of a "Browse" button in the framework's form: entries separated by '|'.
std::wstring FilterOf(FileKind kind) {
    if (kind == FileKind::kConfig) return L"coi Files (*.coi)|*.coi||";
    std::wstring extension = L"upf";
    return extension + L" Files (*." + extension + L")|*." + extension + L"|" +
           L"bin Files (*.bin)|*.bin|All Files (*.*)|*.*|";
}

}  // namespace

bool Win32Dialogs::ConfirmOwnAddress() {
    int result = kBoxResultCancel;
    m_owner.RunOwnedModal([&](HWND owner) {
        CWarningDlg warning;
        result = static_cast<int>(warning.RunModal(owner));
    });
    return result != kBoxResultCancel;
}

std::optional<std::wstring> Win32Dialogs::ChooseFile(FileKind kind) {
    std::optional<std::wstring> chosen;
    m_owner.RunOwnedModal([&](HWND owner) {
        std::wstring filter = FilterOf(kind);
        for (wchar_t& c : filter) {
            if (c == L'|') c = L'\0';
        }
        std::wstring path(kPathCapacity, L'\0');
        OPENFILENAMEW request{};
        request.lStructSize = sizeof(request);
        request.hwndOwner = owner;
        request.lpstrFilter = filter.c_str();
        request.nFilterIndex = 1;
        request.lpstrFile = path.data();
        request.nMaxFile = static_cast<DWORD>(path.size());
        request.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER;
        if (!GetOpenFileNameW(&request)) return;
        path.resize(wcsnlen(path.c_str(), path.size()));
        chosen = path;
    });
    return chosen;
}

bool Win32Dialogs::EditPassword(DeviceAccess& access, const PasswordTarget& target) {
    bool changed = false;
    m_owner.RunOwnedModal([&](HWND owner) {
        CChangePassword dialog(access, target);
        changed = dialog.RunModal(owner) == IDOK;
    });
    return changed;
}

bool Win32Dialogs::EditConfig(ConfigForm& form) {
    bool saved = false;
    m_owner.RunOwnedModal([&](HWND owner) {
        CModifyConfigDlg dialog(form);
        saved = dialog.RunModal(owner) == IDOK;
    });
    return saved;
}

std::optional<AddedDevice> Win32Dialogs::AddDevice(DeviceAccess& access) {
    std::optional<AddedDevice> added;
    m_owner.RunOwnedModal([&](HWND owner) {
        CAddDeviceDlg dialog(access);
        if (dialog.RunModal(owner) == IDOK) added = dialog.Result();
    });
    return added;
}

}  // namespace tesmara
