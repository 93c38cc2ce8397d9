// tesmara-cli set-address, set-ports and set-password against devsim recorders in the test LAN.
#include <gtest/gtest.h>

#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "devaccess/QuornDeviceAccess.h"
#include "devsim/session/SessionServer.h"
#include "tests/lan/support/ProgramRun.h"
#include "tests/lan/support/RunningFleet.h"
#include "tests/lan/support/TestLanGuard.h"

namespace tesmara::lan {
namespace {

class PanelCli : public LanTest {
  protected:
    void Start(const std::string& json) {
        std::string error;
        fleet = RunningFleet::FromJson(json, &error);
        ASSERT_TRUE(fleet) << error;
        ASSERT_TRUE(fleet->Running()) << fleet->Error();
        sessions = std::make_unique<devsim::SessionServer>(fleet->Devices());
        ASSERT_TRUE(sessions->Start(&error)) << error;
        access.DevInit(nullptr, nullptr);
    }
    void TearDown() override {
        if (sessions) sessions->Stop();
        for (const auto& file : files) std::remove(file.c_str());
    }
    ProgramResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), CliPath());
        ProgramResult result = RunProgram(args, 30000);
        EXPECT_TRUE(result.started);
        return result;
    }
    std::string PasswordFile(const std::string& password) {
        std::string path =
            "/tmp/tesmara-pw-" + std::to_string(getpid()) + "-" + std::to_string(files.size());
        std::ofstream(path) << password << "\n";
        files.push_back(path);
        return path;
    }
    bool LogsIn(const std::string& address, uint16_t port, const char* user, const char* password,
                int ms) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        do {
            DeviceInfo info{};
            int32_t error = 0;
            if (int32_t login =
                    access.DevLogin(address.c_str(), port, user, password, &info, &error)) {
                access.DevLogout(login);
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        } while (std::chrono::steady_clock::now() < until);
        return false;
    }

    std::unique_ptr<RunningFleet> fleet;
    std::unique_ptr<devsim::SessionServer> sessions;
    QuornDeviceAccess access;
    std::vector<std::string> files;
};

TEST_F(PanelCli, SetAddressMovesTheRecorderWithAProposedMaskAndGateway) {
    Start(R"({"devices": [{"mac": "00-1A-2B-3C-4D-5E", "address": "192.168.1.20"}]})");
    ProgramResult run = Cli({"set-address", "--mac", "00:1a:2b:3c:4d:5e", "--ip", "10.9.8.7"});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("[green] [00-1A-2B-3C-4D-5E] modify IP address to [10.9.8.7] "
                           "successfully!"),
              std::string::npos)
        << run.out;
    // The recorder takes the datagram on its own thread after the command has sent it and ended.
    auto state = fleet->Devices().At(0).Snapshot();
    for (int i = 0; i < 40 && state.address != "10.9.8.7"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        state = fleet->Devices().At(0).Snapshot();
    }
    EXPECT_EQ(state.address, "10.9.8.7");
    EXPECT_EQ(state.mask, "255.0.0.0");
    EXPECT_EQ(state.gateway, "10.9.8.1");
    EXPECT_TRUE(LogsIn("10.9.8.7", state.tcpPort, "admin", "", 2000));

    run = Cli({"set-address", "--mac", "00-1A-2B-3C-4D-99", "--ip", "10.9.8.8"});
    EXPECT_EQ(run.exitCode, 1) << "a recorder that does not answer";
    EXPECT_EQ(Cli({"set-address", "--mac", "--:--", "--ip", "10.9.8.8"}).exitCode, 2);
}

TEST_F(PanelCli, SetPortsRestartsTheRecorderOnItsNewPort) {
    Start(R"({"devices": [{"address": "192.168.9.40", "tcpPort": 34567, "httpPort": 80,
                           "rebootOfflineMs": 300}]})");
    ProgramResult run =
        Cli({"set-ports", "--ip", "192.168.9.40", "--http", "8088", "--tcp", "35001"});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(LogsIn("192.168.9.40", 35001, "admin", "", 5000));
    EXPECT_EQ(
        Cli({"set-ports", "--ip", "192.168.9.40", "--port", "35001", "--http", "80", "--tcp", "80"})
            .exitCode,
        1)
        << "equal ports";
}

TEST_F(PanelCli, SetPasswordTakesThePasswordsFromFiles) {
    Start(R"({"devices": [{"address": "192.168.9.50",
        "users": [{"name": "admin", "password": ""}, {"name": "viewer", "password": "old-pw"}]}]})");
    ProgramResult run =
        Cli({"set-password", "--ip", "192.168.9.50", "--account", "viewer", "--old-password-file",
             PasswordFile("old-pw"), "--new-password-file", PasswordFile("new-pw")});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_FALSE(LogsIn("192.168.9.50", 34567, "viewer", "old-pw", 0));
    EXPECT_TRUE(LogsIn("192.168.9.50", 34567, "viewer", "new-pw", 0));
    // Set exactly as given, blanks and all; one that does not fit the device's field is refused.
    const std::string longer = std::string(70, 'p') + "  ";
    run = Cli({"set-password", "--ip", "192.168.9.50", "--account", "viewer", "--old-password-file",
               PasswordFile("new-pw"), "--new-password-file", PasswordFile(longer)});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    // Checked from another process: this one holds the salt of the password it saw last.
    run = Cli({"add", "--device", "192.168.9.50", "--user", "viewer", "--password-file",
               PasswordFile(longer)});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    run = Cli({"set-password", "--ip", "192.168.9.50", "--account", "viewer", "--old-password-file",
               PasswordFile(longer), "--new-password-file", PasswordFile(std::string(96, 'q'))});
    EXPECT_EQ(run.exitCode, 2) << run.out << run.err;
    run = Cli({"set-password", "--ip", "192.168.9.50", "--account", "viewer", "--old-password-file",
               PasswordFile(longer), "--new-password-file", PasswordFile("p\xE4ss")});
    EXPECT_EQ(run.exitCode, 2) << "not UTF-8: " << run.out << run.err;
    // No terminal to ask on and no file: a usage error, nothing sent.
    EXPECT_EQ(Cli({"set-password", "--ip", "192.168.9.50", "--account", "viewer"}).exitCode, 2);
}

}  // namespace
}  // namespace tesmara::lan
