// "Modify" 1082: the address-change datagram and the command around it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "discovery/SearchDatagrams.h"
#include "netcfg/AddressChangeCommand.h"
#include "res/MainDlgRes.h"
#include "tests/unit/discovery_search_fixture.h"
#include "view/DeviceTable.h"

namespace tesmara {
namespace {

using testing::SocketOp;

TEST(AddressChangeDatagram, EncodesAddressGatewayMaskAtOddOffsets) {
    auto datagram =
        EncodeAddressChange("00-1A-2B-3C-4D-5E", "192.168.1.20", "192.168.1.1", "255.255.255.0");
    std::vector<uint8_t> expected(kAddressChangeMagic, kAddressChangeMagic + 13);
    for (uint8_t b : {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x00, 0x00, 0xC0, 0xA8,
                      0x01, 0x14, 0xC0, 0xA8, 0x01, 0x01, 0xFF, 0xFF, 0xFF, 0x00}) {
        expected.push_back(b);
    }
    EXPECT_EQ(expected, std::vector<uint8_t>(datagram.begin(), datagram.end()));
}

TEST(AddressChangeMacKey, MatchesByCompactTextIgnoringCase) {
    EXPECT_EQ("001a2B3C4D5E", MacKey("00-1a-2B:3C 4D.5E"));
    EXPECT_TRUE(MacKeyMatches(MacKey("00-1a-2b-3c-4d-5e"), "001A2B3C4D5E"));
    EXPECT_FALSE(MacKeyMatches(MacKey("00-1A-2B-3C-4D-5F"), "001A2B3C4D5E"));
    EXPECT_FALSE(MacKeyMatches(MacKey("--:--"), "001A2B3C4D5E"));  // no key matches nothing
}

struct AddressChange : SearchFixture {
    DeviceRow row;

    void SetUp() override {
        network.AddDevices(3);
        // The row names device 1 (MAC 00-1A-2B-00-00-01), in lower case.
        row.shown = 1;
        row.macText = "00-1a-2b-00-00-01";
        row.ipText = "192.168.1.21";
        row.tcpPort = 34567;
        row.httpPort = 80;
        view.rows.resize(1);
        view.rows[0].device = &row;
        view.highlighted = 0;
        view.texts[IDC_PANEL_ADDRESS] = L"10.0.0.9";
        view.texts[IDC_PANEL_MASK] = L"255.0.0.0";
        view.texts[IDC_PANEL_GATEWAY] = L"10.0.0.1";
    }
    std::vector<std::vector<uint8_t>> AddressChanges() {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& sent : network.Sent()) {
            if (sent.data.size() == kAddressChangeSize) out.push_back(sent.data);
        }
        return out;
    }
    std::vector<std::wstring> BoxTexts() {
        std::vector<std::wstring> texts;
        for (const auto& box : view.boxes) texts.push_back(box.text);
        return texts;
    }
};

TEST_F(AddressChange, NothingHighlightedSendsNothing) {
    view.highlighted = -1;
    view.rows[0].checked = true;
    RunAddressChangeCommand(dialog);
    EXPECT_EQ(std::vector<std::wstring>{L"Please select a device!"}, BoxTexts());
    EXPECT_EQ(0, network.SocketsCreated());
}

TEST_F(AddressChange, SocketSetupFailuresAreNamed) {
    struct Case {
        SocketOp op;
        int nth;
        const wchar_t* text;
    };
    for (const Case& c : std::vector<Case>{
             {SocketOp::kCreate, 0, L"Create client socket failed!"},
             {SocketOp::kReuse, 0, L"Set client socket failed!err=1"},
             {SocketOp::kBroadcast, 0, L"Set client socket failed!err=2"},
             {SocketOp::kBind, 0, L"Bind client failed!"},
             {SocketOp::kCreate, 1, L"Create server's socket failed!"},
             {SocketOp::kBind, 1, L"Bind server failed!"},
         }) {
        testing::InMemoryNetwork failing{clock};
        MainDialogState state{view, dialogs, failing, clock, access};
        failing.FailNth(c.op, c.nth);
        view.boxes.clear();
        RunAddressChangeCommand(state);
        EXPECT_EQ(std::vector<std::wstring>{c.text}, BoxTexts());
        EXPECT_EQ(0, failing.OpenSockets()) << static_cast<int>(c.op);
        EXPECT_TRUE(failing.Sent().empty());
    }
}

TEST_F(AddressChange, ModeRefusedOrFirstSendFailedGiveErr7) {
    network.FailNth(SocketOp::kNonBlocking, 0);
    RunAddressChangeCommand(dialog);
    testing::InMemoryNetwork unsendable{clock};
    MainDialogState state{view, dialogs, unsendable, clock, access};
    unsendable.FailSendsFrom(0);
    RunAddressChangeCommand(state);
    EXPECT_EQ(std::vector<std::wstring>(2, L"[192.168.1.21] modify IP address failed!err=7"),
              view.LogTexts());
    EXPECT_EQ(std::vector<std::wstring>(2, L"Operate completed!"), BoxTexts());
    EXPECT_EQ(0, network.OpenSockets());
    EXPECT_EQ(0, unsendable.OpenSockets());
}

TEST_F(AddressChange, HeardDeviceGetsOneDatagramAndTheRowItsNewAddress) {
    RunAddressChangeCommand(dialog);
    auto sent = AddressChanges();
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(0, std::memcmp(sent[0].data() + 13, network.Device(1).info.mac, 6));
    ASSERT_EQ(1u, view.log.size());
    EXPECT_EQ(L"[192.168.1.21] modify IP address to [10.0.0.9] successfully!", view.log[0].text);
    EXPECT_EQ(StatusColour::kSuccess, view.log[0].colour);
    EXPECT_EQ(L"10.0.0.9", view.rows[0].cells[kColumnIp]);
    ASSERT_EQ(1u, dialog.m_readdressedDevices.size());
    const DeviceRow& record = dialog.m_readdressedDevices.front();
    EXPECT_EQ(&record, view.rows[0].device);
    EXPECT_EQ("10.0.0.9", record.ipText);
    EXPECT_EQ("255.0.0.0", record.maskText);
    EXPECT_EQ("10.0.0.1", record.gatewayText);
    EXPECT_EQ(34567, record.tcpPort);
    EXPECT_EQ("192.168.1.21", row.ipText);  // the old record is left as it was
    EXPECT_EQ(std::vector<std::wstring>{L"Operate completed!"}, BoxTexts());
}

TEST_F(AddressChange, SecondPressUpdatesTheSameRecord) {
    RunAddressChangeCommand(dialog);
    view.texts[IDC_PANEL_ADDRESS] = L"10.0.0.10";
    RunAddressChangeCommand(dialog);
    ASSERT_EQ(1u, dialog.m_readdressedDevices.size());
    EXPECT_EQ("10.0.0.10", dialog.m_readdressedDevices.front().ipText);
    EXPECT_EQ(&dialog.m_readdressedDevices.front(), view.rows[0].device);
}

TEST_F(AddressChange, SilentDeviceIsSearchedEvery500MsForThreeSeconds) {
    network.Device(1).answersBasic = false;
    RunAddressChangeCommand(dialog);
    EXPECT_TRUE(AddressChanges().empty());
    EXPECT_TRUE(view.log.empty());
    EXPECT_EQ(std::vector<std::wstring>{L"Operate failed!"}, BoxTexts());
    EXPECT_EQ(kBoxIconError, view.boxes[0].style);
    std::vector<uint32_t> times = network.SendTimes(kBasicSearchMagic);
    ASSERT_EQ(6u, times.size());
    for (size_t i = 1; i < times.size(); ++i) {
        EXPECT_GT(times[i] - times[i - 1], 500u);
        EXPECT_LE(times[i] - times[i - 1], 560u);
    }
    EXPECT_GE(Elapsed(), 3000u);
    EXPECT_LT(Elapsed(), 3100u);
}

TEST_F(AddressChange, RowWithoutMacDigitsMatchesNoReply) {
    row.macText = "--:--";
    RunAddressChangeCommand(dialog);
    EXPECT_TRUE(AddressChanges().empty());
    EXPECT_EQ(std::vector<std::wstring>{L"Operate failed!"}, BoxTexts());
}

TEST_F(AddressChange, UnsentChangeGivesErr8AndKeepsTheRow) {
    network.FailSendsFrom(1);
    RunAddressChangeCommand(dialog);
    EXPECT_EQ(std::vector<std::wstring>{L"[192.168.1.21] modify IP address failed!err=8"},
              view.LogTexts());
    EXPECT_EQ(std::vector<std::wstring>{L"Operate completed!"}, BoxTexts());
    EXPECT_EQ(L"", view.rows[0].cells[kColumnIp]);
}

// A view whose message box presses "Modify" again, as a queued click would while the box runs.
struct PressingView : testing::RecordingMainView {
    MainDialogState* dialog = nullptr;
    int ShowMessage(std::wstring_view text, std::wstring_view caption, unsigned style) override {
        if (dialog) RunAddressChangeCommand(*dialog);
        return RecordingMainView::ShowMessage(text, caption, style);
    }
};

TEST_F(AddressChange, PressWhileRunningIsIgnored) {
    PressingView pressing;
    pressing.rows = view.rows;
    pressing.highlighted = 0;
    pressing.texts = view.texts;
    MainDialogState state{pressing, dialogs, network, clock, access};
    pressing.dialog = &state;
    RunAddressChangeCommand(state);
    EXPECT_EQ(1u, AddressChanges().size());
    EXPECT_EQ(1u, pressing.boxes.size());
}

}  // namespace
}  // namespace tesmara
