// The library's handle registry: a handle once handed out is never handed out again.
#include <gtest/gtest.h>

#include <cstdint>

#include "quorn/Registry.h"

namespace {

TEST(QuornRegistryTest, NoHandleIsReusedAfterTheLastOne) {
    quorn::Registry registry(INT32_MAX - 2);
    EXPECT_EQ(registry.AddSession(nullptr), INT32_MAX - 1);
    EXPECT_EQ(registry.AddUpgrade(nullptr), INT32_MAX);
    registry.TakeSession(INT32_MAX - 1);
    EXPECT_EQ(registry.AddSession(nullptr), 0);
    EXPECT_EQ(registry.AddUpgrade(nullptr), 0);
}

}  // namespace
