#include <windows.h>

#include "platform/Text.h"

namespace tesmara {
namespace {

std::wstring Widen(UINT codePage, std::string_view text) {
    if (text.empty()) return std::wstring();
    int n =
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(),
                              n);
    }
    return out;
}

std::string Narrow(UINT codePage, std::wstring_view text) {
    if (text.empty()) return std::string();
    int n = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                  0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) {
        ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(),
                              n, nullptr, nullptr);
    }
    return out;
}

}  // namespace

unsigned AnsiCodePage() {
    DWORD codePage = 0;
    if (::GetLocaleInfoW(::GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                         reinterpret_cast<LPWSTR>(&codePage), sizeof(codePage) / sizeof(WCHAR)) &&
        codePage != 0) {
        return codePage;
    }
    return ::GetACP();
}
void SetAnsiCodePage(unsigned) {}  // Windows decides
bool IsKnownCodePage(unsigned codePage) {
    return ::IsValidCodePage(codePage) != FALSE;
}

// The thread's ANSI code page: the one device texts, addresses and paths are taken to be in.
std::wstring AnsiToWide(std::string_view text) {
    return Widen(CP_THREAD_ACP, text);
}
std::string WideToAnsi(std::wstring_view text) {
    return Narrow(CP_THREAD_ACP, text);
}
std::wstring Utf8ToWide(std::string_view text) {
    return Widen(CP_UTF8, text);
}
std::string WideToUtf8(std::wstring_view text) {
    return Narrow(CP_UTF8, text);
}

}  // namespace tesmara
