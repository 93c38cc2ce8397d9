// `tesmara-cli search` against devsim fleets over real sockets in the test LAN: the search
// workers, the sockets layer and the console view as one program.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <set>

#include "devsim/model/SimDevice.h"
#include "tests/lan/support/ProgramRun.h"
#include "tests/lan/support/RunningFleet.h"
#include "tests/lan/support/TestLanGuard.h"
#include "tests/lan/support/UdpPortHolder.h"

namespace tesmara::lan {
namespace {

struct SearchRun {
    ProgramResult program;
    nlohmann::json report;
    std::vector<std::string> logTexts;
    std::vector<std::string> logColours;
    const nlohmann::json& Devices() const { return report["devices"]; }
    std::set<std::string> Macs() const {
        std::set<std::string> macs;
        for (const auto& d : report["devices"]) macs.insert(d["mac"].get<std::string>());
        return macs;
    }
    const nlohmann::json* Device(const std::string& mac) const {
        for (const auto& d : report["devices"]) {
            if (d["mac"] == mac) return &d;
        }
        return nullptr;
    }
};

class SearchCli : public LanTest {
  protected:
    std::unique_ptr<RunningFleet> Fleet(const std::string& json) {
        std::string error;
        auto fleet = RunningFleet::FromJson(json, &error);
        EXPECT_TRUE(fleet) << error;
        if (fleet) {
            EXPECT_TRUE(fleet->Running()) << fleet->Error();
        }
        return fleet;
    }

    SearchRun Search(std::vector<std::string> extra = {}) {
        std::vector<std::string> argv{CliPath(), "search", "--json"};
        argv.insert(argv.end(), extra.begin(), extra.end());
        SearchRun run;
        run.program = RunProgram(argv, 30000);
        EXPECT_TRUE(run.program.started);
        EXPECT_FALSE(run.program.timedOut);
        run.report = nlohmann::json::parse(run.program.out, nullptr, false);
        EXPECT_TRUE(run.report.is_object()) << run.program.out << run.program.err;
        if (!run.report.is_object()) run.report = {{"ok", false}, {"log", {}}, {"devices", {}}};
        for (const auto& line : run.report["log"]) {
            run.logTexts.push_back(line["text"]);
            run.logColours.push_back(line["colour"]);
        }
        return run;
    }
};

using Texts = std::vector<std::string>;

TEST_F(SearchCli, WithNoRecorderTheSearchRunsBothPhasesAndListsNothing) {
    auto fleet = Fleet(R"({})");
    SearchRun run = Search();
    EXPECT_EQ(run.program.exitCode, 0);
    EXPECT_EQ(run.logTexts, (Texts{"Searching...", "Search completed!"}));
    EXPECT_EQ(run.logColours, (Texts{"white", "green"}));
    EXPECT_TRUE(run.Devices().empty());
    // One line with the usual causes, for the operator rather than the script.
    EXPECT_NE(run.program.err.find("UDP port 5001"), std::string::npos) << run.program.err;
    // Two 3-second phases that nothing can end early.
    EXPECT_GE(run.program.wallSeconds, 5.9);
    EXPECT_LT(run.program.wallSeconds, 10.0);
    // The basic request goes out at the start and about every 500 ms, then the detail one.
    auto stats = fleet->Responder().Stats();
    EXPECT_GE(stats.basicSearches, 5u);
    EXPECT_LE(stats.basicSearches, 7u);
    EXPECT_GE(stats.detailSearches, 5u);
    EXPECT_LE(stats.detailSearches, 7u);
    EXPECT_EQ(stats.received, stats.basicSearches + stats.detailSearches);
}

TEST_F(SearchCli, OneRecorderIsListedWithEveryField) {
    // The description is "设备-01" in code page 936; the release time fills its slot exactly.
    auto fleet = Fleet(R"({"devices": [{
        "mac": "00-1A-2B-3C-4D-5E", "address": "172.20.3.4", "tcpPort": 34599, "httpPort": 8081,
        "description": "\\xC9\\xE8\\xB1\\xB8-01", "cloudId": "QX0102030405",
        "releaseVersion": "V4.02.R11", "releaseTime": "0123456789abcdef0123456789abcdef",
        "deviceTime": "2026-12-07 10:11:12", "startTime": "2026-12-01 00:00:01"}]})");
    SearchRun run = Search();
    EXPECT_EQ(run.program.exitCode, 0);
    ASSERT_EQ(run.Devices().size(), 1u);
    const auto& d = run.Devices()[0];
    EXPECT_EQ(d["no"], "1");
    EXPECT_EQ(d["mac"], "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(d["ip"], "172.20.3.4");
    EXPECT_EQ(d["mask"], "255.255.0.0");
    EXPECT_EQ(d["gateway"], "172.20.3.1");
    EXPECT_EQ(d["tcpPort"], 34599);
    EXPECT_EQ(d["httpPort"], 8081);
    EXPECT_EQ(d["upgradeStatus"], "-- --");
    EXPECT_EQ(d["description"], "设备-01");
    EXPECT_EQ(d["cloudId"], "QX0102030405");
    EXPECT_EQ(d["releaseVersion"], "V4.02.R11");
    EXPECT_EQ(d["releaseTime"], "0123456789abcdef0123456789abcdef");
    EXPECT_EQ(d["deviceTime"], "2026-12-07 10:11:12");
    EXPECT_EQ(d["startTime"], "2026-12-01 00:00:01");
    EXPECT_EQ(d["checked"], false);
}

TEST_F(SearchCli, FiftyRecordersAreAllListedOnce) {
    auto fleet = RunningFleet::Generated(50, 5);
    ASSERT_TRUE(fleet->Running()) << fleet->Error();
    SearchRun run = Search();
    EXPECT_EQ(run.program.exitCode, 0);
    ASSERT_EQ(run.Devices().size(), 50u);
    EXPECT_EQ(run.Macs().size(), 50u);
    for (size_t i = 0; i < 50; ++i) {
        EXPECT_EQ(run.Devices()[i]["no"], std::to_string(i + 1));
        // Every row got its details from the detail pass.
        EXPECT_NE(run.Devices()[i]["description"], "-- --");
    }
}

TEST_F(SearchCli, FiftyRecordersThatTakeTheirAddressesAreAllListedAmongThousands) {
    // The fifty confirmations queue behind the basic replies of every other recorder.
    auto fleet = RunningFleet::Generated(2000, 7);
    ASSERT_TRUE(fleet->Running()) << fleet->Error();
    SearchRun run = Search({"--assign", "192.168.1.11"});
    EXPECT_EQ(run.program.exitCode, 0);
    EXPECT_EQ(run.Devices().size(), 50u);
    EXPECT_EQ(run.Macs().size(), 50u);
    EXPECT_TRUE(run.program.err.empty()) << run.program.err;
}

TEST_F(SearchCli, SixtyRecordersAreCutToFiftyRows) {
    auto fleet = RunningFleet::Generated(60, 6);
    ASSERT_TRUE(fleet->Running()) << fleet->Error();
    std::set<std::string> fleetMacs;
    for (size_t i = 0; i < fleet->Devices().Size(); ++i) {
        fleetMacs.insert(devsim::MacText(fleet->Devices().At(i).Mac()));
    }
    SearchRun run = Search();
    EXPECT_EQ(run.program.exitCode, 0);
    EXPECT_EQ(run.Devices().size(), 50u);
    auto macs = run.Macs();
    EXPECT_EQ(macs.size(), 50u);
    for (const auto& mac : macs) EXPECT_TRUE(fleetMacs.count(mac)) << mac;
    // Each phase ends at its 50th new device instead of running its 3 seconds.
    EXPECT_LT(run.program.wallSeconds, 5.0);
}

TEST_F(SearchCli, DuplicateLateAndPartialAnswersAreHandled) {
    auto fleet = Fleet(R"({"devices": [
        {"mac": "00-00-00-00-00-01", "duplicateReplies": 4},
        {"mac": "00-00-00-00-00-02", "replyDelayMs": 2300},
        {"mac": "00-00-00-00-00-03", "replyDelayMs": 3400},
        {"mac": "00-00-00-00-00-04", "ignoreDetailSearch": true},
        {"mac": "00-00-00-00-00-05", "ignoreBasicSearch": true},
        {"mac": "00-00-00-00-00-06", "online": false}
    ]})");
    SearchRun run = Search();
    EXPECT_EQ(run.program.exitCode, 0);
    // Listed once despite five copies; late but inside the phase; basic only. A reply after its
    // phase, a device heard only in the detail pass and a silent one are not listed.
    EXPECT_EQ(run.Macs(), (std::set<std::string>{"00-00-00-00-00-01", "00-00-00-00-00-02",
                                                 "00-00-00-00-00-04"}));
    EXPECT_EQ(run.Devices().size(), 3u);
    ASSERT_TRUE(run.Device("00-00-00-00-00-02"));
    EXPECT_NE((*run.Device("00-00-00-00-00-02"))["description"], "-- --");
    ASSERT_TRUE(run.Device("00-00-00-00-00-04"));
    for (const char* column :
         {"description", "cloudId", "releaseVersion", "releaseTime", "deviceTime", "startTime"}) {
        EXPECT_EQ((*run.Device("00-00-00-00-00-04"))[column], "-- --") << column;
    }
}

TEST_F(SearchCli, MalformedRepliesAreDroppedAndLowerCaseMagicAccepted) {
    auto fleet = Fleet(R"({"devices": [
        {"mac": "00-00-00-00-00-01"},
        {"mac": "00-00-00-00-00-02", "hostile": "wrong-length"},
        {"mac": "00-00-00-00-00-03", "hostile": "lower-case-magic"},
        {"mac": "00-00-00-00-00-04", "hostile": "wrong-version"},
        {"mac": "00-00-00-00-00-05", "hostile": "garbage"}
    ]})");
    SearchRun run = Search();
    EXPECT_EQ(run.program.exitCode, 0);
    EXPECT_EQ(run.Macs(), (std::set<std::string>{"00-00-00-00-00-01", "00-00-00-00-00-03",
                                                 "00-00-00-00-00-04"}));
    ASSERT_TRUE(run.Device("00-00-00-00-00-03"));
    EXPECT_NE((*run.Device("00-00-00-00-00-03"))["description"], "-- --");
    // Its detail replies carry the wrong version bytes, so only the basic reply counts.
    ASSERT_TRUE(run.Device("00-00-00-00-00-04"));
    EXPECT_EQ((*run.Device("00-00-00-00-00-04"))["description"], "-- --");
}

TEST_F(SearchCli, AssignModeGivesAddressesAndListsOnlyConfirmedRecorders) {
    auto fleet = Fleet(R"({"devices": [
        {"mac": "00-00-00-00-00-01", "address": "192.168.5.1"},
        {"mac": "00-00-00-00-00-02", "address": "192.168.5.2", "ignoreAssign": true},
        {"mac": "00-00-00-00-00-03", "address": "192.168.5.3"}
    ]})");
    SearchRun run = Search({"--assign", "192.168.1.11"});
    EXPECT_EQ(run.program.exitCode, 0);
    EXPECT_EQ(run.logTexts, (Texts{"正在搜索设备...", "搜索设备完成!"}));
    EXPECT_EQ(run.Macs(), (std::set<std::string>{"00-00-00-00-00-01", "00-00-00-00-00-03"}));
    // Search phase, then the assignment phase.
    EXPECT_GE(run.program.wallSeconds, 5.9);

    // Devices are numbered in the order first heard (devsim answers in fleet order), so the
    // planned addresses are .11, .12, .13; the silent one never took .12.
    std::set<std::string> shown;
    for (const auto& d : run.Devices()) shown.insert(d["ip"].get<std::string>());
    EXPECT_EQ(shown, (std::set<std::string>{"192.168.1.11", "192.168.1.13"}));
    auto state1 = fleet->Devices().At(0).Snapshot();
    EXPECT_EQ(state1.address, "192.168.1.11");
    EXPECT_EQ(state1.gateway, "192.168.1.1");
    EXPECT_EQ(state1.mask, "255.255.255.0");
    EXPECT_EQ(fleet->Devices().At(1).Snapshot().address, "192.168.5.2");
    EXPECT_EQ(fleet->Devices().At(2).Snapshot().address, "192.168.1.13");

    // A plain search afterwards finds them at their new addresses.
    SearchRun after = Search();
    ASSERT_TRUE(after.Device("00-00-00-00-00-03"));
    EXPECT_EQ((*after.Device("00-00-00-00-00-03"))["ip"], "192.168.1.13");
}

TEST_F(SearchCli, AssignModeFailsWhenRecordersAnsweredButNoneTookAnAddress) {
    auto fleet = Fleet(R"({"devices": [{"address": "192.168.5.2", "ignoreAssign": true}]})");
    SearchRun run = Search({"--assign", "192.168.1.11"});
    EXPECT_EQ(run.program.exitCode, 1) << run.program.err;
    EXPECT_FALSE(run.report["ok"].get<bool>());
    EXPECT_TRUE(run.Devices().empty());
}

TEST_F(SearchCli, AssignModeWithNoRecorderEndsAfterTheSearchPhase) {
    auto fleet = Fleet(R"({})");
    SearchRun run = Search({"--assign", "192.168.1.11"});
    EXPECT_EQ(run.program.exitCode, 0);
    EXPECT_EQ(run.logTexts, (Texts{"正在搜索设备...", "搜索设备完成!"}));
    EXPECT_TRUE(run.Devices().empty());
    EXPECT_GE(run.program.wallSeconds, 2.9);
    EXPECT_LT(run.program.wallSeconds, 5.0);
    EXPECT_EQ(fleet->Responder().Stats().assigns, 0u);
}

TEST_F(SearchCli, ReplyPortHeldByAnotherProgramFailsWithErrMinus6AndEndsCleanly) {
    auto fleet = RunningFleet::Generated(3);
    ASSERT_TRUE(fleet->Running()) << fleet->Error();
    UdpPortHolder holder(5001);
    ASSERT_TRUE(holder.Holding());

    SearchRun run = Search();
    EXPECT_EQ(run.program.exitCode, 1);
    EXPECT_EQ(run.logTexts, (Texts{"Searching...", "Search failed!Err = -6"}));
    EXPECT_EQ(run.logColours, (Texts{"white", "red"}));
    EXPECT_TRUE(run.Devices().empty());
    EXPECT_LT(run.program.wallSeconds, 2.0);
    EXPECT_EQ(fleet->Responder().Stats().received, 0u) << "nothing may be sent";

    SearchRun assign = Search({"--assign", "192.168.1.11"});
    EXPECT_EQ(assign.logTexts, (Texts{"正在搜索设备...", "搜索设备失败!Err = -6"}));
    EXPECT_TRUE(assign.Devices().empty());
}

}  // namespace
}  // namespace tesmara::lan
