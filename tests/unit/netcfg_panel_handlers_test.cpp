// The own-address box with its warning, and the panel address control's proposals.
#include <gtest/gtest.h>

#include "app/MainDialogState.h"
#include "devaccess/PlaceholderDeviceAccess.h"
#include "netcfg/AddressPanelHandlers.h"
#include "platform/Clock.h"
#include "platform/Sockets.h"
#include "res/MainDlgRes.h"
#include "tests/support/RecordingMainView.h"
#include "tests/support/ScriptedDialogs.h"

namespace tesmara {
namespace {

struct PanelHandlers : ::testing::Test {
    testing::RecordingMainView view;
    testing::ScriptedDialogs dialogs;
    PlaceholderDeviceAccess access;
    MainDialogState dialog{view, dialogs, SystemSockets(), SystemClock(), access};

    void TypeAddress(const wchar_t* text) {
        view.texts[IDC_PANEL_ADDRESS] = text;
        OnPanelAddressFieldChanged(dialog);
    }
};

TEST_F(PanelHandlers, AddressChangeProposesGatewayAndMask) {
    TypeAddress(L"8.8.8.8");
    EXPECT_EQ(L"8.8.8.1", view.texts[IDC_PANEL_GATEWAY]);
    EXPECT_EQ(L"0.0.0.0", view.texts[IDC_PANEL_MASK]);
    EXPECT_TRUE(view.enabled[IDC_MODIFY_ADDRESS]);

    view.texts[IDC_PANEL_GATEWAY] = L"172.20.3.254";  // the operator's own entry is overwritten
    TypeAddress(L"172.20.3.4");
    EXPECT_EQ(L"172.20.3.1", view.texts[IDC_PANEL_GATEWAY]);
    EXPECT_EQ(L"255.255.0.0", view.texts[IDC_PANEL_MASK]);
}

TEST_F(PanelHandlers, BlankAddressDisablesModifyAndLeavesProposalsAlone) {
    TypeAddress(L"192.168.3.7");
    TypeAddress(L"");
    EXPECT_FALSE(view.enabled[IDC_MODIFY_ADDRESS]);
    EXPECT_EQ(L"192.168.3.1", view.texts[IDC_PANEL_GATEWAY]);
    EXPECT_EQ(L"255.255.255.0", view.texts[IDC_PANEL_MASK]);
    TypeAddress(L"10...");
    EXPECT_TRUE(view.enabled[IDC_MODIFY_ADDRESS]);
}

TEST_F(PanelHandlers, ClearingOwnAddressAsksAndCancelTicksItAgain) {
    view.checks[IDC_OWN_ADDRESS] = false;
    dialogs.confirmOwnAddress = false;
    OnOwnAddressClicked(dialog);
    EXPECT_EQ(1, dialogs.ownAddressRuns);
    EXPECT_TRUE(view.checks[IDC_OWN_ADDRESS]);
    EXPECT_FALSE(view.enabled[IDC_START_ADDRESS]);
    EXPECT_FALSE(view.enabled[IDC_START_ADDRESS_LABEL]);
}

TEST_F(PanelHandlers, ClearingOwnAddressConfirmedEnablesTheStartAddress) {
    view.checks[IDC_OWN_ADDRESS] = false;
    dialogs.confirmOwnAddress = true;
    OnOwnAddressClicked(dialog);
    EXPECT_EQ(1, dialogs.ownAddressRuns);
    EXPECT_FALSE(view.checks[IDC_OWN_ADDRESS]);
    EXPECT_TRUE(view.enabled[IDC_START_ADDRESS]);
    EXPECT_TRUE(view.enabled[IDC_START_ADDRESS_LABEL]);

    view.checks[IDC_OWN_ADDRESS] = true;  // ticked again: no question asked
    OnOwnAddressClicked(dialog);
    EXPECT_EQ(1, dialogs.ownAddressRuns);
    EXPECT_FALSE(view.enabled[IDC_START_ADDRESS]);
    EXPECT_FALSE(view.enabled[IDC_START_ADDRESS_LABEL]);
}

}  // namespace
}  // namespace tesmara
