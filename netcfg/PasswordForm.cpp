#include "netcfg/PasswordForm.h"

#include <array>
#include <cstring>
#include <vector>

#include "devaccess/DeviceSession.h"
#include "netcfg/win32/PasswordDlgRes.h"
#include "platform/Text.h"
#include "res/MainDlgRes.h"
#include "view/DeviceRow.h"
#include "view/Dialogs.h"
#include "view/MainView.h"
#include "view/WindowState.h"

namespace tesmara {
namespace {

constexpr size_t kEntryLimitBytes = 64;
constexpr size_t kUserTableEntriesOffset = 39020;
constexpr int kUserEntriesLooked = 50;
constexpr size_t kAccountNameOffset = 8;
constexpr size_t kAccountNameSize = 96;  // up to the password field
constexpr size_t kPasswordOffset = 104;
constexpr int32_t kUserInfoWaitMs = 30000;
constexpr int32_t kModifyUserWaitMs = 1000;

using UserEntry = std::array<uint8_t, kUserEntrySize>;

// The account name of an entry: up to its first NUL, never past its own field.
std::string AccountName(const uint8_t* entry) {
    const auto* name = reinterpret_cast<const char*>(entry + kAccountNameOffset);
    return std::string(name, strnlen(name, kAccountNameSize));
}

// The password as a NUL-terminated text; the bytes after the terminator keep what they held.
// Callers have checked that it fits.
void WritePassword(UserEntry& entry, const std::string& password) {
    std::memcpy(entry.data() + kPasswordOffset, password.data(), password.size());
    entry[kPasswordOffset + password.size()] = 0;
}

}  // namespace

bool FitsPasswordField(std::string_view password) {
    return password.size() < kPasswordFieldSize;
}

std::optional<std::wstring> LimitEditRewrite(std::wstring_view text) {
    std::wstring t(text);
    while (!t.empty() && t.back() == L' ') t.pop_back();
    bool cut = false;
    if (WideToUtf8(t).size() > kEntryLimitBytes && t.size() > kEntryLimitBytes) {
        t.resize(kEntryLimitBytes);
        cut = true;
    }
    if (!cut && t.size() == text.size()) return std::nullopt;
    return t;
}

void LimitEditText(DialogView& view, int editId) {
    // A cut or trimmed password would be set on the device in a form the operator never typed;
    // the masked fields keep what was typed and OK refuses one that does not fit.
    if (editId != IDC_PASSWORD_USER) return;
    if (std::optional<std::wstring> text = LimitEditRewrite(view.ControlText(editId))) {
        view.RewriteEditText(editId, *text);
    }
}

bool RunPasswordOk(DialogView& dialog, DeviceAccess& access, const PasswordTarget& target,
                   const std::function<void()>& closeWithOk) {
    std::string address = target.address;
    std::string user = WideToUtf8(dialog.ControlText(IDC_PASSWORD_USER));
    std::string oldPassword = WideToUtf8(dialog.ControlText(IDC_PASSWORD_OLD));
    std::string newPassword = WideToUtf8(dialog.ControlText(IDC_PASSWORD_NEW));
    std::string confirm = WideToUtf8(dialog.ControlText(IDC_PASSWORD_CONFIRM));
    // An account entry keeps at most 95 bytes of password: a longer one is refused before any
    // session is opened rather than written past its field.
    if (!FitsPasswordField(oldPassword) || !FitsPasswordField(newPassword)) {
        dialog.ShowMessage(L"The password is too long: at most 95 bytes (UTF-8) are allowed.", L"",
                           kBoxOk | kBoxIconWarning);
        return false;
    }
    DeviceSession session(access);
    int32_t error = 0;
    if (!session.Login(address, target.port, user, oldPassword, error)) {
        dialog.ShowMessage(L"User name or password is error!", L"", kBoxOk | kBoxIconWarning);
        return false;
    }
    if (newPassword != confirm) {
        dialog.ShowMessage(L"Two entered passwords do not match!", L"",
                           kBoxOk | kBoxIconInformation);
        return false;
    }
    std::vector<uint8_t> table(kUserTableSize, 0);
    access.DevGetUserInfo(session.Handle(), table.data(), kUserInfoWaitMs);
    const uint8_t* match = nullptr;
    for (int i = 0; i < kUserEntriesLooked && !match; ++i) {
        const uint8_t* entry = table.data() + kUserTableEntriesOffset + i * kUserEntrySize;
        if (AccountName(entry) == user) match = entry;
    }
    if (!match) return false;
    UserEntry withOld{};
    std::memcpy(withOld.data(), match, kUserEntrySize);
    UserEntry withNew = withOld;
    WritePassword(withOld, oldPassword);
    WritePassword(withNew, newPassword);
    if (access.DevModifyUser(session.Handle(), kModifyUserPassword, withNew.data(), withOld.data(),
                             kModifyUserWaitMs) != 1) {
        dialog.ShowMessage(L"Password modify failed!", L"Error", kBoxOk);
        return false;
    }
    session.Release();  // the changed account's session is left to the device
    closeWithOk();
    dialog.ShowMessage(L"Password modify successfully!", L"", kBoxOk | kBoxIconInformation);
    return true;
}

void RunPasswordCommand(WindowState& dialog) {
    MainView& view = dialog.m_view;
    int row = view.RowCount() > 0 ? view.HighlightedRow() : -1;
    const DeviceRow* device = row >= 0 ? view.DeviceOfRow(row) : nullptr;
    if (!device) {
        view.ShowMessage(L"Please select a device!", L"", kBoxOk | kBoxIconWarning);
        return;
    }
    dialog.m_dialogs.EditPassword(dialog.m_access, {device->ipText, device->tcpPort});
}

}  // namespace tesmara
