// The mask table, the gateway rule and the start-address plan.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "addressing/AddressPlanning.h"
#include "app/MainDialogState.h"

namespace tesmara {
namespace {

TEST(MaskForAddress, PrivateRangesInclusiveAndTheirBroadcastsExcluded) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"10.0.0.5", "255.0.0.0"},        {"10.0.0.0", "255.0.0.0"},
        {"10.255.255.254", "255.0.0.0"},  {"10.255.255.255", std::nullopt},
        {"172.16.0.1", "255.255.0.0"},    {"172.31.255.254", "255.255.0.0"},
        {"172.20.3.4", "255.255.0.0"},    {"172.15.255.255", std::nullopt},
        {"172.32.0.0", std::nullopt},     {"192.168.3.7", "255.255.255.0"},
        {"192.168.0.0", "255.255.255.0"}, {"192.168.255.255", std::nullopt},
        {"192.169.0.1", std::nullopt},    {"8.8.8.8", std::nullopt},
        {"not an address", std::nullopt}, {"", std::nullopt},
    };
    for (const auto& [address, mask] : cases) EXPECT_EQ(mask, MaskForAddress(address)) << address;
}

TEST(GatewayForAddress, ReplacesTheLastNumberWithOne) {
    EXPECT_EQ("172.20.3.1", GatewayForAddress("172.20.3.4"));
    EXPECT_EQ("8.8.8.1", GatewayForAddress("8.8.8.8"));
    EXPECT_EQ("192.168.1.1", GatewayForAddress("192.168.1.11"));
    EXPECT_EQ("nodot.1", GatewayForAddress("nodot"));
    EXPECT_EQ("1.2.3.1", GatewayForAddress("1.2.3."));
}

TEST(AddressPlan, HandsOutConsecutiveHostsWithTheStartAddressGatewayAndMask) {
    AddressPlan plan;
    MakeAddressPlan(plan, "192.168.5.100");
    EXPECT_EQ("192.168.5.100", plan.startAddressText);
    EXPECT_EQ("192.168.5", plan.hostPrefixText);
    EXPECT_EQ("100", plan.startHostText);
    EXPECT_EQ("192.168.5.1", plan.gatewayText);
    EXPECT_EQ("255.255.255.0", plan.maskText);
    EXPECT_EQ("192.168.5.100", PlannedAddress(plan, 0));
    EXPECT_EQ("192.168.5.101", PlannedAddress(plan, 1));
    EXPECT_EQ("192.168.5.149", PlannedAddress(plan, 49));

    MakeAddressPlan(plan, "192.168.1.11");
    EXPECT_EQ("192.168.1.11", PlannedAddress(plan, 0));
    EXPECT_EQ("192.168.1.13", PlannedAddress(plan, 2));
}

TEST(AddressPlan, StartOutsideThePrivateRangesKeepsThePreviousMask) {
    AddressPlan plan;
    MakeAddressPlan(plan, "8.8.8.8");
    EXPECT_EQ("", plan.maskText);
    EXPECT_EQ("8.8.8.1", plan.gatewayText);
    MakeAddressPlan(plan, "172.16.9.9");
    MakeAddressPlan(plan, "8.8.8.8");
    EXPECT_EQ("255.255.0.0", plan.maskText);
}

TEST(AddressPlan, NeverHandsOutHostsPast254) {
    AddressPlan plan;
    MakeAddressPlan(plan, "192.168.1.250");
    EXPECT_EQ("192.168.1.254", PlannedAddress(plan, 4));
    EXPECT_EQ(std::nullopt, PlannedAddress(plan, 5));  // would be the broadcast address
    EXPECT_EQ(std::nullopt, PlannedAddress(plan, 49));

    MakeAddressPlan(plan, "192.168.1.255");
    EXPECT_EQ(std::nullopt, PlannedAddress(plan, 0));
    MakeAddressPlan(plan, "192.168.1.99999999999999");
    EXPECT_EQ(std::nullopt, PlannedAddress(plan, 0));
    EXPECT_EQ(std::nullopt, PlannedAddress(plan, 0xFFFFFFFFu));
}

TEST(AddressPlan, NeverHandsOutTheGateway) {
    AddressPlan plan;
    MakeAddressPlan(plan, "10.4.4.1");
    EXPECT_EQ("10.4.4.1", plan.gatewayText);
    EXPECT_EQ("10.4.4.2", PlannedAddress(plan, 0));
    EXPECT_EQ("10.4.4.254", PlannedAddress(plan, 252));
    EXPECT_EQ(std::nullopt, PlannedAddress(plan, 253));
}

TEST(AddressPlan, StartHostReadsLeadingDigitsOnly) {
    AddressPlan plan;
    MakeAddressPlan(plan, "192.168.1.12x");
    EXPECT_EQ("192.168.1.13", PlannedAddress(plan, 1));
    MakeAddressPlan(plan, "192.168.1.x");
    EXPECT_EQ("192.168.1.0", PlannedAddress(plan, 0));
}

}  // namespace
}  // namespace tesmara
