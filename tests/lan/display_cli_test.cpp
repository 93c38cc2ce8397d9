// tesmara-cli set-display against devsim recorders in the test LAN: the display block read back
// from the recorders, and the command's lines and exit statuses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "devsim/session/ConfigBlocks.h"
#include "tests/lan/support/ProgramRun.h"
#include "tests/lan/support/RunningFleet.h"
#include "tests/lan/support/TestLanGuard.h"

namespace tesmara::lan {
namespace {

struct Display {
    int32_t language;
    uint8_t standard;
    uint8_t resolution;
    bool operator==(const Display&) const = default;
};

class DisplayCli : public LanTest {
  protected:
    void SetUp() override {
        LanTest::SetUp();
        setenv("TESMARA_PASSWORD", "", 1);  // devsim's admin has no password
    }
    void Start(const std::string& devices) {
        std::string error;
        fleet = RunningFleet::FromJson(R"({"devices": [)" + devices + "]}", &error);
        ASSERT_TRUE(fleet) << error;
        ASSERT_TRUE(fleet->Running() && fleet->ServeSessions()) << fleet->Error();
    }
    ProgramResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), {CliPath(), "set-display"});
        return RunProgram(args, 30000);
    }
    Display Block(size_t i) {
        const auto& block = fleet->Devices().At(i).Snapshot().session.displayBlock;
        int32_t language = block[28] | block[29] << 8 | block[30] << 16 | block[31] << 24;
        return {language, block[21], block[23]};
    }

    std::unique_ptr<RunningFleet> fleet;
};

TEST_F(DisplayCli, ChosenRecordersTakeTheSettingsAndTheOthersKeepTheirs) {
    Start(R"({"address": "192.168.1.30"}, {"address": "192.168.1.31"},
             {"address": "192.168.1.32", "failSetConfig": true}, {"address": "192.168.1.33"})");
    const Display before = Block(3);
    ProgramResult run = Cli({"--language", "english", "--standard", "NTSC", "--resolution",
                             "1440*900", "--ip", "192.168.1.30,192.168.1.31"});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    for (size_t i : {0u, 1u}) EXPECT_EQ(Block(i), (Display{0, 1, 5})) << i;
    EXPECT_EQ(Block(3), before);
    for (const char* line :
         {"[green] [192.168.1.30]配置语言成功！", "[green] [192.168.1.31]配置视制成功！",
          "[green] [192.168.1.31]配置分辨率成功！", "操作完成！"}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
    }
    EXPECT_EQ(fleet->Devices().At(0).Snapshot().session.sessions, 0u);  // logged out

    run = Cli({"--language", "3", "--device", "192.168.1.32", "--device", "192.168.1.33"});
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("[red] [192.168.1.32]配置语言失败！"), std::string::npos) << run.out;
    EXPECT_EQ(Block(3).language, 3);
}

// The command logs out after every device, so a recorder that admits one session at a time
// takes run after run from one process.
TEST_F(DisplayCli, RepeatedRunsLeaveNoSessionOpen) {
    Start(R"({"address": "192.168.1.40", "maxSessions": 1})");
    for (const char* language : {"5", "6", "6"}) {
        ProgramResult run = Cli({"--language", language, "--device", "192.168.1.40"});
        EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        EXPECT_EQ(fleet->Devices().At(0).Snapshot().session.abandonedSessions, 0u) << run.out;
    }
    EXPECT_EQ(Block(0).language, 6);
}

TEST_F(DisplayCli, BadValuesExitTwoNamingTheValue) {
    Start(R"({"address": "192.168.1.50"})");
    const struct {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{"--language", "Klingon", "--all"}, "Klingon"},
        {{"--language", "22", "--all"}, "22"},
        {{"--standard", "SECAM", "--all"}, "SECAM"},
        {{"--resolution", "800*600", "--all"}, "800*600"},
        {{"--all"}, "nothing to set"},
        {{"--language", "1"}, "no devices chosen"},
    };
    for (const auto& c : cases) {
        ProgramResult run = Cli(c.args);
        EXPECT_EQ(run.exitCode, 2) << c.says << "\n" << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
    EXPECT_EQ(fleet->Responder().Stats().received, 0u);
}

}  // namespace
}  // namespace tesmara::lan
