// Addresses from outside (a command line, a hidden control) are checked before any is used.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "netcfg/StartAddress.h"
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

}  // namespace
}  // namespace tesmara
