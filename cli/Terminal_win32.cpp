#include <windows.h>

#include <cstdio>

#include "cli/Terminal.h"
#include "platform/Text.h"

namespace tesmara::cli {

// A console takes the live display's cursor movements once asked to; output redirected to a
// file or pipe is no console.
bool OutputIsTerminal() {
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (!::GetConsoleMode(out, &mode)) return false;
    return ::SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

int TerminalHeight() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (::GetConsoleScreenBufferInfo(::GetStdHandle(STD_OUTPUT_HANDLE), &info)) {
        return info.srWindow.Bottom - info.srWindow.Top + 1;
    }
    return 24;
}

bool ReadHiddenLine(const char* prompt, std::string& line) {
    HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD saved = 0;
    if (!::GetConsoleMode(in, &saved)) return false;
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    ::SetConsoleMode(in, saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    std::wstring text;
    wchar_t buffer[256];
    DWORD read = 0;
    while (::ReadConsoleW(in, buffer, 256, &read, nullptr) && read > 0) {
        text.append(buffer, read);
        if (text.find(L'\n') != std::wstring::npos) break;
    }
    ::SetConsoleMode(in, saved);
    std::fputs("\n", stderr);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    line = WideToUtf8(text);
    return true;
}

}  // namespace tesmara::cli
