// --dry-run of the one-device commands against devsim recorders: each says what it would do, and
// no recorder sees a login or an address change.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "devsim/session/SessionServer.h"
#include "tests/lan/support/ProgramRun.h"
#include "tests/lan/support/RunningFleet.h"
#include "tests/lan/support/TestLanGuard.h"

namespace tesmara::lan {
namespace {

TEST(DryRunCli, CommandsSayWhatTheyWouldDoAndSendNothingButTheirSearch) {
    TESMARA_REQUIRE_TEST_LAN();
    std::string error;
    auto fleet = RunningFleet::FromJson(
        R"({"devices": [{"mac": "00-1A-2B-3C-4D-5E", "address": "192.168.9.60"}]})", &error);
    ASSERT_TRUE(fleet && fleet->Running()) << error;
    std::mutex lock;
    std::vector<std::string> sessionLog;
    devsim::SessionServerOptions options;
    options.log = [&](const std::string& line) {
        std::lock_guard<std::mutex> hold(lock);
        sessionLog.push_back(line);
    };
    devsim::SessionServer sessions(fleet->Devices(), options);
    ASSERT_TRUE(sessions.Start(&error)) << error;
    const std::string pw = "/tmp/tesmara-dry-pw-" + std::to_string(getpid());
    std::ofstream(pw) << "\n";

    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* says;
    };
    const Case cases[] = {
        {{"set-address", "--mac", "00:1a:2b:3c:4d:5e", "--ip", "192.168.9.61"},
         0,
         "set-address: would broadcast an address change for MAC 00-1A-2B-3C-4D-5E to "
         "192.168.9.61 mask 255.255.255.0 gateway 192.168.9.1"},
        {{"set-address", "--mac", "00-1A-2B-3C-4D-99", "--ip", "192.168.9.61"},
         1,
         "did not answer the search"},
        {{"set-ports", "--ip", "192.168.9.60", "--http", "8080", "--tcp", "35000"},
         0,
         "set-ports: would log in as admin to 192.168.9.60:34567, set HTTP port 8080 and TCP "
         "port 35000"},
        {{"set-ports", "--ip", "192.168.9.60", "--http", "80", "--tcp", "80"}, 1, "would not"},
        {{"set-password", "--ip", "192.168.9.60", "--account", "admin", "--old-password-file", pw,
          "--new-password-file", pw},
         0,
         "would log in as admin to 192.168.9.60:34567 and change the password of account admin"},
        {{"add", "--device", "192.168.9.60:34567", "--password-file", pw},
         0,
         "add: would log in as admin to 192.168.9.60:34567"},
        {{"set-display", "--standard", "NTSC", "--all", "--password-file", pw},
         0,
         "would log in as admin to 192.168.9.60:34567 (MAC 00-1A-2B-3C-4D-5E), read its display "
         "settings and write video standard NTSC"},
        {{"set-display", "--standard", "PAL", "--mac", "00-1A-2B-3C-4D-99", "--password-file", pw},
         1,
         "00-1A-2B-3C-4D-99: not found by the search"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), CliPath());
        args.push_back("--dry-run");
        ProgramResult run = RunProgram(args, 30000);
        SCOPED_TRACE(c.args[0] + " " + c.args[2]);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
        EXPECT_NE((run.out + run.err).find(c.says), std::string::npos) << run.out << run.err;
    }
    sessions.Stop();
    std::remove(pw.c_str());
    EXPECT_EQ(sessionLog, std::vector<std::string>{}) << "no session was opened";
    EXPECT_EQ(fleet->Responder().Stats().addressChanges, 0u);
    EXPECT_GT(fleet->Responder().Stats().basicSearches, 0u) << "the searches were made";
}

}  // namespace
}  // namespace tesmara::lan
