#include <windows.h>

#include <cstdio>
#include <string>

#include "cli/PasswordPrompt.h"
#include "platform/Text.h"

namespace tesmara::cli {

std::optional<std::string> PromptPassword(const char* prompt) {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(input, &mode)) return std::nullopt;
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    SetConsoleMode(input, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    std::wstring line;
    wchar_t c = 0;
    DWORD count = 0;
    bool read = false;
    while (ReadConsoleW(input, &c, 1, &count, nullptr) && count == 1) {
        read = true;
        if (c == L'\n') break;
        if (c != L'\r') line += c;
    }
    SetConsoleMode(input, mode);
    std::fputs("\n", stderr);
    if (!read) return std::nullopt;
    return WideToUtf8(line);
}

}  // namespace tesmara::cli
