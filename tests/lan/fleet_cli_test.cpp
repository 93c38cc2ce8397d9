// tesmara-cli's site-scale options against devsim fleets in the test LAN: waves, the failure
// limit, the journal and its resume after a kill, dry runs and the larger search limit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>

#include "devsim/model/SimDevice.h"
#include "tests/lan/support/ProgramRun.h"
#include "tests/lan/support/RunningFleet.h"
#include "tests/lan/support/SessionFleet.h"
#include "tests/lan/support/TestLanGuard.h"

namespace tesmara::lan {
namespace {

std::vector<nlohmann::json> JournalLines(const std::string& path) {
    std::vector<nlohmann::json> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        lines.push_back(nlohmann::json::parse(line, nullptr, false));
    }
    return lines;
}

class FleetCli : public LanTest {
  protected:
    void SetUp() override {
        LanTest::SetUp();
        setenv("TESMARA_PASSWORD", "", 1);  // devsim's admin has no password
        std::remove(journal_.c_str());
    }

    // `count` recorders from 192.168.1.100 on with quick restarts; `faulty` of them first.
    std::unique_ptr<RunningFleet> Fleet(size_t count, const std::string& faulty = "",
                                        size_t faultyCount = 0) {
        std::string devices;
        for (size_t i = 0; i < count; ++i) {
            devices += std::string(i ? "," : "") + "{" + (i < faultyCount ? faulty : "") + "}";
        }
        std::string error;
        auto fleet = RunningFleet::FromJson(
            R"({"defaults": {"writingMs": 300, "rebootOfflineMs": 300}, "devices": [)" + devices +
                "]}",
            &error);
        EXPECT_TRUE(fleet && fleet->Running() && fleet->ServeSessions()) << error;
        return fleet;
    }

    ProgramResult Cli(std::vector<std::string> args, int timeoutMs = 90000) {
        args.insert(args.begin(), CliPath());
        return RunProgram(args, timeoutMs);
    }

    std::vector<std::string> Upgrade(std::vector<std::string> more) {
        std::vector<std::string> args{"upgrade", "--firmware", image_.Path(), "--all"};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }

    TempImage image_{256 * 1024, "V4.03.R12.00000001.10001"};
    std::string journal_ = ::testing::TempDir() + "fleet_journal.jsonl";
};

TEST_F(FleetCli, WavesNeverHaveMoreThanNRecordersInTheirTransferAtOnce) {
    for (int parallel : {1, 3}) {
        auto fleet = Fleet(6);
        ASSERT_TRUE(fleet);
        const ProgramResult run = Cli(Upgrade({"--parallel", std::to_string(parallel)}));
        EXPECT_EQ(run.exitCode, 0) << run.err;
        // Slow logins (a sanitizer build) may keep fewer in flight, never more.
        EXPECT_LE(fleet->Sessions().UpgradesPeak(), static_cast<uint32_t>(parallel));
        EXPECT_GE(fleet->Sessions().UpgradesPeak(), 1u);
    }
}

TEST_F(FleetCli, AfterKFailuresTheRestIsNotStartedAndJournalled) {
    auto fleet = Fleet(5, R"("loginError": 1)", 2);
    ASSERT_TRUE(fleet);
    const ProgramResult run =
        Cli({"sync-time", "--all", "--stop-after-failures", "2", "--journal", journal_, "--json"});
    EXPECT_EQ(run.exitCode, 1);
    const nlohmann::json report = nlohmann::json::parse(run.out, nullptr, false);
    EXPECT_EQ(report["fail"], 2);
    EXPECT_EQ(report["notStarted"], 3);
    const std::vector<nlohmann::json> lines = JournalLines(journal_);
    ASSERT_EQ(lines.size(), 5u);
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto device = fleet->Devices().At(i).Snapshot();
        EXPECT_EQ(lines[i]["result"], i < 2 ? "failed" : "not started") << i;
        EXPECT_EQ(lines[i]["ip"], device.address);
        EXPECT_EQ(lines[i]["mac"], devsim::MacText(fleet->Devices().At(i).Mac()));
        EXPECT_EQ(lines[i]["command"], "sync-time");
        EXPECT_EQ(lines[i]["time"].get<std::string>().size(), 19u);
    }
}

TEST_F(FleetCli, AResumeAfterAKillAtARandomPointRepeatsNoSucceededDevice) {
    auto fleet = Fleet(8);
    ASSERT_TRUE(fleet);
    std::mt19937 random(std::random_device{}());
    const int killAfterMs = std::uniform_int_distribution<int>(400, 2400)(random);
    const ProgramResult killed =
        Cli(Upgrade({"--parallel", "2", "--journal", journal_}), killAfterMs);
    SCOPED_TRACE("killed after " + std::to_string(killAfterMs) + " ms");
    std::set<std::string> doneBefore;
    for (const nlohmann::json& line : JournalLines(journal_)) {
        if (line.is_object() && line["result"] == "success") doneBefore.insert(line["ip"]);
    }
    // As a crash mid-line leaves it.
    std::ofstream(journal_, std::ios::app) << R"({"time": "2026-12-08T1)";

    const ProgramResult resumed = Cli(Upgrade({"--parallel", "2", "--resume", journal_}));
    EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
    EXPECT_NE(resumed.err.find("is not a whole record"), std::string::npos) << resumed.err;
    for (size_t i = 0; i < 8; ++i) {
        const auto device = fleet->Devices().At(i).Snapshot();
        if (doneBefore.count(device.address)) {
            EXPECT_EQ(device.session.upgradesDone, 1u) << device.address;
            EXPECT_NE(resumed.out.find("[" + device.address + "] done before"), std::string::npos);
        } else {
            EXPECT_GE(device.session.upgradesDone, 1u) << device.address;
        }
    }
    // Another image is another job.
    TempImage other(64 * 1024, "V4.03.R12.00000002.10001");
    const ProgramResult refused =
        Cli({"upgrade", "--firmware", other.Path(), "--all", "--resume", journal_});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("the journal of another job"), std::string::npos) << refused.err;
}

TEST_F(FleetCli, ADryRunSaysWhatWouldBeDoneAndOpensNoSession) {
    auto fleet = Fleet(3);
    ASSERT_TRUE(fleet);
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string said;
    } cases[] = {
        {Upgrade({"--sync-time", "--dry-run"}), 0,
         "would log in as admin on port 34567, set its clock to this PC's local time, send the "
         "firmware"},
        {{"configure", "--config", image_.Path(), "--mac", "02-00-00-00-00-99", "--dry-run"},
         1,
         "not found by the search: nothing can be done"},
    };
    for (const auto& c : cases) {
        const ProgramResult run = Cli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
        EXPECT_NE(run.out.find(c.said), std::string::npos) << run.out;
    }
    EXPECT_EQ(fleet->Sessions().Accepted(), 0u);
}

TEST_F(FleetCli, LimitListsUpToNRecorders) {
    auto fleet = RunningFleet::Generated(210);
    ASSERT_TRUE(fleet && fleet->Running());
    for (const auto& [limit, listed] : {std::pair{"50", 50u}, {"200", 200u}}) {
        const ProgramResult run = Cli({"search", "--json", "--limit", limit});
        const nlohmann::json report = nlohmann::json::parse(run.out, nullptr, false);
        EXPECT_EQ(report["devices"].size(), listed) << run.err;
    }
}

}  // namespace
}  // namespace tesmara::lan
