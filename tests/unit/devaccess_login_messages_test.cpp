// The lines that report a failed login: the English lookup with its fallback and the two
// Chinese lines that print the number.
#include <gtest/gtest.h>

#include <climits>

#include "devaccess/LoginMessages.h"

namespace tesmara {
namespace {

constexpr wchar_t kAddress[] = L"192.168.1.20";

TEST(LoginMessagesTest, EnglishLineForEachKnownCode) {
    const std::pair<int32_t, const wchar_t*> cases[] = {
        {1, L"[192.168.1.20] login failed! Password error"},
        {2, L"[192.168.1.20] login failed! User does not exist"},
        {3, L"[192.168.1.20] login failed! Login timeout"},
        {4, L"[192.168.1.20] login failed! Repeat login"},
        {5, L"[192.168.1.20] login failed! User is locked"},
        {6, L"[192.168.1.20] login failed! User is blacklisted"},
        {7, L"[192.168.1.20] login failed! Resource is not enough, system is busy"},
        {9, L"[192.168.1.20] login failed! Fail to connect to host"},
    };
    for (const auto& [code, line] : cases)
        EXPECT_EQ(EnglishLoginFailureLine(kAddress, code), line) << "code " << code;
}

TEST(LoginMessagesTest, EnglishFallbackCoversEightZeroNegativeAndLarge) {
    // 8 shares the fallback; 9, not 8, names the host.
    for (int32_t code : {8, 0, -1, -2, 10, 11, INT32_MIN, INT32_MAX})
        EXPECT_EQ(EnglishLoginFailureLine(kAddress, code),
                  L"[192.168.1.20] login failed! Fail to connect to network")
            << "code " << code;
}

TEST(LoginMessagesTest, ChineseLinesPrintTheNumber) {
    EXPECT_EQ(DeviceLoginFailureLine(kAddress, 0), L"[192.168.1.20]登录设备失败！Error = 0");
    EXPECT_EQ(DeviceLoginFailureLine(kAddress, -1), L"[192.168.1.20]登录设备失败！Error = -1");
    EXPECT_EQ(DeviceLoginFailureLine(kAddress, 8), L"[192.168.1.20]登录设备失败！Error = 8");
    EXPECT_EQ(RetriedLoginFailureLine(kAddress, 9), L"[192.168.1.20]登录失败！Error = 9");
    EXPECT_EQ(RetriedLoginFailureLine(kAddress, -10), L"[192.168.1.20]登录失败！Error = -10");
}

TEST(LoginMessagesTest, AddressIsNeverReadAsAFormat) {
    EXPECT_EQ(EnglishLoginFailureLine(L"%s%n%d", 1), L"[%s%n%d] login failed! Password error");
    EXPECT_EQ(DeviceLoginFailureLine(L"%s%n", 3), L"[%s%n]登录设备失败！Error = 3");
    EXPECT_EQ(RetriedLoginFailureLine(L"", 2), L"[]登录失败！Error = 2");
}

}  // namespace
}  // namespace tesmara
