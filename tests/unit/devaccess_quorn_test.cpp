// The application's device access is the library itself: calls with handles it never gave out
// fail cleanly and leave a reason, without any device or network involved.
#include <gtest/gtest.h>

#include <vector>

#include "devaccess/DeviceAccessFactory.h"
#include "devaccess/NetworkConfigBlock.h"

namespace tesmara {
namespace {

TEST(QuornDeviceAccessTest, UnknownHandlesFailWithAReason) {
    auto access = CreateDeviceAccess();
    ASSERT_NE(access, nullptr);
    constexpr int32_t kNeverIssued = 0x5EED;

    NetworkConfigBlock block;
    EXPECT_FALSE(block.Read(*access, kNeverIssued));
    EXPECT_NE(access->DevGetLastError(), 0);
    EXPECT_FALSE(block.Write(*access, kNeverIssued));
    EXPECT_EQ(access->DevUpgrade(kNeverIssued, "no-such-file.bin", nullptr, nullptr), 0);
    EXPECT_EQ(access->DevUpgradeStart(kNeverIssued), 0);
    EXPECT_EQ(access->DevImportConfig(0, "no-such-file.coi"), 0);
    std::vector<uint8_t> entries(2 * kUserEntrySize);
    EXPECT_NE(access->DevModifyUser(kNeverIssued, kModifyUserPassword, entries.data(),
                                    entries.data() + kUserEntrySize, 1000),
              1);
    EXPECT_NE(access->DevGetLastError(), 0);
}

}  // namespace
}  // namespace tesmara
