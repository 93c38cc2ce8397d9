// --dry-run of the one-device commands against devsim recorders: each says what it would do, and
// no recorder sees a login or an address change.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
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
    std::atomic<int> sessionEvents{0};  // logins and connections that never logged in
    devsim::SessionServerOptions options{[&sessionEvents](const std::string&) { ++sessionEvents; }};
    devsim::SessionServer sessions(fleet->Devices(), options);
    ASSERT_TRUE(sessions.Start(&error)) << error;

    struct Case {
        int exitCode;
        const char* command;  // devsim's admin has no password: /dev/null holds it
        const char* says;
    };
    const Case cases[] = {
        {0, "set-address --mac 00:1a:2b:3c:4d:5e --ip 192.168.9.61",
         "would broadcast an address change for MAC 00-1A-2B-3C-4D-5E to 192.168.9.61 mask "
         "255.255.255.0 gateway 192.168.9.1"},
        {1, "set-address --mac 00-1A-2B-3C-4D-99 --ip 192.168.9.61", "did not answer the search"},
        {0, "set-ports --ip 192.168.9.60 --http 8080 --tcp 35000",
         "would log in as admin to 192.168.9.60:34567, set HTTP port 8080 and TCP port 35000"},
        {1, "set-ports --ip 192.168.9.60 --http 80 --tcp 80", "would not"},
        {0,
         "set-password --ip 192.168.9.60 --account admin --old-password-file /dev/null "
         "--new-password-file /dev/null",
         "would log in as admin to 192.168.9.60:34567 and change the password"},
        {0, "add --device 192.168.9.60:34567 --password-file /dev/null",
         "add: would log in as admin to 192.168.9.60:34567"},
        {0, "set-display --standard NTSC --all --password-file /dev/null",
         "to 192.168.9.60:34567 (MAC 00-1A-2B-3C-4D-5E), read its display settings and write "
         "video standard NTSC"},
        {1, "set-display --standard PAL --mac 00-1A-2B-3C-4D-99 --password-file /dev/null",
         "00-1A-2B-3C-4D-99: not found by the search"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        std::vector<std::string> args{CliPath()};
        std::istringstream words(c.command);
        for (std::string word; words >> word;) args.push_back(word);
        args.push_back("--dry-run");
        ProgramResult run = RunProgram(args, 30000);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
        EXPECT_NE((run.out + run.err).find(c.says), std::string::npos) << run.out << run.err;
    }
    sessions.Stop();
    EXPECT_EQ(sessionEvents, 0) << "no session was opened";
    EXPECT_EQ(fleet->Responder().Stats().addressChanges, 0u);
    EXPECT_GT(fleet->Responder().Stats().basicSearches, 0u) << "the searches were made";
}

}  // namespace
}  // namespace tesmara::lan
