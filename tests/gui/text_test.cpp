// Narrow device texts follow the thread's ANSI code page, not the system's.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/Text.h"

namespace tesmara {
namespace {

TEST(AnsiTextTest, FollowsTheThreadsCodePage) {
    LCID before = GetThreadLocale();
    ASSERT_NE(GetACP(), 936u) << "the prefix must use another system code page";
    ASSERT_TRUE(SetThreadLocale(
        MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT)));
    std::wstring wide = AnsiToWide("\xb2\xe2\xca\xd4");  // "测试" in code page 936
    std::string narrow = WideToAnsi(L"测试");
    SetThreadLocale(before);
    EXPECT_EQ(wide, L"测试");
    EXPECT_EQ(narrow, "\xb2\xe2\xca\xd4");
}

}  // namespace
}  // namespace tesmara
