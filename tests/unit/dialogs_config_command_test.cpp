// "修改配置" 1037: the display-block merge, the neighbour rule, and the command's lines on both
// paths.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/DeviceTable.h"
#include "devaccess/DisplayConfigBlock.h"
#include "dialogs/ConfigCommand.h"
#include "discovery/SearchDatagrams.h"
#include "res/MainDlgRes.h"
#include "tests/support/ScriptedDeviceAccess.h"
#include "tests/unit/discovery_search_fixture.h"

namespace tesmara {
namespace {

using testing::DevOp;
using testing::SocketOp;
using Flags = std::array<int, kUseFlagCount>;

Flags UseFlags(bool language, bool standard, bool resolution) {
    Flags flags{};
    flags[kUseLanguage] = language;
    flags[kUseVideoStandard] = standard;
    flags[kUseOutputResolution] = resolution;
    flags[kUseAudioInputs] = 1;  // the inert rows never count
    return flags;
}

DeviceSettings Display(int32_t language, int32_t standard, uint8_t resolution) {
    DeviceSettings settings;
    settings.language = language;
    settings.videoStandard = standard;
    settings.outputResolution = resolution;
    return settings;
}

DeviceSettings Addresses(std::string address, std::string mask, std::string gateway) {
    DeviceSettings settings;
    settings.address = std::move(address);
    settings.mask = std::move(mask);
    settings.gateway = std::move(gateway);
    return settings;
}

// Language 1, PAL, resolution code 1 on the device.
DisplayConfigBlock DeviceBlock() {
    DisplayConfigBlock block;
    for (size_t i = 0; i < DisplayConfigBlock::kSize; ++i) block.Bytes()[i] = 0xA0 + i % 16;
    block.SetMenuLanguage(1);
    block.SetVideoStandard(0);
    block.SetOutputResolution(1);
    return block;
}

TEST(DisplayMerge, OnlyChosenSettingsAreComparedAndWritten) {
    struct Case {
        Flags flags;
        DeviceSettings settings;
        bool changed;
        int32_t language;
        uint8_t standard;
        uint8_t resolution;
    };
    const std::vector<Case> cases = {
        {UseFlags(false, false, false), Display(7, 1, 0), false, 1, 0, 1},
        {UseFlags(true, false, false), Display(1, 0, 0), false, 1, 0, 1},
        {UseFlags(true, false, false), Display(0x107, 0, 0), true, 7, 0, 1},  // low byte only
        {UseFlags(true, true, false), Display(1, 1, 0), true, 1, 1, 1},
        {UseFlags(false, false, true), Display(0, 0, 5), true, 1, 0, 5},
        {UseFlags(false, true, true), Display(0, 0, 1), false, 1, 0, 1},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        DisplayConfigBlock block = DeviceBlock();
        EXPECT_EQ(c.changed, MergeDisplaySettings(block, c.flags, c.settings)) << i;
        EXPECT_EQ(c.language, block.MenuLanguage()) << i;
        EXPECT_EQ(c.standard, block.VideoStandard()) << i;
        EXPECT_EQ(c.resolution, block.OutputResolution()) << i;
        EXPECT_EQ(0xA0, block.Bytes()[0]) << i;  // the rest goes back as it came
    }
}

struct ConfigCommand : SearchFixture {
    testing::ScriptedDeviceAccess library;
    MainDialogState state{view, dialogs, network, clock, library};
    std::vector<DeviceRow> records = std::vector<DeviceRow>(4);

    // Rows for the in-memory devices 1..n, ticked as given.
    void MakeRows(std::vector<bool> ticked) {
        network.AddDevices(static_cast<int>(ticked.size()) + 1);
        view.rows.resize(ticked.size());
        for (size_t i = 0; i < ticked.size(); ++i) {
            DeviceRow& r = records[i];
            r.shown = 1;
            r.macText = "00-1A-2B-00-00-0" + std::to_string(i + 1);
            r.ipText = "192.168.1.2" + std::to_string(i + 1);
            r.tcpPort = 34567;
            view.rows[i].device = &r;
            view.rows[i].checked = ticked[i];
        }
        view.texts[IDC_LOGIN_USER] = L"admin";
        view.texts[IDC_LOGIN_PASSWORD] = L"pw";
    }
    // The operator saves with these choices.
    void Choose(int mode, Flags flags, DeviceSettings settings) {
        dialogs.config = [=](ConfigForm& form) {
            form.m_mode = mode;
            form.m_useFlags = flags;
            form.m_settings = settings;
            return true;
        };
    }
    std::vector<std::wstring> Boxes() {
        std::vector<std::wstring> out;
        for (const auto& box : view.boxes) out.push_back(box.text);
        return out;
    }
    void ScriptBlock(const DisplayConfigBlock& block) {
        library.Script(DevOp::GetConfig,
                       {.data = std::vector<uint8_t>(block.Bytes().begin(), block.Bytes().end())});
    }
};

TEST_F(ConfigCommand, NothingCheckedRefusesBeforeTheDialog) {
    MakeRows({false, false});
    Choose(kModeNormal, UseFlags(true, false, false), DeviceSettings{});
    RunConfigCommand(state);
    EXPECT_EQ(std::vector<std::wstring>{L"请先选择一台设备！"}, Boxes());
    EXPECT_EQ(kBoxIconWarning, view.boxes[0].style);
    EXPECT_EQ(0, dialogs.configRuns);
}

TEST_F(ConfigCommand, CancelEndsSilently) {
    MakeRows({true});
    RunConfigCommand(state);
    EXPECT_EQ(1, dialogs.configRuns);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(library.Calls().empty());
}

// Every outcome of the library path, with the session closed on each one that opened it.
TEST_F(ConfigCommand, LibraryPathLinesPerChosenSettingAndEverySessionClosed) {
    struct Case {
        Flags flags;
        bool readOk;
        bool writeOk;
        int32_t language;
        std::vector<std::wstring> lines;
        int writes;
    };
    const std::wstring a = L"[192.168.1.21]";
    const std::vector<Case> cases = {
        {UseFlags(true, true, true),
         true,
         true,
         7,
         {a + L"配置语言成功！", a + L"配置视制成功！", a + L"配置分辨率成功！"},
         1},
        {UseFlags(true, true, false),
         true,
         false,
         7,
         {a + L"配置语言失败！", a + L"配置视制失败！"},
         1},
        {UseFlags(false, true, true),
         false,
         true,
         7,
         {a + L"配置视制失败！", a + L"配置分辨率失败！"},
         0},
        {UseFlags(true, false, false), true, true, 1, {}, 0},  // already set: nothing written
        {UseFlags(false, false, false), true, true, 7, {}, 0},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        testing::ScriptedDeviceAccess fresh;
        MainDialogState run{view, dialogs, network, clock, fresh};
        if (i == 0) MakeRows({true});
        view.log.clear();
        view.boxes.clear();
        Choose(kModeNormal, c.flags, Display(c.language, 0, 1));
        DisplayConfigBlock block = DeviceBlock();
        fresh.Script(DevOp::GetConfig,
                     {.result = c.readOk,
                      .data = std::vector<uint8_t>(block.Bytes().begin(), block.Bytes().end())});
        fresh.Script(DevOp::SetConfig, {.result = c.writeOk});
        RunConfigCommand(run);
        EXPECT_EQ(c.lines, view.LogTexts()) << i;
        EXPECT_EQ(c.writes, fresh.CountOf(DevOp::SetConfig)) << i;
        EXPECT_EQ(1, fresh.CountOf(DevOp::Logout)) << i;
        EXPECT_EQ(std::vector<std::wstring>{L"操作完成！"}, Boxes()) << i;
    }
}

TEST_F(ConfigCommand, LoginFailureIsLoggedAndTheNextDeviceStillRuns) {
    MakeRows({true, false, true});
    Choose(kModeNormal, UseFlags(false, true, false), Display(0, 1, 0));
    library.Script(DevOp::Login, {.result = 0, .error = 3, .address = "192.168.1.21"});
    RunConfigCommand(state);
    EXPECT_EQ((std::vector<std::wstring>{L"[192.168.1.21]登录设备失败！Error = 3",
                                         L"[192.168.1.23]配置视制成功！"}),
              view.LogTexts());
    EXPECT_EQ(StatusColour::kFailure, view.log[0].colour);
    EXPECT_EQ(StatusColour::kSuccess, view.log[1].colour);
    EXPECT_EQ(1, library.CountOf(DevOp::Logout));
    EXPECT_EQ(std::vector<std::wstring>{L"操作完成！"}, Boxes());
}

// Only neighbouring rows are compared, checked or not, and the command then ends at once.
TEST_F(ConfigCommand, NeighbourRowsWithOneAddressStopTheNormalRun) {
    struct Case {
        std::vector<std::string> ips;
        bool stops;
    };
    const std::vector<Case> cases = {
        {{"10.0.0.1", "10.0.0.2", "10.0.0.1"}, false},
        {{"10.0.0.1", "10.0.0.2", "10.0.0.2"}, true},
        {{"10.0.0.3", "10.0.0.3", "10.0.0.1"}, true},
    };
    MakeRows({true, false, false});
    Choose(kModeNormal, UseFlags(true, false, false), Display(5, 0, 0));
    for (const Case& c : cases) {
        testing::ScriptedDeviceAccess fresh;
        MainDialogState run{view, dialogs, network, clock, fresh};
        for (size_t i = 0; i < c.ips.size(); ++i) records[i].ipText = c.ips[i];
        view.boxes.clear();
        EXPECT_EQ(c.stops, NeighbourRowsShareAddress(view));
        RunConfigCommand(run);
        EXPECT_EQ(c.stops ? L"列表中存在设备IP相同！" : L"操作完成！", Boxes().at(0));
        EXPECT_EQ(1u, Boxes().size());
        EXPECT_EQ(c.stops ? 0 : 1, fresh.CountOf(DevOp::Login));
    }
}

struct ConfigNetwork : ConfigCommand {
    const DeviceSettings kNew = Addresses("10.0.0.9", "255.0.0.0", "10.0.0.1");
    void SetUp() override { Choose(kModeNetwork, UseFlags(true, false, false), kNew); }
    std::vector<std::vector<uint8_t>> AddressChanges() {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& sent : network.Sent()) {
            if (sent.data.size() == kAddressChangeSize) out.push_back(sent.data);
        }
        return out;
    }
};

TEST_F(ConfigNetwork, EachDeviceFoundByItsMacGetsTheSameAddress) {
    MakeRows({true, true});
    RunConfigCommand(state);
    RunConfigCommand(state);
    const auto sent = AddressChanges();
    ASSERT_EQ(4u, sent.size());
    const auto once = EncodeAddressChange("00-1A-2B-00-00-01", "10.0.0.9", "10.0.0.1", "255.0.0.0");
    EXPECT_EQ(std::vector<uint8_t>(once.begin(), once.end()), sent[0]);
    EXPECT_EQ(0, std::memcmp(sent[1].data() + 13, network.Device(2).info.mac, 6));
    EXPECT_EQ(sent[0].size(), sent[1].size());
    EXPECT_EQ(0, std::memcmp(sent[0].data() + 19, sent[1].data() + 19, 14));
    EXPECT_EQ(
        (std::vector<std::wstring>{L"[192.168.1.21]配置IP成功！", L"[192.168.1.22]配置IP成功！",
                                   L"[10.0.0.9]配置IP成功！", L"[10.0.0.9]配置IP成功！"}),
        view.LogTexts());
    EXPECT_EQ((std::vector<std::wstring>{L"10.0.0.9", L"10.0.0.9"}), Column(kColumnIp));
    ASSERT_EQ(2u, state.m_configDevices.size());  // one record per MAC after two runs
    EXPECT_EQ(&state.m_configDevices.front(), view.rows[0].device);
    EXPECT_EQ("255.0.0.0", state.m_configDevices.front().maskText);
    EXPECT_EQ("192.168.1.21", records[0].ipText);
    EXPECT_EQ(0, library.CountOf(DevOp::Login));
    EXPECT_EQ(std::vector<std::wstring>(2, L"操作完成！"), Boxes());
}

TEST_F(ConfigNetwork, SilentDeviceGetsNoLineAfterThreeSeconds) {
    MakeRows({true});
    network.Device(1).answersBasic = false;
    RunConfigCommand(state);
    EXPECT_TRUE(view.LogTexts().empty());
    EXPECT_TRUE(AddressChanges().empty());
    EXPECT_GE(Elapsed(), 3000u);
    EXPECT_LT(Elapsed(), 3100u);
    EXPECT_EQ(6u, network.SendTimes(kBasicSearchMagic).size());
    EXPECT_EQ(0, network.OpenSockets());
}

TEST_F(ConfigNetwork, SocketFailuresAreNumbered) {
    struct Case {
        SocketOp op;
        int nth;
        int err;
    };
    MakeRows({true});
    for (const Case& c : std::vector<Case>{{SocketOp::kCreate, 0, 0},
                                           {SocketOp::kReuse, 0, 1},
                                           {SocketOp::kBroadcast, 0, 2},
                                           {SocketOp::kBind, 0, 3},
                                           {SocketOp::kCreate, 1, 4},
                                           {SocketOp::kBind, 1, 5},
                                           {SocketOp::kNonBlocking, 0, 6},
                                           {SocketOp::kSend, 0, 7},
                                           {SocketOp::kSend, 1, 8}}) {
        testing::InMemoryNetwork failing{clock};
        failing.AddDevices(2);
        MainDialogState run{view, dialogs, failing, clock, library};
        if (c.op == SocketOp::kSend) {
            failing.FailSendsFrom(c.nth);
        } else {
            failing.FailNth(c.op, c.nth);
        }
        view.log.clear();
        RunConfigCommand(run);
        EXPECT_EQ(
            std::vector<std::wstring>{L"[192.168.1.21]配置IP失败！err=" + std::to_wstring(c.err)},
            view.LogTexts());
        EXPECT_EQ(0, failing.OpenSockets()) << c.err;
    }
}

TEST_F(ConfigNetwork, EmptyAddressTextsAreRefusedBeforeAnythingIsSent) {
    MakeRows({true});
    for (const DeviceSettings& empty : {DeviceSettings{}, Addresses("10.0.0.9", "", "10.0.0.1")}) {
        Choose(kModeNetwork, UseFlags(false, false, false), empty);
        view.boxes.clear();
        RunConfigCommand(state);
        EXPECT_EQ(0, network.SocketsCreated());
        ASSERT_EQ(1u, view.boxes.size());
        EXPECT_EQ(kBoxIconWarning, view.boxes[0].style);
        EXPECT_NE(L"操作完成！", view.boxes[0].text);
    }
}

}  // namespace
}  // namespace tesmara
