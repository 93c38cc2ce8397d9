// Fleet files: every number is range-checked and a bad one is named.
#include <gtest/gtest.h>

#include "devsim/model/FleetBuilder.h"

namespace tesmara::devsim {
namespace {

TEST(DevsimFleetNumbers, OutOfRangeOrNotWholeAreRefusedByName) {
    const std::pair<const char*, const char*> refused[] = {
        {R"({"devices": [{"tcpPort": 70000}]})", "tcpPort must be a whole number from 1 to 65535"},
        {R"({"defaults": {"httpPort": -1}})", "httpPort"},
        {R"({"devices": [{"replyDelayMs": 1.5}]})", "replyDelayMs"},
        {R"({"devices": [{"lockAfter": -1}]})", "lockAfter"},
        {R"({"devices": [{"rebootOfflineMs": "5"}]})", "rebootOfflineMs"},
        {R"({"generate": {"count": 18446744073709551615}})", "count"},
        {R"({"generate": {"seed": 4294967296}})", "seed"},
    };
    for (const auto& [json, says] : refused) {
        Fleet fleet;
        std::string error;
        EXPECT_FALSE(LoadFleetJson(json, fleet, &error)) << json;
        EXPECT_NE(std::string::npos, error.find(says)) << error;
    }
    Fleet fleet;
    ASSERT_TRUE(LoadFleetJson(R"({"devices": [{"tcpPort": 65535, "lockAfter": 4294967295}]})",
                              fleet, nullptr));
    EXPECT_EQ(65535, fleet.At(0).Snapshot().tcpPort);
}

}  // namespace
}  // namespace tesmara::devsim
