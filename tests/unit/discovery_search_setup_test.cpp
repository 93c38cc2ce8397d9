// Socket set-up failures of both search workers: each step's error number, message and clean-up.
#include <gtest/gtest.h>

#include <string>

#include "app/SearchStart.h"
#include "cli/ConsoleSearch.h"
#include "discovery/SearchAssignWorker.h"
#include "discovery/SearchDatagrams.h"
#include "discovery/SearchOnlyWorker.h"
#include "platform/AdapterSockets.h"
#include "platform/Address.h"
#include "platform/Format.h"
#include "tests/unit/discovery_search_fixture.h"

namespace tesmara {
namespace {

using testing::SocketOp;

struct SetupFailure {
    int err;
    SocketOp op;
    int nth;  // which call of that operation fails
};

constexpr SetupFailure kSetupFailures[] = {
    {-1, SocketOp::kCreate, 0},      {-2, SocketOp::kReuse, 0},  {-3, SocketOp::kBroadcast, 0},
    {-4, SocketOp::kBind, 0},        {-5, SocketOp::kCreate, 1}, {-6, SocketOp::kBind, 1},
    {-7, SocketOp::kNonBlocking, 0}, {-8, SocketOp::kSend, 0},
};

struct SetupErrors : SearchFixture, ::testing::WithParamInterface<SetupFailure> {
    void ExpectFailureReported(const std::wstring& first, const std::wstring& failure) {
        ASSERT_EQ(2u, view.log.size());
        EXPECT_EQ(first, view.log[0].text);
        EXPECT_EQ(failure, view.log[1].text);
        EXPECT_EQ(StatusColour::kFailure, view.log[1].colour);
        EXPECT_EQ((std::vector<bool>{false, true}), view.windowEnabled);
        EXPECT_EQ(0, view.RowCount());
        EXPECT_EQ(0, network.OpenSockets());
        EXPECT_LT(Elapsed(), 100u);
    }
};

TEST_P(SetupErrors, SearchOnlyWorkerReportsInEnglish) {
    network.AddDevices(2);
    network.FailNth(GetParam().op, GetParam().nth);
    EXPECT_EQ(GetParam().err, WindowSearchOnly(&dialog));
    ExpectFailureReported(L"Searching...", FormatUi("Search failed!Err = %d", GetParam().err));
    EXPECT_TRUE(dialog.m_devices.empty());
}

TEST_P(SetupErrors, SearchAssignWorkerReportsInChinese) {
    network.AddDevices(2);
    dialog.m_plan.hostPrefixText = "192.168.1";
    dialog.m_plan.startHostText = "11";
    network.FailNth(GetParam().op, GetParam().nth);
    EXPECT_EQ(GetParam().err, WindowSearchAssign(&dialog));
    ExpectFailureReported(L"正在搜索设备...", FormatUi("搜索设备失败!Err = %d", GetParam().err));
    EXPECT_TRUE(dialog.m_devices.empty());
}

using SearchSetup = SearchFixture;

INSTANTIATE_TEST_SUITE_P(EveryStep, SetupErrors, ::testing::ValuesIn(kSetupFailures),
                         [](const auto& info) { return "Err" + std::to_string(-info.param.err); });

TEST_F(SearchSetup, ReplyPortHeldByAnotherProgramGivesErr6) {
    network.OccupyPort(kSearchReplyPort);
    network.AddDevices(1);
    EXPECT_EQ(-6, WindowSearchOnly(&dialog));
    EXPECT_EQ((std::vector<std::wstring>{L"Searching...", L"Search failed!Err = -6"}),
              view.LogTexts());
    EXPECT_EQ(0, view.RowCount());
    EXPECT_EQ(true, view.windowEnabled.back());
}

TEST_F(SearchSetup, SendPortSharedWithAnotherReusingSocketIsFine) {
    auto other = network.CreateDatagramSocket();
    ASSERT_TRUE(other->SetReuseAddress(true));
    ASSERT_TRUE(other->Bind(0, kSearchSendPort));
    EXPECT_EQ(0, WindowSearchOnly(&dialog));
    EXPECT_EQ(L"Search completed!", view.log.back().text);
}

// Only the send socket is tied to the adapter: replies are broadcast, and a receive socket bound to
// one address would not hear them.
TEST_F(SearchSetup, AdapterSocketsSendFromTheAdapterAndStillHearTheReplies) {
    network.AddDevices(2);
    AdapterSockets adapter(network, ParseAddress("10.251.0.1"));
    cli::SegmentSearch search = cli::SearchSegment(SearchJob{}, adapter, clock, nullptr);
    EXPECT_EQ(2u, search.Rows().size());
    ASSERT_FALSE(network.Sent().empty());
    for (const auto& sent : network.Sent())
        EXPECT_EQ("10.251.0.1", FormatAddress(sent.fromAddress));
}

}  // namespace
}  // namespace tesmara
