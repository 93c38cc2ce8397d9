// The configuration dialog (template 130) on the real controls: layouts, enabling, the defaults at
// every opening, the suggestion on the address control, Save and Cancel. (The end-to-end tests
// open it from the hidden "修改配置" button.)
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "GuiSupport.h"

#include "dialogs/win32/ConfigDlg.h"
#include "dialogs/win32/ConfigDlgRes.h"

namespace tesmara::gui {
namespace {

constexpr int kSettingBoxes[] = {IDC_USE_LANGUAGE, IDC_USE_STANDARD, IDC_USE_RESOLUTION};
constexpr int kLists[] = {IDC_CONFIG_LANGUAGE, IDC_CONFIG_STANDARD, IDC_CONFIG_RESOLUTION};
constexpr int kInert[] = {IDC_USE_AUDIO_INPUTS,     IDC_USE_ALARM_INPUTS,
                          IDC_USE_ALARM_OUTPUTS,    IDC_USE_MAX_PLAYBACK,
                          IDC_USE_DEFAULT_PLAYBACK, IDC_CONFIG_AUDIO_INPUTS,
                          IDC_CONFIG_ALARM_INPUTS,  IDC_CONFIG_ALARM_OUTPUTS,
                          IDC_CONFIG_MAX_PLAYBACK,  IDC_CONFIG_DEFAULT_PLAYBACK};
constexpr int kNetwork[] = {
    IDC_USE_NETWORK,          IDC_CONFIG_ADDRESS,    IDC_CONFIG_MASK,         IDC_CONFIG_GATEWAY,
    IDC_CONFIG_ADDRESS_LABEL, IDC_CONFIG_MASK_LABEL, IDC_CONFIG_GATEWAY_LABEL};

// The dialog opened modeless over one form, as the main window's form lasts between openings.
class ConfigDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { Open(); }
    void TearDown() override { Close(IDCANCEL); }

    void Open() {
        dialog = std::make_unique<CModifyConfigDlg>(form);
        ASSERT_TRUE(dialog->Create(nullptr));
        Pump();
    }
    // Save (IDOK) or Cancel (IDCANCEL), as the buttons do.
    void Close(int button) {
        if (dialog && dialog->Handle()) Click(Item(button));
        Pump();
        dialog.reset();
    }
    HWND Item(int id) const { return GetDlgItem(dialog->Handle(), id); }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    bool Checked(int id) const { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::wstring Text(int id) const { return WindowText(Item(id)); }
    void Choose(int list, int position) { SendMessageW(Item(list), CB_SETCURSEL, position, 0); }
    ConfigForm form;
    std::unique_ptr<CModifyConfigDlg> dialog;
};

TEST_F(ConfigDialogTest, FirstOpeningShowsTheNormalLayoutAndTheDefaults) {
    EXPECT_EQ(WindowText(dialog->Handle()), L"配置");
    EXPECT_TRUE(Checked(IDC_CONFIG_MODE_NORMAL));
    for (int id : kSettingBoxes) {
        EXPECT_TRUE(Enabled(id)) << id;
        EXPECT_FALSE(Checked(id)) << id;
    }
    for (int id : kLists) EXPECT_FALSE(Enabled(id)) << id;
    for (int id : kInert) EXPECT_FALSE(Enabled(id)) << id;
    for (int id : kNetwork) EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_EQ(Text(IDC_CONFIG_LANGUAGE), L"简体中文");
    EXPECT_EQ(Text(IDC_CONFIG_STANDARD), L"PAL");
    EXPECT_EQ(Text(IDC_CONFIG_RESOLUTION), L"1024*768");
    EXPECT_EQ(SendMessageW(Item(IDC_CONFIG_LANGUAGE), CB_GETCOUNT, 0, 0), 22);
    EXPECT_EQ(Text(IDC_CONFIG_ADDRESS), L"192.168.1.10");
    EXPECT_EQ(Text(IDC_CONFIG_MASK), L"255.255.255.0");
    EXPECT_EQ(Text(IDC_CONFIG_GATEWAY), L"192.168.1.1");
}

TEST_F(ConfigDialogTest, SaveStoresTheCheckedChoicesWithTheirCodes) {
    Click(Item(IDC_USE_LANGUAGE));
    Click(Item(IDC_USE_RESOLUTION));
    EXPECT_TRUE(Enabled(IDC_CONFIG_LANGUAGE));
    EXPECT_FALSE(Enabled(IDC_CONFIG_STANDARD));
    Choose(IDC_CONFIG_LANGUAGE, 17);
    Choose(IDC_CONFIG_STANDARD, 1);  // its box is not checked: not taken
    Choose(IDC_CONFIG_RESOLUTION, 1);
    Close(IDOK);
    EXPECT_EQ(form.m_settings.language, 17);
    EXPECT_EQ(form.m_settings.videoStandard, 0);
    EXPECT_EQ(form.m_settings.outputResolution, 5);  // "1440*900"
    EXPECT_EQ(form.m_settings.address, "");
    EXPECT_EQ(form.m_mode, kModeNormal);
}

TEST_F(ConfigDialogTest, CancelKeepsTheFlagsButNotTheChoices) {
    Click(Item(IDC_USE_STANDARD));
    Choose(IDC_CONFIG_STANDARD, 1);
    Click(Item(IDC_CONFIG_MODE_NETWORK));
    Close(IDCANCEL);
    EXPECT_EQ(form.m_useFlags[kUseVideoStandard], 1);
    EXPECT_EQ(form.m_mode, kModeNormal);
    EXPECT_EQ(form.m_settings.videoStandard, 0);
    Open();
    EXPECT_TRUE(Checked(IDC_USE_STANDARD));
    EXPECT_TRUE(Enabled(IDC_CONFIG_STANDARD));
    EXPECT_EQ(Text(IDC_CONFIG_STANDARD), L"PAL");
}

TEST_F(ConfigDialogTest, NetworkLayoutSuggestsAndSavesTheAddresses) {
    Click(Item(IDC_USE_LANGUAGE));
    Click(Item(IDC_CONFIG_MODE_NETWORK));
    for (int id : kNetwork) EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_TRUE(Checked(IDC_USE_NETWORK));
    EXPECT_TRUE(Checked(IDC_USE_LANGUAGE));  // kept while disabled
    for (int id : kSettingBoxes) EXPECT_FALSE(Enabled(id)) << id;
    for (int id : kLists) EXPECT_FALSE(Enabled(id)) << id;

    struct Case {
        const wchar_t* numbers[4];
        const wchar_t* gateway;
        const wchar_t* mask;
    };
    for (const Case& c : {Case{{L"172", L"20", L"3", L"4"}, L"172.20.3.1", L"255.255.0.0"},
                          Case{{L"8", L"8", L"8", L"8"}, L"8.8.8.1", L"0.0.0.0"}}) {
        SendMessageW(Item(IDC_CONFIG_ADDRESS), IPM_CLEARADDRESS, 0, 0);
        TypeAddress(Item(IDC_CONFIG_ADDRESS), c.numbers, Item(IDC_USE_NETWORK));
        EXPECT_EQ(Text(IDC_CONFIG_GATEWAY), c.gateway);
        EXPECT_EQ(Text(IDC_CONFIG_MASK), c.mask);
    }
    Click(Item(IDC_USE_NETWORK));  // the labels keep their state
    EXPECT_FALSE(Enabled(IDC_CONFIG_ADDRESS));
    EXPECT_TRUE(Enabled(IDC_CONFIG_ADDRESS_LABEL));
    Click(Item(IDC_USE_NETWORK));
    Close(IDOK);
    EXPECT_EQ(form.m_mode, kModeNetwork);
    EXPECT_EQ(form.m_settings.address, "8.8.8.8");
    EXPECT_EQ(form.m_settings.gateway, "8.8.8.1");
    EXPECT_EQ(form.m_settings.mask, "0.0.0.0");
    EXPECT_EQ(form.m_settings.language, 1);  // still checked, so still stored

    Open();  // opens in the saved mode
    EXPECT_TRUE(Checked(IDC_CONFIG_MODE_NETWORK));
    EXPECT_TRUE(Enabled(IDC_CONFIG_ADDRESS));
    EXPECT_EQ(Text(IDC_CONFIG_ADDRESS), L"192.168.1.10");
}

}  // namespace
}  // namespace tesmara::gui
