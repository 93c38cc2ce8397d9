// Real-socket tests broadcast to 255.255.255.255; they may run only inside the private test LAN
// made by scripts/testlan. Every such test starts with TESMARA_REQUIRE_TEST_LAN() (or derives
// from LanTest), which skips loudly outside any test LAN and fails when the marker is set but
// the namespace is not ours.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "devsim/TestLan.h"

namespace tesmara::lan {

// The same check devsim makes before it answers anything.
using devsim::WhyNotInsideTestLan;

}  // namespace tesmara::lan

#define TESMARA_REQUIRE_TEST_LAN()                                                                 \
    do {                                                                                           \
        std::string why_ = ::tesmara::lan::WhyNotInsideTestLan();                                  \
        if (!why_.empty()) {                                                                       \
            if (std::getenv("TESMARA_TESTLAN")) FAIL() << "NOT IN THE PRIVATE TEST LAN: " << why_; \
            GTEST_SKIP() << "*** NOT RUN: outside the private test LAN (" << why_                  \
                         << "); run it with scripts/testlan ***";                                  \
        }                                                                                          \
    } while (false)

namespace tesmara::lan {

class LanTest : public ::testing::Test {
  protected:
    void SetUp() override { TESMARA_REQUIRE_TEST_LAN(); }
};

}  // namespace tesmara::lan
