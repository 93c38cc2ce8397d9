// Messages from another process: the window runs no work that its own threads did not queue.
#include <string>

#include "MainWindowFixture.h"

namespace tesmara::gui {
namespace {

// Sends one message to `window` from a second process; returns its exit code (the result).
DWORD SendFromAnotherProcess(HWND window, UINT message, LPARAM lParam) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    std::wstring command = L"\"" + folder + L"gui_message_sender.exe\" " +
                           std::to_wstring(reinterpret_cast<uintptr_t>(window)) + L" " +
                           std::to_wstring(message) + L" 0 " +
                           std::to_wstring(static_cast<unsigned long long>(lParam));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return 0xFFFFFFFF;
    }
    // The window answers on this thread: serve it until the sender has its reply.
    PumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 20000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

TEST_F(MainWindowTest, WorkSentFromAnotherProcessIsNotRun) {
    static bool ran = false;
    std::function<void()> work = [] { ran = true; };
    DWORD result = SendFromAnotherProcess(hwnd, kRunOnUiMessage, reinterpret_cast<LPARAM>(&work));
    EXPECT_EQ(result, 0u);
    EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace tesmara::gui
