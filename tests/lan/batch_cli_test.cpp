// tesmara-cli's batch commands against devsim fleets over real sockets in the test LAN: the
// search, the batch workers, the progress handlers and the library as one program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/lan/support/ProgramRun.h"
#include "tests/lan/support/RunningFleet.h"
#include "tests/lan/support/SessionFleet.h"
#include "tests/lan/support/TestLanGuard.h"

namespace tesmara::lan {
namespace {

using Texts = std::vector<std::string>;

constexpr char kOldVersion[] = "V4.02.R11.34531117.10001";
constexpr char kNewVersion[] = "V4.03.R12.00000001.10001";

struct BatchRun {
    ProgramResult program;
    nlohmann::json report;
    Texts csv;  // lines of --report, without line ends
    const nlohmann::json* Device(const std::string& ip) const {
        for (const auto& d : report["devices"]) {
            if (d["ip"] == ip) return &d;
        }
        return nullptr;
    }
    bool Logged(const std::string& colour, const std::string& text) const {
        for (const auto& line : report["log"]) {
            if (line["colour"] == colour && line["text"] == text) return true;
        }
        return false;
    }
};

class BatchCli : public LanTest {
  protected:
    void SetUp() override {
        LanTest::SetUp();
        setenv("TESMARA_PASSWORD", "", 1);  // devsim's admin has no password
    }

    // Recorders from 192.168.1.100 on, each with `entries[i]` over quick restarts.
    std::unique_ptr<RunningFleet> Fleet(const std::vector<std::string>& entries) {
        std::string devices;
        for (const std::string& entry : entries) {
            devices += (devices.empty() ? "" : ",") + std::string("{") + entry + "}";
        }
        std::string error;
        auto fleet = RunningFleet::FromJson(
            R"({"defaults": {"writingMs": 200, "rebootOfflineMs": 500}, "devices": [)" + devices +
                "]}",
            &error);
        EXPECT_TRUE(fleet) << error;
        if (!fleet) return nullptr;
        EXPECT_TRUE(fleet->Running() && fleet->ServeSessions()) << fleet->Error();
        return fleet;
    }

    BatchRun Run(std::vector<std::string> args) {
        std::vector<std::string> argv{CliPath()};
        argv.insert(argv.end(), args.begin(), args.end());
        argv.insert(argv.end(), {"--json", "--report", report_});
        BatchRun run;
        run.program = RunProgram(argv, 90000);
        EXPECT_FALSE(run.program.timedOut);
        run.report = nlohmann::json::parse(run.program.out, nullptr, false);
        EXPECT_TRUE(run.report.is_object()) << run.program.out << run.program.err;
        std::ifstream file(report_);
        for (std::string line; std::getline(file, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            run.csv.push_back(line);
        }
        return run;
    }

    std::string Ip(RunningFleet& fleet, size_t i) {
        return fleet.Devices().At(i).Snapshot().address;
    }

    TempImage image_{64 * 1024, kNewVersion};
    std::string report_ = ::testing::TempDir() + "batch_report.csv";
};

TEST_F(BatchCli, UpgradeOfThreeRecordersSucceedsWithOneReportRowEach) {
    auto fleet = Fleet({"", "", ""});
    ASSERT_TRUE(fleet);
    BatchRun run = Run({"upgrade", "--firmware", image_.Path(), "--all"});
    EXPECT_EQ(run.program.exitCode, 0) << run.program.err;
    EXPECT_EQ(run.report["total"], 3);
    EXPECT_EQ(run.report["success"], 3);
    EXPECT_EQ(run.report["fail"], 0);
    EXPECT_EQ(run.report["completions"], nlohmann::json({"Operate completed!"}));
    EXPECT_GT(run.report["progressMessages"].get<int>(), 3);
    ASSERT_EQ(run.csv.size(), 4u);
    EXPECT_EQ(run.csv[0], "mac,ip,version_before,result,cause,last_line,seconds");
    for (size_t i = 0; i < 3; ++i) {
        const std::string ip = Ip(*fleet, i);
        const std::string done = "[" + ip + "] upgrade successfully!";
        EXPECT_TRUE(run.Logged("white", "[" + ip + "] is upgrading...")) << ip;
        EXPECT_TRUE(run.Logged("green", done)) << ip;
        EXPECT_EQ(fleet->Devices().At(i).Snapshot().session.upgradesDone, 1u);
        const std::string mac = devsim::MacText(fleet->Devices().At(i).Mac());
        const std::string prefix = mac + "," + ip + "," + kOldVersion + ",success,," + done + ",";
        EXPECT_EQ(run.csv[i + 1].rfind(prefix, 0), 0u) << run.csv[i + 1];
    }
}

TEST_F(BatchCli, AFaultMixFailsTheFaultyDevicesWithTheirLinesAndExitsOne) {
    auto fleet = Fleet({"", R"("loginError": 1)", R"("dropUpgradeAt": 20000)",
                        R"("model": "QX-DVR-1604")", R"("failClock": true)"});
    ASSERT_TRUE(fleet);
    BatchRun run = Run({"upgrade", "--firmware", image_.Path(), "--sync-time", "--all"});
    EXPECT_EQ(run.program.exitCode, 1);
    EXPECT_EQ(run.report["success"], 1);
    EXPECT_EQ(run.report["fail"], 4);
    EXPECT_EQ(run.report["completions"], nlohmann::json({"Operate completed!"}));
    const struct {
        size_t device;
        std::string line;  // "%s" is the address
        std::string result;
        std::string cause;  // what the library said in the final callback
    } expected[] = {
        {0, "[%s] upgrade successfully!", "success", ""},
        {1, "[%s] login failed! Password error", "failed", ""},
        {2, "[%s] upgrade failed!", "failed", "connection lost (14)"},
        {3, "[%s] upgrade failed!", "failed", "firmware image is for another model (24)"},
        {4, "[%s]同步时间失败！Error = %d", "failed", ""},
    };
    for (const auto& e : expected) {
        const std::string ip = Ip(*fleet, e.device);
        const nlohmann::json* d = run.Device(ip);
        ASSERT_TRUE(d) << ip;
        std::string line = e.line;
        line.replace(line.find("%s"), 2, ip);
        if (size_t n = line.find("%d"); n != std::string::npos) {
            line = line.substr(0, n);  // the library's code follows
        }
        EXPECT_EQ((*d)["lastLine"].get<std::string>().rfind(line, 0), 0u) << (*d)["lastLine"];
        EXPECT_EQ((*d)["result"], e.result) << ip;
        EXPECT_EQ((*d)["cause"], e.cause) << ip;
    }
}

TEST_F(BatchCli, UsageErrorsExitTwoWithOneLineAndSendNothing) {
    auto fleet = Fleet({""});
    ASSERT_TRUE(fleet);
    const TempFile text({'n', 'o'}), big(std::vector<uint8_t>(1024 * 1024 + 1));
    const struct {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{"upgrade", "--firmware", text.Path(), "--all"}, "is not a firmware image"},
        {{"configure", "--config", big.Path(), "--all"}, "\" is too large"},
        {{"upgrade", "--firmware", image_.Path(), "--all", "--password", "x"}, "--password:"},
        {{"upgrade", "--firmware", image_.Path(), "--ip", "192.168.1.100,192.168.1"},
         "\"192.168.1\" is not an IPv4 address"},
        {{"upgrade", "--firmware", image_.Path(), "--mac", "00-1A-2B-3C-4D"}, "--mac"},
        {{"sync-time", "--device", "192.168.1.100:70000"}, "--device"},
        {{"sync-time", "--device", "0x7f.0.0.1"}, "--device"},
        {{"sync-time", "--device", "192.168.1.100", "--device", "192.168.1.100:80"}, "given twice"},
        {{"configure", "--config", "/nonexistent.coi", "--all"}, "--config"},
        {{"upgrade", "--firmware", image_.Path()}, "no devices chosen"},
        {{"upgrade", "--firmware", image_.Path(), "--all", "--ip", "192.168.1.100"}, "--all"},
        {{"upgrade", "--firmware", image_.Path(), "--device", "192.168.1.100", "--verify"},
         "--verify"},
        {{"sync-time", "--all", "--sync-time"}, "--sync-time"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv{CliPath()};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        ProgramResult run = RunProgram(argv, 5000);
        EXPECT_EQ(run.exitCode, 2) << c.says << "\n" << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
    EXPECT_EQ(fleet->Responder().Stats().received, 0u);
    EXPECT_EQ(fleet->Devices().At(0).Snapshot().session.reboots, 0u);
}

TEST_F(BatchCli, VerifyFailsARecorderThatKeptItsVersion) {
    auto fleet = Fleet({"", R"("keepVersion": true)"});
    ASSERT_TRUE(fleet);
    BatchRun run =
        Run({"upgrade", "--firmware", image_.Path(), "--all", "--verify", "--verify-wait", "10"});
    EXPECT_EQ(run.program.exitCode, 1);
    // The run itself counted both as upgraded; only the search afterwards tells them apart.
    EXPECT_EQ(run.report["success"], 2);
    const nlohmann::json* upgraded = run.Device(Ip(*fleet, 0));
    const nlohmann::json* kept = run.Device(Ip(*fleet, 1));
    ASSERT_TRUE(upgraded && kept);
    EXPECT_EQ((*upgraded)["result"], "success");
    EXPECT_EQ((*upgraded)["versionAfter"], kNewVersion);
    EXPECT_EQ((*kept)["result"], "firmware version unchanged");
    EXPECT_EQ((*kept)["versionAfter"], kOldVersion);
    ASSERT_EQ(run.csv.size(), 3u);
    EXPECT_EQ(run.csv[0], "mac,ip,version_before,version_after,result,cause,last_line,seconds");
}

}  // namespace
}  // namespace tesmara::lan
