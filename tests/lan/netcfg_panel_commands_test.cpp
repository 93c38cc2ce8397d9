// The panel's three commands over real sockets against devsim recorders: the address change
// followed by a search and a login at the new address, the port change followed by a login on the
// new port, and the password change after which only the new password logs in.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/DeviceRow.h"
#include "app/MainDialogState.h"
#include "devaccess/QuornDeviceAccess.h"
#include "devsim/session/SessionServer.h"
#include "discovery/SearchDatagrams.h"
#include "netcfg/AddressChangeCommand.h"
#include "netcfg/PasswordChange.h"
#include "netcfg/PortPanel.h"
#include "platform/Address.h"
#include "platform/Clock.h"
#include "platform/Sockets.h"
#include "res/MainDlgRes.h"
#include "res/PasswordDlgRes.h"
#include "tests/lan/support/DiscoveryProbe.h"
#include "tests/lan/support/RunningFleet.h"
#include "tests/lan/support/TestLanGuard.h"
#include "tests/support/RecordingMainView.h"
#include "tests/support/ScriptedDialogs.h"

namespace tesmara::lan {
namespace {

class PanelCommands : public LanTest {
  protected:
    void Start(const std::string& json) {
        std::string error;
        fleet = RunningFleet::FromJson(json, &error);
        ASSERT_TRUE(fleet) << error;
        ASSERT_TRUE(fleet->Running()) << fleet->Error();
        sessions = std::make_unique<devsim::SessionServer>(fleet->Devices());
        ASSERT_TRUE(sessions->Start(&error)) << error;
        access.DevInit(nullptr, nullptr);
        auto state = fleet->Devices().At(0).Snapshot();
        device.shown = 1;
        device.macText = "00-1A-2B-3C-4D-5E";
        device.ipText = state.address;
        device.tcpPort = state.tcpPort;
        device.httpPort = state.httpPort;
        view.rows.resize(1);
        view.rows[0].device = &device;
        view.highlighted = 0;
        view.texts[IDC_LOGIN_USER] = L"admin";
        view.texts[IDC_LOGIN_PASSWORD] = L"";
    }
    void TearDown() override {
        if (sessions) sessions->Stop();
    }
    // A login, retried while the recorder restarts.
    int32_t LoginWithin(const char* address, uint16_t port, const char* user, const char* password,
                        int ms) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        do {
            DeviceInfo info{};
            int32_t error = 0;
            if (int32_t login = access.DevLogin(address, port, user, password, &info, &error)) {
                return login;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        } while (std::chrono::steady_clock::now() < until);
        return 0;
    }
    std::wstring LastBox() { return view.boxes.empty() ? L"" : view.boxes.back().text; }

    std::unique_ptr<RunningFleet> fleet;
    std::unique_ptr<devsim::SessionServer> sessions;
    QuornDeviceAccess access;
    testing::RecordingMainView view;
    testing::ScriptedDialogs dialogs;
    MainDialogState dialog{view, dialogs, SystemSockets(), SystemClock(), access};
    DeviceRow device;
};

TEST_F(PanelCommands, AddressChangeIsFoundByTheNextSearchAndLogsInThere) {
    Start(R"({"devices": [{"mac": "00-1A-2B-3C-4D-5E", "address": "192.168.1.20"},
                          {"mac": "00-1A-2B-3C-4D-60", "address": "192.168.1.21"}]})");
    view.texts[IDC_PANEL_ADDRESS] = L"192.168.7.77";
    view.texts[IDC_PANEL_MASK] = L"255.255.255.0";
    view.texts[IDC_PANEL_GATEWAY] = L"192.168.7.1";
    RunAddressChangeCommand(dialog);
    EXPECT_EQ(LastBox(), L"Operate completed!");
    EXPECT_EQ(view.LogTexts(),
              std::vector<std::wstring>{
                  L"[192.168.1.20] modify IP address to [192.168.7.77] successfully!"});

    DiscoveryProbe probe;
    ASSERT_TRUE(probe.Ready());
    ASSERT_TRUE(probe.Broadcast(kBasicSearchMagic, kMagicSize));
    bool found = false;
    for (const auto& d : probe.Collect(300)) {
        if (!IsBasicReply(d.data(), d.size())) continue;
        SearchInfoBlock info = DecodeBasicReply(d.data());
        if (info.mac[5] == 0x5E) {
            found = true;
            EXPECT_EQ(DottedAddress(info.address), "192.168.7.77");
            EXPECT_EQ(DottedAddress(info.gateway), "192.168.7.1");
        } else {
            EXPECT_EQ(DottedAddress(info.address), "192.168.1.21");
        }
    }
    EXPECT_TRUE(found);
    int32_t login = LoginWithin("192.168.7.77", device.tcpPort, "admin", "", 2000);
    EXPECT_NE(login, 0);
    if (login) access.DevLogout(login);
}

TEST_F(PanelCommands, PortChangeRestartsTheRecorderOnItsNewPort) {
    Start(R"({"devices": [{"mac": "00-1A-2B-3C-4D-5E", "address": "192.168.9.20",
                           "tcpPort": 34567, "httpPort": 80, "rebootOfflineMs": 300}]})");
    view.texts[IDC_HTTP_PORT] = L"8081";
    view.texts[IDC_TCP_PORT] = L"35000";
    RunPortChangeCommand(dialog);
    EXPECT_EQ(LastBox(), L"Operate completed!");
    EXPECT_EQ(device.tcpPort, 35000);
    auto state = fleet->Devices().At(0).Snapshot();
    EXPECT_EQ(state.tcpPort, 35000);
    EXPECT_EQ(state.httpPort, 8081);
    int32_t login = LoginWithin("192.168.9.20", 35000, "admin", "", 5000);
    EXPECT_NE(login, 0);
    if (login) access.DevLogout(login);
}

TEST_F(PanelCommands, PasswordChangeLeavesOnlyTheNewPasswordWorking) {
    Start(R"({"devices": [{"mac": "00-1A-2B-3C-4D-5E", "address": "192.168.9.30",
        "users": [{"name": "admin", "password": ""}, {"name": "viewer", "password": "old-pw"}]}]})");
    testing::RecordingMainView form;
    form.texts[IDC_PASSWORD_USER] = L"viewer";
    form.texts[IDC_PASSWORD_OLD] = L"old-pw";
    form.texts[IDC_PASSWORD_NEW] = L"new-pw";
    form.texts[IDC_PASSWORD_CONFIRM] = L"new-pw";
    int closed = 0;
    EXPECT_TRUE(RunPasswordOk(form, access, {device.ipText, device.tcpPort}, [&] { ++closed; }));
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(0, LoginWithin("192.168.9.30", device.tcpPort, "viewer", "old-pw", 0));
    int32_t login = LoginWithin("192.168.9.30", device.tcpPort, "viewer", "new-pw", 0);
    EXPECT_NE(login, 0);
    if (login) access.DevLogout(login);
}

}  // namespace
}  // namespace tesmara::lan
