// The own-address box (1032) with its warning dialog, and the panel address rule (1040).
#include "MainWindowFixture.h"

#include <commctrl.h>

#include "netcfg/win32/WarningDlgRes.h"
#include "ui/Dpi.h"

namespace tesmara::gui {
namespace {

// What the warning dialog looked like from the inside.
struct WarningLook {
    LOGFONTW font{};
    COLORREF textColour = 0;
    LONG pictureStyle = 0;
    BITMAP bitmap{};
    int dpi = 0;
};

WarningLook Inspect(HWND warning) {
    WarningLook look;
    HWND text = GetDlgItem(warning, IDC_WARNING_TEXT);
    auto font = reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0));
    GetObjectW(font, sizeof(look.font), &look.font);
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(warning, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(text));
    look.textColour = GetTextColor(dc);
    DeleteDC(dc);
    HWND picture = GetDlgItem(warning, IDC_WARNING_PICTURE);
    look.pictureStyle = GetWindowLongW(picture, GWL_STYLE);
    auto image = reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    GetObjectW(image, sizeof(look.bitmap), &look.bitmap);
    look.dpi = ui::WindowDpi(warning);
    return look;
}

TEST_F(MainWindowTest, UntickingOwnAddressWarnsAndCancelTicksItAgain) {
    WarningLook look;
    DialogAnswerer answerer(GetCurrentThreadId(), hwnd, [&](HWND warning, const SeenDialog&) {
        look = Inspect(warning);
        return IDCANCEL;
    });
    Click(Control(IDC_OWN_ADDRESS));

    std::vector<SeenDialog> seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"警告");
    EXPECT_EQ(seen[0].texts[IDC_WARNING_TEXT],
              L"注意：不勾选时，会给所有搜索到的设备重新分配IP地址,确认继续？");
    EXPECT_EQ(seen[0].texts[IDOK], L"确定");
    EXPECT_EQ(seen[0].texts[IDCANCEL], L"取消");
    EXPECT_EQ(look.font.lfHeight, ui::ScaleToDpi(20, look.dpi)) << "20 pixels at 96 DPI";
    EXPECT_EQ(look.font.lfWeight, FW_BOLD);
    EXPECT_STREQ(look.font.lfFaceName, L"Arial");
    EXPECT_EQ(look.textColour, RGB(255, 0, 0));
    EXPECT_EQ(look.pictureStyle & SS_TYPEMASK, SS_BITMAP);
    EXPECT_TRUE(look.pictureStyle & SS_CENTERIMAGE);
    EXPECT_EQ(look.bitmap.bmWidth, 80);
    EXPECT_EQ(look.bitmap.bmHeight, 78);

    EXPECT_TRUE(Checked(IDC_OWN_ADDRESS));
    EXPECT_FALSE(Enabled(IDC_START_ADDRESS));
    EXPECT_FALSE(Enabled(IDC_START_ADDRESS_LABEL));
}

TEST_F(MainWindowTest, ConfirmingTheWarningHandsOutAddressesAndTickingAgainAsksNothing) {
    DialogAnswerer answerer(GetCurrentThreadId(), hwnd);  // answers "确定"
    Click(Control(IDC_OWN_ADDRESS));
    EXPECT_EQ(answerer.Seen().size(), 1u);
    EXPECT_FALSE(Checked(IDC_OWN_ADDRESS));
    EXPECT_TRUE(Enabled(IDC_START_ADDRESS));
    EXPECT_TRUE(Enabled(IDC_START_ADDRESS_LABEL));
    EXPECT_FALSE(Visible(IDC_START_ADDRESS)) << "hidden controls stay hidden";

    Click(Control(IDC_OWN_ADDRESS));
    EXPECT_EQ(answerer.Seen().size(), 1u) << "no dialog when ticking";
    EXPECT_TRUE(Checked(IDC_OWN_ADDRESS));
    EXPECT_FALSE(Enabled(IDC_START_ADDRESS));
    EXPECT_FALSE(Enabled(IDC_START_ADDRESS_LABEL));
}

TEST_F(MainWindowTest, TypingAPanelAddressProposesGatewayAndMask) {
    HWND elsewhere = Control(IDC_LOGIN_USER);
    const wchar_t* const privateAddress[4] = {L"172", L"20", L"3", L"4"};
    TypeAddress(Control(IDC_PANEL_ADDRESS), privateAddress, elsewhere);
    EXPECT_EQ(Text(IDC_PANEL_GATEWAY), L"172.20.3.1");
    EXPECT_EQ(Text(IDC_PANEL_MASK), L"255.255.0.0");
    EXPECT_TRUE(Enabled(IDC_MODIFY_ADDRESS));

    SendMessageW(Control(IDC_PANEL_ADDRESS), IPM_CLEARADDRESS, 0, 0);
    const wchar_t* const publicAddress[4] = {L"8", L"8", L"8", L"8"};
    TypeAddress(Control(IDC_PANEL_ADDRESS), publicAddress, elsewhere);
    EXPECT_EQ(Text(IDC_PANEL_GATEWAY), L"8.8.8.1");
    EXPECT_EQ(Text(IDC_PANEL_MASK), L"0.0.0.0");
}

}  // namespace
}  // namespace tesmara::gui
