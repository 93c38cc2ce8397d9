// The selected-device panel: filling, enabling, the port edit rule and the port change.
#include <gtest/gtest.h>

#include <vector>

#include "app/MainDialogState.h"
#include "netcfg/PortPanel.h"
#include "platform/BlockBytes.h"
#include "platform/Clock.h"
#include "platform/Sockets.h"
#include "res/MainDlgRes.h"
#include "tests/support/RecordingMainView.h"
#include "tests/support/ScriptedDeviceAccess.h"
#include "tests/support/ScriptedDialogs.h"
#include "view/DeviceRow.h"

namespace tesmara {
namespace {

using testing::DevOp;

TEST(PortEditRule, RewritesToAValidPort) {
    struct Case {
        const wchar_t* typed;
        const wchar_t* shown;  // null: left as typed
    };
    for (const Case& c : std::vector<Case>{{L"0", L"1"},
                                           {L"", L"1"},
                                           {L"65536", L"65535"},
                                           {L"99999999999999999999", L"65535"},
                                           {L"080", L"80"},
                                           {L"80a", L"80"},
                                           {L" 80", L"80"},
                                           {L"-3", L"1"},
                                           {L"80", nullptr},
                                           {L"65535", nullptr}}) {
        std::optional<std::wstring> shown = PortEditRewrite(c.typed);
        if (c.shown) {
            EXPECT_EQ(c.shown, shown.value_or(L"(kept)")) << c.typed;
        } else {
            EXPECT_FALSE(shown) << c.typed;
        }
    }
}

struct PortPanel : ::testing::Test {
    testing::RecordingMainView view;
    testing::ScriptedDialogs dialogs;
    testing::ScriptedDeviceAccess access;
    MainDialogState dialog{view, dialogs, SystemSockets(), SystemClock(), access};
    DeviceRow device{.shown = 1,
                     .macText = "00-1A-2B-3C-4D-5E",
                     .ipText = "192.168.1.20",
                     .gatewayText = "192.168.1.1",
                     .maskText = "255.255.255.0",
                     .tcpPort = 0,
                     .httpPort = 80,
                     .details = {}};

    void SetUp() override {
        view.rows.resize(2);
        view.rows[1].device = &device;
        view.highlighted = 1;
        view.texts[IDC_HTTP_PORT] = L"8080";
        view.texts[IDC_TCP_PORT] = L"9000";
    }
    // A network block holding these ports.
    static std::vector<uint8_t> Block(uint32_t http, uint32_t tcp) {
        std::vector<uint8_t> block(772, 0xA5);
        WriteU32Le(block, 68, http);
        WriteU32Le(block, 72, tcp);
        return block;
    }
    std::vector<std::wstring> BoxTexts() {
        std::vector<std::wstring> texts;
        for (const auto& box : view.boxes) texts.push_back(box.text);
        return texts;
    }
};

TEST_F(PortPanel, HighlightFillsThePanelAndPortZeroShowsOne) {
    OnDeviceItemChanged(dialog, 1, kItemChangedState, kItemSelected | 0x1);
    EXPECT_EQ(L"192.168.1.20", view.texts[IDC_PANEL_ADDRESS]);
    EXPECT_EQ(L"255.255.255.0", view.texts[IDC_PANEL_MASK]);
    EXPECT_EQ(L"192.168.1.1", view.texts[IDC_PANEL_GATEWAY]);
    EXPECT_EQ(L"80", view.texts[IDC_HTTP_PORT]);
    EXPECT_EQ(L"1", view.texts[IDC_TCP_PORT]);
    EXPECT_TRUE(view.enabled[IDC_MODIFY_ADDRESS]);
    EXPECT_TRUE(view.enabled[IDC_MODIFY_PORTS]);
    EXPECT_EQ(0u, view.enabled.count(IDC_MODIFY_PASSWORD));
}

TEST_F(PortPanel, OtherItemChangesLeaveThePanel) {
    OnDeviceItemChanged(dialog, 1, kItemChangedState | 0x1, kItemSelected);
    OnDeviceItemChanged(dialog, 1, kItemChangedState, 0x1);
    EXPECT_EQ(L"8080", view.texts[IDC_HTTP_PORT]);
    EXPECT_TRUE(view.enabled.empty());
}

TEST_F(PortPanel, CheckBoxClickHighlightsEnablesAndClearsAll) {
    view.highlighted = -1;
    view.checks[IDC_ALL] = true;
    view.rows[0].checked = true;
    OnDeviceTableClicked(dialog, 1, kHitOnCheckBox);
    EXPECT_EQ(1, view.highlighted);
    EXPECT_FALSE(view.checks[IDC_ALL]);
    for (int id : {IDC_MODIFY_ADDRESS, IDC_MODIFY_PORTS, IDC_MODIFY_PASSWORD}) {
        EXPECT_TRUE(view.enabled[id]) << id;
    }
}

TEST_F(PortPanel, ClickElsewhereOrWithoutTickedRowsKeepsAll) {
    view.checks[IDC_ALL] = true;
    OnDeviceTableClicked(dialog, 0, kHitOnCheckBox);  // no row ticked
    EXPECT_TRUE(view.checks[IDC_ALL]);
    view.enabled.clear();
    OnDeviceTableClicked(dialog, 0, 0x4);  // label only
    EXPECT_TRUE(view.enabled.empty());
    OnDeviceTableClicked(dialog, 0, kHitOnItem);
    EXPECT_TRUE(view.enabled[IDC_MODIFY_PASSWORD]);
    EXPECT_EQ(0, view.highlighted);
}

TEST_F(PortPanel, NothingHighlightedOrEqualPortsStopBeforeLogin) {
    view.highlighted = -1;
    RunPortChangeCommand(dialog);
    view.highlighted = 1;
    view.texts[IDC_TCP_PORT] = L"8080";
    RunPortChangeCommand(dialog);
    EXPECT_EQ((std::vector<std::wstring>{L"Please select a device!", L"Port Conflicted!"}),
              BoxTexts());
    EXPECT_EQ(kBoxIconWarning, view.boxes[1].style);
    EXPECT_EQ(0, access.CountOf(DevOp::Login));
}

TEST_F(PortPanel, LoginRefusedShowsTheEnglishLine) {
    access.Script(DevOp::Login, {.result = 0, .error = 1});
    RunPortChangeCommand(dialog);
    ASSERT_EQ(1u, view.boxes.size());
    EXPECT_NE(std::wstring::npos, view.boxes[0].text.find(L"192.168.1.20"));
    EXPECT_EQ(0, access.CountOf(DevOp::GetConfig));
}

TEST_F(PortPanel, UnreadableConfigLogsOut) {
    access.Script(DevOp::GetConfig, {.result = 0});
    RunPortChangeCommand(dialog);
    EXPECT_EQ(std::vector<std::wstring>{L"[192.168.1.20] get config failed!"}, BoxTexts());
    EXPECT_EQ(1, access.CountOf(DevOp::Logout));
}

TEST_F(PortPanel, UnchangedPortsLogOutSilently) {
    access.Script(DevOp::GetConfig, {.data = Block(8080, 9000)});
    RunPortChangeCommand(dialog);
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(0, access.CountOf(DevOp::SetConfig));
    EXPECT_EQ(1, access.CountOf(DevOp::Logout));
}

TEST_F(PortPanel, RefusedWriteShowsTheErrorAndKeepsTheRow) {
    access.Script(DevOp::GetConfig, {.data = Block(80, 0)});
    access.Script(DevOp::SetConfig, {.result = 0, .error = 23});
    RunPortChangeCommand(dialog);
    EXPECT_EQ(std::vector<std::wstring>{L"[192.168.1.20] modify port failed！Error = 23"},
              BoxTexts());
    EXPECT_EQ(kBoxIconInformation, view.boxes[0].style);
    EXPECT_EQ(1, access.CountOf(DevOp::Logout));
    EXPECT_EQ(80, device.httpPort);
}

TEST_F(PortPanel, SuccessWritesOnlyThePortsAndRestarts) {
    access.Script(DevOp::GetConfig, {.data = Block(80, 0)});
    RunPortChangeCommand(dialog);
    ASSERT_EQ(1, access.CountOf(DevOp::SetConfig));
    EXPECT_EQ(Block(8080, 9000), access.Calls(DevOp::SetConfig)[0].data);
    EXPECT_EQ(1, access.CountOf(DevOp::Reboot));
    EXPECT_EQ(0, access.CountOf(DevOp::Logout));
    EXPECT_EQ(std::vector<std::wstring>{L"[192.168.1.20] modify port successfully!"},
              view.LogTexts());
    EXPECT_EQ(std::vector<std::wstring>{L"Operate completed!"}, BoxTexts());
    EXPECT_EQ(8080, device.httpPort);
    EXPECT_EQ(9000, device.tcpPort);
}

}  // namespace
}  // namespace tesmara
