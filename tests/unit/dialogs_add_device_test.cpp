// Adding a recorder by address: the dialog's OK and the command that adds its row.
#include <gtest/gtest.h>

#include <cstring>

#include "app/MainDialogState.h"
#include "devaccess/NetworkConfigBlock.h"
#include "dialogs/AddDeviceCommand.h"
#include "dialogs/AddDeviceForm.h"
#include "dialogs/win32/AddDeviceDlgRes.h"
#include "platform/Clock.h"
#include "platform/Sockets.h"
#include "res/MainDlgRes.h"
#include "tests/support/RecordingMainView.h"
#include "tests/support/ScriptedDeviceAccess.h"
#include "tests/support/ScriptedDialogs.h"
#include "view/DeviceTable.h"

namespace tesmara {
namespace {

using testing::DevOp;
using testing::ScriptedResult;

TEST(AddDeviceForm, PortIsTheLeadingDigits) {
    for (auto [typed, port] : {std::pair{L"70000", 70000},
                               {L"80x1", 80},
                               {L"", 0},
                               {L"abc", 0},
                               {L"99999999999", 2147483647}}) {
        EXPECT_EQ(ParseLoginPort(typed), port) << typed;
    }
}

struct AddDeviceOk : ::testing::Test {
    testing::RecordingMainView form;
    testing::ScriptedDeviceAccess access;

    void SetUp() override {
        form.texts[IDC_ADD_ADDRESS] = L"10.1.2.3";
        form.texts[IDC_ADD_PORT] = L"70000";  // & 0xFFFF = 4464
    }
};

TEST_F(AddDeviceOk, ReadsTheNetworkBlockAndLogsOut) {
    NetworkConfigBlock block;
    std::memcpy(block.Bytes().data() + 120, "00:1a:2b:3c:4d:ef", 17);
    std::memcpy(block.Bytes().data() + 172, "255.255.0.0", 11);
    std::memcpy(block.Bytes().data() + 192, "10.1.2.1", 8);
    block.SetHttpPort(0x10050);
    access.Script(DevOp::GetConfig, {.data = {block.Bytes().begin(), block.Bytes().end()}});

    std::optional<AddedDevice> added = RunAddDeviceOk(form, access);
    ASSERT_TRUE(added);
    EXPECT_EQ(added->macAddress, L"00-1A-2B-3C-4D-EF");
    EXPECT_EQ(added->subnetMask + " " + added->gateway, "255.255.0.0 10.1.2.1");
    EXPECT_EQ(added->httpPort, 80);
    EXPECT_EQ(access.Calls(DevOp::Login).at(0).port, 4464);
    EXPECT_EQ(access.CountOf(DevOp::Logout), 1);
}

TEST_F(AddDeviceOk, FailureIsShownAndLeavesNoSession) {
    struct Case {
        DevOp failing;
        ScriptedResult result;
        std::wstring message;
        int logouts;
    };
    for (const Case& c :
         {Case{DevOp::Login, {.result = 0, .error = 4}, L"[10.1.2.3]登录设备失败！Error = 4", 0},
          Case{DevOp::GetConfig, {.result = 0}, L"获取配置失败", 1}}) {
        testing::ScriptedDeviceAccess device;
        device.Script(c.failing, c.result);
        form.boxes.clear();
        EXPECT_FALSE(RunAddDeviceOk(form, device));
        ASSERT_EQ(form.boxes.size(), 1u);
        EXPECT_EQ(form.boxes[0].text, c.message);
        EXPECT_EQ(form.boxes[0].style, kBoxOk | kBoxIconWarning);
        EXPECT_EQ(device.CountOf(DevOp::Logout), c.logouts);
    }
}

struct AddDeviceCommand : ::testing::Test {
    testing::RecordingMainView view;
    testing::ScriptedDialogs dialogs;
    testing::ScriptedDeviceAccess access;
    MainDialogState dialog{view, dialogs, SystemSockets(), SystemClock(), access};

    void SetUp() override {
        for (int i = 0; i < 3; ++i) {
            DeviceRow row;
            row.shown = 1;
            row.ipText = "10.1.2." + std::to_string(i);
            dialog.m_devices.push_back(row);
        }
        FillDeviceTable(dialog.m_view, dialog.m_devices);
        view.enabled.clear();
        dialogs.addedDevices.push_back({"10.1.2.3", 70000, L"00-1A-2B-3C-4D-EF", "", "", 80});
    }
};

TEST_F(AddDeviceCommand, AppendsNumberedRowAndTicksEveryRow) {
    RunAddDeviceCommand(dialog);
    ASSERT_EQ(view.rows.size(), 4u);
    EXPECT_EQ(view.rows[3].cells,
              (std::vector<std::wstring>{L"4", L"00-1A-2B-3C-4D-EF", L"10.1.2.3", L"-- --", L"",
                                         L"", L"", L"", L"", L""}));
    ASSERT_EQ(dialog.m_addedDevices.size(), 1u);
    EXPECT_EQ(view.rows[3].device, &dialog.m_addedDevices.front());
    EXPECT_EQ(dialog.m_addedDevices.front().tcpPort, 4464);
    for (const TableRow& r : view.rows) EXPECT_TRUE(r.checked);
    for (int id : {IDC_MODIFY_ADDRESS, IDC_MODIFY_PORTS, IDC_MODIFY_PASSWORD}) {
        EXPECT_FALSE(view.enabled.at(id)) << id;
    }
}

TEST_F(AddDeviceCommand, TheRowPointsAtTheNewRecordNotAtOneOfARecorderReAddressedAway) {
    dialog.m_addedDevices.emplace_back().ipText = "10.1.2.3";  // no row points at it any more
    RunAddDeviceCommand(dialog);
    EXPECT_EQ(view.rows.at(3).device, &dialog.m_addedDevices.back());
}

TEST_F(AddDeviceCommand, KnownAddressIsReportedAfterTheDialogAndAddsNothing) {
    dialogs.addedDevices.front().ipAddress = "10.1.2.1";
    RunAddDeviceCommand(dialog);
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].text, L"IP已存在!");
    EXPECT_EQ(view.boxes[0].style, kBoxOk | kBoxIconInformation);
    EXPECT_EQ(view.rows.size(), 3u);
    EXPECT_TRUE(dialog.m_addedDevices.empty());
}

}  // namespace
}  // namespace tesmara
