// What tesmara-cli and devsim do with command lines they must refuse: a one-line reason naming
// the option and its value, exit status 2, and nothing sent; help and version on stdout.
#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/lan/support/ProgramRun.h"
#include "tests/lan/support/RunningFleet.h"
#include "tests/lan/support/TestLanGuard.h"

namespace tesmara::lan {
namespace {

std::string DevsimPath() {
    if (const char* path = std::getenv("TESMARA_DEVSIM")) return path;
    return DEVSIM_PATH;
}

struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string says;  // on stderr for a refusal, on stdout otherwise
};

class CommandLine : public LanTest {};

void ExpectOutcome(const std::string& program, const Case& c) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    std::string shown = argv.size() > 1 ? argv[1] + " " + argv.back() : program;
    ProgramResult run = RunProgram(argv, 5000);
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut) << shown;
    EXPECT_EQ(c.exitCode, run.exitCode) << shown << "\n" << run.err;
    const std::string& text = c.exitCode == 2 ? run.err : run.out;
    EXPECT_NE(std::string::npos, text.find(c.says)) << shown << "\n" << text;
    if (c.exitCode == 2) {
        EXPECT_EQ(1, std::count(run.err.begin(), run.err.end(), '\n')) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
}

TEST_F(CommandLine, CliRefusesEveryBadStartAddressAndSendsNothing) {
    auto fleet = RunningFleet::Generated(1);
    ASSERT_TRUE(fleet->Running()) << fleet->Error();
    for (std::string bad : {"notanip", "300.1.1.1", "", "192.168.1", "1.2.3.4.5", " 1.2.3.4",
                            "01x.1.1.1", "8.8.8.8", "192.168.1.0", "192.168.1.255"}) {
        ExpectOutcome(CliPath(), {{"search", "--assign", bad}, 2, "--assign: \"" + bad + "\""});
    }
    ExpectOutcome(CliPath(), {{"search", "--assign=1.2.3"}, 2, "--assign: \"1.2.3\""});
    EXPECT_EQ(0u, fleet->Responder().Stats().received);
}

TEST_F(CommandLine, CliRefusesBadSettingsAndAReportOverAnInputAndSendsNothing) {
    auto fleet = RunningFleet::Generated(1);
    ASSERT_TRUE(fleet->Running()) << fleet->Error();
    const std::string firmware = "/tmp/tesmara-fw-" + std::to_string(getpid()) + ".bin";
    std::ofstream(firmware) << "image";
    const std::string mac = "00-1A-2B-3C-4D-5E";
    const Case cases[] = {
        {{"set-address", "--mac", mac, "--ip", "010.001.001.030"}, 2, "010.001.001.030"},
        {{"set-address", "--mac", mac, "--ip", "192.168.1.255"}, 2, "broadcast"},
        {{"set-address", "--mac", mac, "--ip", "10.1.1.9", "--mask", "255.0.255.0"}, 2, "mask"},
        {{"set-address", "--mac", mac, "--ip", "10.1.1.9", "--gateway", "11.1.1.1"}, 2, "outside"},
        {{"upgrade", "--firmware", firmware, "--all", "--report", "/tmp/../" + firmware},
         2,
         "--report"},
        {{"upgrade", "--firmware", firmware, "--all", "--parallel", "0"}, 2, "--parallel: 0"},
        {{"sync-time", "--all", "--stop-after-failures", "x"}, 2, "--stop-after-failures: \"x\""},
        {{"sync-time", "--all", "--limit", "1001"}, 2, "--limit: 1001"},
        {{"sync-time", "--all", "--journal", "/nonexistent/j.jsonl"}, 2, "--journal"},
        {{"sync-time", "--all", "--resume", "/nonexistent.jsonl"}, 2, "--resume"},
        {{"upgrade", "--firmware", firmware, "--all", "--journal", firmware}, 2, "--journal"},
    };
    for (const Case& c : cases) ExpectOutcome(CliPath(), c);
    std::ifstream kept(firmware);
    EXPECT_EQ("image", std::string(std::istreambuf_iterator<char>(kept), {}));
    std::remove(firmware.c_str());
    EXPECT_EQ(0u, fleet->Responder().Stats().received);
}

TEST_F(CommandLine, CliNamesWhatIsWrongAndAnswersHelpAndVersion) {
    const Case cases[] = {
        {{"--help"}, 0, "search"},
        {{"search", "--help"}, 0, "--code-page"},
        {{"--version"}, 0, "tesmara-cli "},
        {{"search", "--code-page", "99999"}, 2, "--code-page: 99999"},
        {{"search", "--code-page=abc"}, 2, "--code-page"},
        {{"search", "--jsn"}, 2, "--jsn"},
        {{}, 2, "subcommand"},
    };
    for (const Case& c : cases) ExpectOutcome(CliPath(), c);
}

TEST_F(CommandLine, DevsimRangeChecksEveryNumber) {
    // --duration-ms ends any devsim that wrongly accepts its options.
    const Case cases[] = {
        {{"--help"}, 0, "--reboot-offline-ms"},
        {{"--version"}, 0, "devsim "},
        {{"--duration-ms", "0", "--count", "abc"}, 2, "--count"},
        {{"--duration-ms", "0", "--count", "-1"}, 2, "--count"},
        {{"--duration-ms", "0", "--tcp-port", "70000"}, 2, "--tcp-port"},
        {{"--duration-ms", "0", "--http-port=0"}, 2, "--http-port"},
        {{"--duration-ms", "0", "--login-error", "9"}, 2, "--login-error"},
        {{"--duration-ms", "0", "--base-address", "192.168.1"}, 2, "--base-address"},
        {{"--duration-ms", "-5"}, 2, "--duration-ms"},
        {{"--frobnicate"}, 2, "--frobnicate"},
    };
    for (const Case& c : cases) ExpectOutcome(DevsimPath(), c);
}

}  // namespace
}  // namespace tesmara::lan
