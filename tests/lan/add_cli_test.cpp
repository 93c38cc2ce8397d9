// tesmara-cli add against devsim recorders in the test LAN: a recorder that answers no search is
// read by its address, its colon MAC shown in the table's form.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "devsim/session/SessionServer.h"
#include "tests/lan/support/ProgramRun.h"
#include "tests/lan/support/RunningFleet.h"
#include "tests/lan/support/TestLanGuard.h"

namespace tesmara::lan {
namespace {

class AddCli : public LanTest {
  protected:
    void SetUp() override {
        LanTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        std::string error;
        fleet = RunningFleet::FromJson(
            R"({"devices": [{"mac": "00-1A-2B-3C-4D-71", "address": "192.168.66.21",
                "httpPort": 8080, "discoverable": false, "macTextLowerCase": true}]})",
            &error);
        ASSERT_TRUE(fleet) << error;
        sessions = std::make_unique<devsim::SessionServer>(fleet->Devices());
        ASSERT_TRUE(sessions->Start(&error)) << error;
        std::ofstream(passwordFile) << "wrong\n";
    }
    void TearDown() override {
        if (sessions) sessions->Stop();
        std::remove(passwordFile.c_str());
    }

    std::string passwordFile = "/tmp/tesmara-add-pw-" + std::to_string(getpid());
    std::unique_ptr<RunningFleet> fleet;
    std::unique_ptr<devsim::SessionServer> sessions;
};

TEST_F(AddCli, PrintsTheRowOrTheLoginLineWithTheExitStatus) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string shown;  // in stdout or stderr
    };
    const std::vector<Case> cases = {
        {{"--device", "192.168.66.21", "--password-file", "/dev/null"},
         0,
         "add: done: MAC 00-1A-2B-3C-4D-71 IP 192.168.66.21 mask 255.255.255.0 gateway "
         "192.168.66.1 http 8080"},
        {{"--device", "192.168.66.21:34567", "--password-file", passwordFile},
         1,
         "[192.168.66.21]登录设备失败！Error = "},
        {{"--device", "192.168.66.300", "--password-file", "/dev/null"}, 2, "--device"},
        {{"--device", "192.168.66.21:70000", "--password-file", "/dev/null"}, 2, "--device"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {CliPath(), "add"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ProgramResult run = RunProgram(args, 30000);
        SCOPED_TRACE(c.args[1]);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
        EXPECT_NE((run.out + run.err).find(c.shown), std::string::npos) << run.out << run.err;
    }
}

}  // namespace
}  // namespace tesmara::lan
