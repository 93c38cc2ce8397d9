// "修改配置" 1037: the display-block merge, the neighbour rule, and the command's lines on both
// paths.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "devaccess/DisplayConfigBlock.h"
#include "dialogs/ConfigCommand.h"
#include "discovery/SearchDatagrams.h"
#include "res/MainDlgRes.h"
#include "tests/support/ScriptedDeviceAccess.h"
#include "tests/unit/discovery_search_fixture.h"
#include "view/DeviceTable.h"

namespace tesmara {
namespace {

using testing::DevOp;
using testing::SocketOp;
using Flags = std::array<int, kUseFlagCount>;
using Texts = std::vector<std::wstring>;

// The three display flags; an inert row's flag is set too, as it must never count.
Flags Use(bool language, bool standard, bool resolution) {
    Flags flags{};
    flags[kUseLanguage] = language;
    flags[kUseVideoStandard] = standard;
    flags[kUseOutputResolution] = resolution;
    flags[kUseAudioInputs] = 1;
    return flags;
}

DeviceSettings Display(int32_t language, int32_t standard, uint8_t resolution) {
    DeviceSettings settings;
    settings.language = language;
    settings.videoStandard = standard;
    settings.outputResolution = resolution;
    return settings;
}

// As a recorder serves it: language 1, PAL, resolution code 1, a pattern elsewhere.
std::vector<uint8_t> DeviceBlock() {
    DisplayConfigBlock block;
    for (size_t i = 0; i < DisplayConfigBlock::kSize; ++i) block.Bytes()[i] = 0xA0 + i % 16;
    block.SetMenuLanguage(1);
    block.SetVideoStandard(0);
    block.SetOutputResolution(1);
    return {block.Bytes().begin(), block.Bytes().end()};
}

TEST(DisplayMerge, OnlyChosenSettingsAreComparedAndWritten) {
    struct Case {
        Flags flags;
        DeviceSettings settings;
        bool changed;
        int32_t language;
        uint8_t standard, resolution;
    } cases[] = {
        {Use(false, false, false), Display(7, 1, 0), false, 1, 0, 1},
        {Use(true, false, true), Display(1, 0, 1), false, 1, 0, 1},
        {Use(true, false, false), Display(0x107, 0, 0), true, 7, 0, 1},  // low byte only
        {Use(true, true, false), Display(1, 1, 0), true, 1, 1, 1},
        {Use(false, false, true), Display(0, 0, 5), true, 1, 0, 5},
    };
    for (const Case& c : cases) {
        DisplayConfigBlock block;
        std::vector<uint8_t> bytes = DeviceBlock();
        std::memcpy(block.Bytes().data(), bytes.data(), bytes.size());
        EXPECT_EQ(c.changed, MergeDisplaySettings(block, c.flags, c.settings)) << c.language;
        bytes[21] = c.standard;
        bytes[23] = c.resolution;
        bytes[28] = static_cast<uint8_t>(c.language);
        EXPECT_EQ(bytes, std::vector<uint8_t>(block.Bytes().begin(), block.Bytes().end()));
    }
}

struct ConfigCommand : SearchFixture {
    testing::ScriptedDeviceAccess library;
    MainDialogState state{view, dialogs, network, clock, library};
    std::vector<DeviceRow> records = std::vector<DeviceRow>(3);

    // Rows for the in-memory devices 1..n (192.168.1.21 on), ticked as given.
    void MakeRows(std::vector<bool> ticked) {
        network.AddDevices(static_cast<int>(ticked.size()) + 1);
        view.rows.resize(ticked.size());
        for (size_t i = 0; i < ticked.size(); ++i) {
            records[i].macText = "00-1A-2B-00-00-0" + std::to_string(i + 1);
            records[i].ipText = "192.168.1.2" + std::to_string(i + 1);
            view.rows[i].device = &records[i];
            view.rows[i].checked = ticked[i];
        }
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
    Texts Boxes() {
        Texts out;
        for (const auto& box : view.boxes) out.push_back(box.text);
        return out;
    }
};

TEST_F(ConfigCommand, NothingCheckedRefusesBeforeTheDialogAndCancelEndsSilently) {
    MakeRows({false});
    RunConfigCommand(state, state.m_configDialog);
    EXPECT_EQ(Texts{L"请先选择一台设备！"}, Boxes());
    EXPECT_EQ(0, dialogs.configRuns);
    view.rows[0].checked = true;
    RunConfigCommand(state, state.m_configDialog);  // no script: the operator cancels
    EXPECT_EQ(1, dialogs.configRuns);
    EXPECT_EQ(1u, view.boxes.size());
    EXPECT_TRUE(library.Calls().empty());
}

// Every outcome of the library path. Each session opened is closed again: the recorders admit
// only so many, and the ones left open would lock the operator out after some runs.
TEST_F(ConfigCommand, LibraryPathLinesFollowTheChosenSettingsAndEverySessionIsClosed) {
    struct Case {
        Flags flags;
        bool readOk, writeOk;
        int32_t language;
        Texts lines;
        int writes;
    };
    const std::wstring a = L"[192.168.1.21]";
    const Case cases[] = {
        {Use(true, true, true),
         true,
         true,
         7,
         {a + L"配置语言成功！", a + L"配置视制成功！", a + L"配置分辨率成功！"},
         1},
        {Use(true, true, false), true, false, 7, {a + L"配置语言失败！", a + L"配置视制失败！"}, 1},
        {Use(false, true, true),
         false,
         true,
         7,
         {a + L"配置视制失败！", a + L"配置分辨率失败！"},
         0},
        {Use(true, false, false), true, true, 1, {}, 0},  // already set: nothing written
        {Use(false, false, false), true, true, 7, {}, 0},
    };
    MakeRows({true});
    for (const Case& c : cases) {
        testing::ScriptedDeviceAccess fresh;
        MainDialogState run{view, dialogs, network, clock, fresh};
        view.log.clear();
        view.boxes.clear();
        Choose(kModeNormal, c.flags, Display(c.language, 0, 1));
        fresh.Script(DevOp::GetConfig, {.result = c.readOk, .data = DeviceBlock()});
        fresh.Script(DevOp::SetConfig, {.result = c.writeOk});
        RunConfigCommand(run, run.m_configDialog);
        EXPECT_EQ(c.lines, view.LogTexts());
        EXPECT_EQ(c.writes, fresh.CountOf(DevOp::SetConfig));
        EXPECT_EQ(1, fresh.CountOf(DevOp::Logout));
        EXPECT_EQ(Texts{L"操作完成！"}, Boxes());
    }
}

TEST_F(ConfigCommand, LoginFailureIsLoggedAndTheNextDeviceStillRuns) {
    MakeRows({true, false, true});
    Choose(kModeNormal, Use(false, true, false), Display(0, 1, 0));
    library.Script(DevOp::Login, {.result = 0, .error = 3, .address = "192.168.1.21"});
    RunConfigCommand(state, state.m_configDialog);
    EXPECT_EQ((Texts{L"[192.168.1.21]登录设备失败！Error = 3", L"[192.168.1.23]配置视制成功！"}),
              view.LogTexts());
    EXPECT_EQ(StatusColour::kFailure, view.log[0].colour);
    EXPECT_EQ(StatusColour::kSuccess, view.log[1].colour);
}

// Only neighbouring rows are compared, checked or not; equal ones end the command at once.
TEST_F(ConfigCommand, NeighbourRowsWithOneAddressStopTheNormalRun) {
    const struct {
        std::vector<std::string> ips;
        bool stops;
    } cases[] = {
        {{"10.0.0.1", "10.0.0.2", "10.0.0.1"}, false},
        {{"10.0.0.1", "10.0.0.2", "10.0.0.2"}, true},
    };
    MakeRows({true, false, false});
    Choose(kModeNormal, Use(true, false, false), Display(5, 0, 0));
    for (const auto& c : cases) {
        testing::ScriptedDeviceAccess fresh;
        MainDialogState run{view, dialogs, network, clock, fresh};
        for (size_t i = 0; i < c.ips.size(); ++i) records[i].ipText = c.ips[i];
        view.boxes.clear();
        RunConfigCommand(run, run.m_configDialog);
        EXPECT_EQ(Texts{c.stops ? L"列表中存在设备IP相同！" : L"操作完成！"}, Boxes());
        EXPECT_EQ(c.stops ? 0 : 1, fresh.CountOf(DevOp::Login));
    }
}

struct ConfigNetwork : ConfigCommand {
    void SetUp() override {
        DeviceSettings addresses;
        addresses.address = "10.0.0.9";
        addresses.mask = "255.0.0.0";
        addresses.gateway = "10.0.0.1";
        Choose(kModeNetwork, Use(true, false, false), addresses);
    }
    std::vector<std::vector<uint8_t>> AddressChanges() {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& sent : network.Sent()) {
            if (sent.data.size() == kAddressChangeSize) out.push_back(sent.data);
        }
        return out;
    }
};

// Each device is looked up by its own MAC and all get the same addresses; one that does not
// answer gets no line. A second run updates the record of each MAC in place.
TEST_F(ConfigNetwork, FoundDevicesGetTheSameAddressesAndOneRecordEach) {
    MakeRows({true, true, true});
    network.Device(3).answersBasic = false;
    RunConfigCommand(state, state.m_configDialog);
    RunConfigCommand(state, state.m_configDialog);
    const auto sent = AddressChanges();
    ASSERT_EQ(4u, sent.size());
    EXPECT_EQ(0, std::memcmp(sent[1].data() + 13, network.Device(2).info.mac, 6));
    EXPECT_EQ(0, std::memcmp(sent[0].data() + 19, sent[1].data() + 19, kAddressChangeSize - 19));
    EXPECT_EQ((Texts{L"[192.168.1.21]配置IP成功！", L"[192.168.1.22]配置IP成功！",
                     L"[10.0.0.9]配置IP成功！", L"[10.0.0.9]配置IP成功！"}),
              view.LogTexts());
    EXPECT_EQ((Texts{L"10.0.0.9", L"10.0.0.9", L""}), Column(kColumnIp));
    ASSERT_EQ(2u, state.m_configDevices.size());
    EXPECT_EQ(&state.m_configDevices.front(), view.rows[0].device);
    EXPECT_EQ(0, library.CountOf(DevOp::Login));
    EXPECT_EQ(Texts(2, L"操作完成！"), Boxes());
}

TEST_F(ConfigNetwork, SocketFailuresAreNumbered) {
    const struct {
        SocketOp op;
        int nth, err;
    } cases[] = {
        {SocketOp::kCreate, 0, 0},      {SocketOp::kReuse, 0, 1},  {SocketOp::kBroadcast, 0, 2},
        {SocketOp::kBind, 0, 3},        {SocketOp::kCreate, 1, 4}, {SocketOp::kBind, 1, 5},
        {SocketOp::kNonBlocking, 0, 6}, {SocketOp::kSend, 0, 7},   {SocketOp::kSend, 1, 8}};
    MakeRows({true});
    for (const auto& c : cases) {
        testing::InMemoryNetwork failing{clock};
        failing.AddDevices(2);
        MainDialogState run{view, dialogs, failing, clock, library};
        if (c.op == SocketOp::kSend) {
            failing.FailSendsFrom(c.nth);
        } else {
            failing.FailNth(c.op, c.nth);
        }
        view.log.clear();
        RunConfigCommand(run, run.m_configDialog);
        EXPECT_EQ(Texts{L"[192.168.1.21]配置IP失败！err=" + std::to_wstring(c.err)},
                  view.LogTexts());
        EXPECT_EQ(0, failing.OpenSockets()) << c.err;
    }
}

// An empty text would be sent as 255.255.255.255 to every checked device.
TEST_F(ConfigNetwork, EmptyAddressTextsAreRefusedBeforeAnythingIsSent) {
    MakeRows({true});
    Choose(kModeNetwork, Use(false, false, false), DeviceSettings{});
    RunConfigCommand(state, state.m_configDialog);
    EXPECT_EQ(0, network.SocketsCreated());
    ASSERT_EQ(1u, view.boxes.size());
    EXPECT_EQ(kBoxIconWarning, view.boxes[0].style);
    EXPECT_NE(L"操作完成！", view.boxes[0].text);
}

}  // namespace
}  // namespace tesmara
