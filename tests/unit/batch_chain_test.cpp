// The chain threads after a finished transfer: restart wait, login attempts, second step.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "batch/UpgradeChains.h"
#include "devaccess/NetworkConfigBlock.h"
#include "platform/Clock.h"
#include "tests/support/BatchFixture.h"
#include "view/DeviceTable.h"

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

void RunChain(BatchBench& b, const ChainCase& c, BatchKind kind, void (*chain)(BatchRun&, size_t),
              const std::wstring& box) {
    b.AddDevices(1);
    b.view.SetCellText(0, kColumnUpgradeStatus, L"restarting");
    BatchRun& run = b.Prepare(kind);
    c.script(b.access);
    chain(run, 0);
    std::vector<DevOp> ops = b.OpsOf("10.0.0.1");
    const std::wstring context = c.lines.empty() ? L"" : c.lines.back();
    EXPECT_EQ(c.logins, b.access.CountOf(Login)) << context;
    ops.erase(ops.begin(), ops.begin() + std::min<size_t>(ops.size(), c.logins));
    EXPECT_EQ(c.lines, b.Lines()) << context;
    EXPECT_EQ(c.opsAfterLogin, ops) << context;
    EXPECT_EQ(c.elapsedMs, b.clock.Peek() - 1000) << context;
    EXPECT_EQ(c.cell, b.view.rows[0].cells[kColumnUpgradeStatus]) << context;
    EXPECT_EQ(std::vector{box}, b.BoxTexts()) << context;
    ASSERT_EQ(1u, b.status.finishes[0].size()) << context;
    EXPECT_EQ(c.cell != L"restarting", b.status.finishes[0][0].succeeded) << context;
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
        RunChain(b, c, BatchKind::kUpgrade, AddressResetChain, L"操作完成！");
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
        RunChain(b, c, BatchKind::kUpgradeConfigure, ConfigAfterUpgradeChain,
                 L"Operate completed!");
    }
}

TEST(UpgradeChains, TheAddressResetWritesOnlyTheAddressAndGatewayTexts) {
    BatchBench b;
    std::vector<uint8_t> read(NetworkConfigBlock::kSize);
    for (size_t i = 0; i < read.size(); ++i) read[i] = static_cast<uint8_t>(i * 7 + 3);
    b.access.Script(GetConfig, {.data = read});
    b.AddDevices(1);
    AddressResetChain(b.Prepare(BatchKind::kUpgrade), 0);

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
    b.AddDevices(1);
    BatchRun run(b.job, {b.access, SystemClock(), b.view, b.status});
    run.StartCounting();
    run.StartChain(AddressResetChain, 0);
    const auto start = std::chrono::steady_clock::now();
    run.RequestStop();
    run.JoinAll();
    // Well under the 20 s restart wait: the window is not held up.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(0, b.access.CountOf(Login));
    EXPECT_TRUE(b.view.boxes.empty());
}

}  // namespace
}  // namespace tesmara
