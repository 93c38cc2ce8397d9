// The lines that report a failed login, each naming the device by its dotted address. Which of
// the three a caller uses is the caller's choice; a successful login produces no line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tesmara {

// English family: the login error code in words. Codes 1 to 7 and 9 have their own words; 8, 0,
// negative codes and codes above 9 read "Fail to connect to network".
std::wstring EnglishLoginFailureLine(std::wstring_view address, int32_t loginError);

// "[%s]登录设备失败！Error = %d" with the login error code of the failed call.
std::wstring DeviceLoginFailureLine(std::wstring_view address, int32_t loginError);

// "[%s]登录失败！Error = %d" with DevGetLastError after the last of a series of attempts.
std::wstring RetriedLoginFailureLine(std::wstring_view address, int32_t lastError);

}  // namespace tesmara
