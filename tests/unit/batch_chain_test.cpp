// The chain threads after a finished transfer: restart wait, login attempts, second step.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "view/DeviceTable.h"
#include "batch/UpgradeChains.h"
#include "devaccess/NetworkConfigBlock.h"
#include "platform/Clock.h"
#include "tests/support/BatchFixture.h"

namespace tesmara {
namespace {

using testing::BatchBench;
using testing::DevOp;
using enum testing::DevOp;

struct ChainCase {
    std::function<void(testing::ScriptedDeviceAccess&)> script;
    std::vector<std::wstring> lines;
    int logins;
    std::vector<DevOp> opsAfterLogin;  // after the last login attempt
    uint32_t elapsedMs;
    std::wstring cell;
};

void FailLogins(testing::ScriptedDeviceAccess& access, int count, int32_t lastError) {
    for (int i = 1; i <= count; ++i) {
        access.Script(Login, {.result = 0, .error = i == count ? lastError : 1});
    }
}

void RunChain(BatchBench& b, const ChainCase& c, const std::function<void()>& run,
              const std::wstring& box) {
    b.AddDevices(1);
    b.view.SetCellText(0, kColumnUpgradeStatus, L"restarting");
    b.PrepareRun();
    c.script(b.access);
    run();
    std::vector<DevOp> ops = b.OpsOf("10.0.0.1");
    const std::wstring context = c.lines.empty() ? L"" : c.lines.back();
    EXPECT_EQ(c.logins, b.access.CountOf(Login)) << context;
    ops.erase(ops.begin(), ops.begin() + std::min<size_t>(ops.size(), c.logins));
    EXPECT_EQ(c.lines, b.Lines()) << context;
    EXPECT_EQ(c.opsAfterLogin, ops) << context;
    EXPECT_EQ(c.elapsedMs, b.clock.Peek() - 1000) << context;
    EXPECT_EQ(c.cell, b.view.rows[0].cells[kColumnUpgradeStatus]) << context;
    EXPECT_EQ(c.logins == 0 ? std::vector<std::wstring>{} : std::vector{box}, b.BoxTexts())
        << context;
}

TEST(UpgradeChains, AddressResetOutcomes) {
    const ChainCase cases[] = {
        {[](auto& a) { FailLogins(a, 16, 11); },
         {L"[10.0.0.1]登录失败！Error = 11"},
         16,
         {},
         20000 + 16 * 2000,
         L"restarting"},
        {[](auto& a) { FailLogins(a, 15, 11); },
         {L"升级设备[10.0.0.1]成功！", L"配置设备[10.0.0.1]IP为192.168.1.10成功！"},
         16,
         {GetConfig, SetConfig},
         20000 + 15 * 2000,
         L"升级成功！"},
        {[](auto& a) { a.Script(GetConfig, {.result = 0}); },
         {L"[10.0.0.1]获取配置失败！"},
         1,
         {GetConfig, Logout},
         20000,
         L"restarting"},
        {[](auto& a) { a.Script(SetConfig, {.result = 0}); },
         {L"[10.0.0.1]配置IP失败！"},
         1,
         {GetConfig, SetConfig, Logout},
         20000,
         L"restarting"},
    };
    for (const ChainCase& c : cases) {
        BatchBench b;
        const AddressChainSlot slot{&b.dialog, "10.0.0.1", 34567, 0};
        RunChain(
            b, c, [&] { AddressResetThread(&slot); }, L"操作完成！");
    }
}

TEST(UpgradeChains, ConfigAfterUpgradeOutcomes) {
    const ChainCase cases[] = {
        {[](auto& a) { FailLogins(a, 16, 2); },
         {L"[10.0.0.1] login failed! User does not exist"},
         16,
         {},
         20000 + 16 * 2000,
         L"restarting"},
        {[](auto& a) { a.Script(ImportConfig, {.result = 0, .error = 13}); },
         {L"[10.0.0.1] configure failed!Error = 13"},
         1,
         {ImportConfig, Logout},
         20000,
         L"restarting"},
        {[](auto&) {},
         {L"[10.0.0.1] upgrade and configure device successfully!"},
         1,
         {ImportConfig, Logout},
         20200,
         L"Upgrade and configure successfully!"},
    };
    for (const ChainCase& c : cases) {
        BatchBench b;
        const ConfigChainSlot slot{&b.dialog, 1, "10.0.0.1", 34567, 0};
        RunChain(
            b, c, [&] { ConfigAfterUpgradeThread(&slot); }, L"Operate completed!");
    }
    BatchBench b;  // a transfer that did not end well: nothing but the wait
    const ConfigChainSlot slot{&b.dialog, 0, "10.0.0.1", 34567, 0};
    RunChain(
        b, {[](auto&) {}, {}, 0, {}, 20000, L"restarting"},
        [&] { ConfigAfterUpgradeThread(&slot); }, L"");
}

TEST(UpgradeChains, TheAddressResetWritesOnlyTheAddressAndGatewayTexts) {
    BatchBench b;
    std::vector<uint8_t> read(NetworkConfigBlock::kSize);
    for (size_t i = 0; i < read.size(); ++i) read[i] = static_cast<uint8_t>(i * 7 + 3);
    b.access.Script(GetConfig, {.data = read});
    b.AddDevices(1);
    b.PrepareRun();
    const AddressChainSlot slot{&b.dialog, "10.0.0.1", 34567, 0};
    AddressResetThread(&slot);

    std::vector<uint8_t> expected = read;
    const std::string address = "192.168.1.10", gateway = "192.168.1.1";
    std::copy(address.begin(), address.end(), expected.begin() + 152);
    expected[152 + address.size()] = 0;
    std::copy(gateway.begin(), gateway.end(), expected.begin() + 192);
    expected[192 + gateway.size()] = 0;
    const std::vector<testing::DevCall> written = b.access.Calls(SetConfig);
    ASSERT_EQ(1u, written.size());
    EXPECT_EQ(expected, written[0].data);
    EXPECT_EQ(kConfigNetwork, written[0].command);
    EXPECT_EQ(-1, written[0].channel);
}

TEST(UpgradeChains, AClosingWindowCutsTheRestartWaitShort) {
    BatchBench b;
    MainDialogState dialog{b.view, b.dialogs, b.network, SystemClock(), b.access};
    dialog.m_counters.Start(1);
    const AddressChainSlot slot{&dialog, "10.0.0.1", 34567, 0};
    StartAddressReset(dialog, slot);
    const auto start = std::chrono::steady_clock::now();
    dialog.m_workers.RequestStop();
    dialog.m_workers.JoinAll();
    // Well under the 20 s restart wait: the window is not held up.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(0, b.access.CountOf(Login));
    EXPECT_TRUE(b.view.boxes.empty());
}

}  // namespace
}  // namespace tesmara
