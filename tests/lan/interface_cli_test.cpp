// `tesmara-cli search --interface` in the test LAN's two segments: a recorder bound to tlan3
// hears only what left by tlan2 (10.251.0.1), and an address no adapter has sends nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devsim/model/FleetBuilder.h"
#include "devsim/model/SimDevice.h"
#include "tests/lan/support/ProgramRun.h"
#include "tests/lan/support/RunningFleet.h"
#include "tests/lan/support/TestLanGuard.h"

namespace tesmara::lan {
namespace {

struct InterfaceCase {
    const char* address;
    int exitCode;
    bool findsSecondSegment;
};

constexpr InterfaceCase kCases[] = {
    {"10.251.0.1", 0, true},
    {"10.250.0.1", 0, false},
    {"10.99.0.1", 2, false},  // AnyIP-local in the test LAN, but no adapter's own
    {"10.251.0", 2, false},
};

using InterfaceCli = LanTest;

TEST_F(InterfaceCli, TheSearchLeavesByTheNamedAdapterOnly) {
    devsim::Fleet second;
    devsim::GenerateOptions generate;
    generate.count = 1;
    generate.baseAddress = "192.168.77.10";
    generate.seed = 9;
    devsim::GenerateDevices(second, generate);
    const std::string mac = devsim::MacText(second.At(0).Mac());
    devsim::ResponderOptions onTlan3;
    onTlan3.device = "tlan3";
    RunningFleet secondSegment(std::move(second), onTlan3);
    ASSERT_TRUE(secondSegment.Running()) << secondSegment.Error();
    // Bound to no device, it hears every search sent, whichever adapter it left by.
    auto anywhere = RunningFleet::Generated(1);
    ASSERT_TRUE(anywhere->Running()) << anywhere->Error();

    for (const InterfaceCase& c : kCases) {
        SCOPED_TRACE(c.address);
        const uint64_t heardBefore = anywhere->Responder().Stats().received;
        ProgramResult run = RunProgram({CliPath(), "search", "--interface", c.address});
        EXPECT_EQ(c.exitCode, run.exitCode) << run.err;
        EXPECT_EQ(c.findsSecondSegment, run.out.find(mac) != std::string::npos) << run.out;
        if (c.exitCode == 2) {
            EXPECT_EQ(heardBefore, anywhere->Responder().Stats().received);
            EXPECT_NE(run.err.find("--interface"), std::string::npos) << run.err;
        }
    }
}

}  // namespace
}  // namespace tesmara::lan
