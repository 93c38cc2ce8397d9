#include "devaccess/LoginMessages.h"

#include <iterator>

#include "platform/Format.h"
#include "platform/Text.h"

namespace tesmara {
namespace {

// Indexed by the login error code, 1 to 9; 8 deliberately shares the fallback's words.
constexpr const char* kEnglishFormats[] = {
    nullptr,
    "[%s] login failed! Password error",
    "[%s] login failed! User does not exist",
    "[%s] login failed! Login timeout",
    "[%s] login failed! Repeat login",
    "[%s] login failed! User is locked",
    "[%s] login failed! User is blacklisted",
    "[%s] login failed! Resource is not enough, system is busy",
    nullptr,
    "[%s] login failed! Fail to connect to host",
};
constexpr const char* kEnglishFallbackFormat = "[%s] login failed! Fail to connect to network";

const char* EnglishFormat(int32_t code) {
    constexpr int32_t kLast = static_cast<int32_t>(std::size(kEnglishFormats)) - 1;
    if (code < 1 || code > kLast || kEnglishFormats[code] == nullptr) return kEnglishFallbackFormat;
    return kEnglishFormats[code];
}

}  // namespace

std::wstring EnglishLoginFailureLine(std::wstring_view address, int32_t loginError) {
    // The format is chosen from our own table; the address only ever travels as an argument.
    return FormatUi(EnglishFormat(loginError), WideToUtf8(address).c_str());
}

std::wstring DeviceLoginFailureLine(std::wstring_view address, int32_t loginError) {
    return FormatUi("[%s]登录设备失败！Error = %d", WideToUtf8(address).c_str(), loginError);
}

std::wstring RetriedLoginFailureLine(std::wstring_view address, int32_t lastError) {
    return FormatUi("[%s]登录失败！Error = %d", WideToUtf8(address).c_str(), lastError);
}

}  // namespace tesmara
