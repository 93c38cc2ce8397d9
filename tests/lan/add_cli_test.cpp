// tesmara-cli add against a devsim recorder in the test LAN that answers no search and spells its
// MAC with colons in lower case.
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

TEST(AddCli, PrintsTheRowOrTheLoginLineWithTheExitStatus) {
    TESMARA_REQUIRE_TEST_LAN();
    std::string error;
    auto fleet = RunningFleet::FromJson(
        R"({"devices": [{"mac": "00-1A-2B-3C-4D-71", "address": "192.168.66.21", "httpPort": 8080,
            "discoverable": false, "macTextLowerCase": true}]})",
        &error);
    ASSERT_TRUE(fleet) << error;
    devsim::SessionServer sessions(fleet->Devices());
    ASSERT_TRUE(sessions.Start(&error)) << error;
    const std::string wrong = "/tmp/tesmara-add-pw-" + std::to_string(getpid());
    std::ofstream(wrong) << "wrong\n";

    struct Case {
        std::string device, passwordFile;
        int exitCode;
        std::string shown;  // in stdout or stderr
    };
    for (const Case& c : std::vector<Case>{
             {"192.168.66.21", "/dev/null", 0,
              "add: done: MAC 00-1A-2B-3C-4D-71 IP 192.168.66.21 mask 255.255.255.0 gateway "
              "192.168.66.1 http 8080"},
             {"192.168.66.21:34567", wrong, 1, "[192.168.66.21]登录设备失败！Error = "},
             {"192.168.66.300", "/dev/null", 2, "--device"},
             {"192.168.66.21:70000", "/dev/null", 2, "--device"},
         }) {
        ProgramResult run = RunProgram(
            {CliPath(), "add", "--device", c.device, "--password-file", c.passwordFile}, 30000);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.device << run.out << run.err;
        EXPECT_NE((run.out + run.err).find(c.shown), std::string::npos) << run.out << run.err;
    }
    sessions.Stop();
    std::remove(wrong.c_str());
}

}  // namespace
}  // namespace tesmara::lan
