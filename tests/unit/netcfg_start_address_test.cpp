// Addresses from outside (a command line, a hidden control) are checked before any is used.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "addressing/StartAddress.h"
#include "platform/AddressText.h"

namespace tesmara {
namespace {

TEST(ParseDottedAddress, TakesExactlyFourDecimalNumbersUpTo255) {
    const std::pair<const char*, uint32_t> accepted[] = {
        {"0.0.0.0", 0},
        {"192.168.1.11", 0xC0A8010B},
        {"255.255.255.255", 0xFFFFFFFF},
        {"10.0.0.9", 0x0A000009},
    };
    for (const auto& [text, expected] : accepted) {
        uint32_t address = 1;
        EXPECT_TRUE(ParseDottedAddress(text, address)) << text;
        EXPECT_EQ(expected, address) << text;
    }
    const char* refused[] = {
        "notanip",  "300.1.1.1", "",           "192.168.1",  "1.2.3.4.5", " 1.2.3.4",
        "1.2.3.4 ", "01x.1.1.1", "010.1.1.1",  "1.2.3.256",  "1..3.4",    "1.2.3.",
        "-1.2.3.4", "+1.2.3.4",  "0x7f.0.0.1", "1234.1.1.1", "1.2.3.4\n", "1.2.3.1000",
    };
    for (const char* text : refused) {
        uint32_t address = 7;
        EXPECT_FALSE(ParseDottedAddress(text, address)) << '"' << text << '"';
        EXPECT_EQ(7u, address) << text;
    }
}

TEST(ValidateStartAddress, RefusesWhatWouldHandOutAnEmptyMaskOrANetworkAddress) {
    const std::pair<const char*, const char*> cases[] = {
        {"192.168.1.11", nullptr},
        {"172.20.0.1", nullptr},
        {"10.1.2.254", nullptr},
        {"8.8.8.8", "outside the private ranges"},
        {"192.168.255.255", "outside"},
        {"192.168.1.0", "ends in 0"},
        {"10.0.0.0", "ends in 0"},
        {"192.168.1", "not an IPv4 address"},
        {"notanip", "not an IPv4 address"},
    };
    for (const auto& [text, complaint] : cases) {
        std::string reason;
        EXPECT_EQ(complaint == nullptr, ValidateStartAddress(text, reason)) << text;
        if (complaint) {
            EXPECT_NE(std::string::npos, reason.find(complaint)) << reason;
            EXPECT_NE(std::string::npos, reason.find(text)) << reason;
        }
    }
}

TEST(CheckNetworkSettings, TakesOnlyAHostItsMaskAndAGatewayOfTheSameSubnet) {
    struct Case {
        const char *address, *mask, *gateway, *complaint;
    };
    const Case cases[] = {
        {"192.168.1.20", "255.255.255.0", "192.168.1.1", nullptr},
        {"10.9.8.7", "255.0.0.0", "10.0.0.1", nullptr},
        {"172.16.5.9", "255.255.255.252", "172.16.5.10", nullptr},
        {"010.001.001.030", "255.0.0.0", "10.1.1.1", "\"010.001.001.030\" is not an IPv4"},
        {"10.1.1.30", "255.0.0.0", "10.01.1.1", "\"10.01.1.1\" is not an IPv4"},
        {"0.0.0.0", "255.0.0.0", "0.0.0.1", "\"0.0.0.0\" is not a host"},
        {"255.255.255.255", "255.255.255.0", "255.255.255.1", "is not a host"},
        {"224.0.0.5", "255.255.255.0", "224.0.0.1", "is not a host"},
        {"127.0.0.5", "255.0.0.0", "127.0.0.1", "is not a host"},
        {"192.168.1.0", "255.255.255.0", "192.168.1.1", "network's own address"},
        {"192.168.1.255", "255.255.255.0", "192.168.1.1", "\"192.168.1.255\" is the broadcast"},
        {"192.168.1.20", "255.255.255.0", "192.168.1.255", "\"192.168.1.255\" is the broadcast"},
        {"192.168.1.20", "255.0.255.0", "192.168.1.1", "\"255.0.255.0\" is not a subnet mask"},
        {"192.168.1.20", "0.0.0.0", "192.168.1.1", "not a subnet mask"},
        {"192.168.1.20", "255.255.255.254", "192.168.1.21", "not a subnet mask"},
        {"192.168.1.20", "255.255.255.0", "192.168.2.1", "\"192.168.2.1\" is outside the subnet"},
        {"192.168.1.1", "255.255.255.0", "192.168.1.1", "is the address itself"},
    };
    for (const Case& c : cases) {
        NetworkSettings settings;
        const std::string reason = CheckNetworkSettings(c.address, c.mask, c.gateway, settings);
        EXPECT_EQ(c.complaint == nullptr, reason.empty()) << c.address << " " << reason;
        EXPECT_NE(std::string::npos, reason.find(c.complaint ? c.complaint : "")) << reason;
    }
}

}  // namespace
}  // namespace tesmara
