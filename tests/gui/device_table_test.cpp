// The device table filled from the dialog's device list, and the "All" box.
#include "MainWindowFixture.h"

#include <commctrl.h>

#include <thread>
#include "view/DeviceTable.h"

namespace tesmara::gui {
namespace {

DeviceRow MakeDevice(const char* mac, const char* ip, uint8_t shown) {
    DeviceRow row;
    row.shown = shown;
    row.macText = mac;
    row.ipText = ip;
    row.details.cloudId = "CLOUD-" + std::string(ip);
    row.details.description = "DVR";
    row.details.releaseVersion = "V4.02.R11";
    row.details.releaseTime = "2019-05-06";
    row.details.deviceTime = "2026-12-07 10:00:00";
    row.details.startTime = "2026-12-01 08:00:00";
    return row;
}

class DeviceTableTest : public MainWindowTest {
  protected:
    bool RowChecked(int row) const {
        UINT state =
            static_cast<UINT>(SendMessageW(Table(), LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
        return (state >> 12) == 2;
    }
    // Fills the table from a worker thread, the way a search ends.
    void FillFromWorker() {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            FillDeviceTable(State().m_view, State().m_devices);
            done = true;
        });
        EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
        worker.join();
    }
    void EnableModifyButtons() {
        for (int id : {IDC_MODIFY_ADDRESS, IDC_MODIFY_PORTS, IDC_MODIFY_PASSWORD}) {
            EnableWindow(Control(id), TRUE);
        }
    }
    void ExpectModifyButtonsDisabled() {
        for (int id : {IDC_MODIFY_ADDRESS, IDC_MODIFY_PORTS, IDC_MODIFY_PASSWORD}) {
            EXPECT_FALSE(Enabled(id)) << id;
        }
    }
};

TEST_F(DeviceTableTest, FillShowsConfirmedDevicesNumberedInListOrderAllUnchecked) {
    State().m_devices.push_back(MakeDevice("00-1A-2B-3C-4D-01", "192.168.1.21", 1));
    State().m_devices.push_back(MakeDevice("00-1A-2B-3C-4D-02", "192.168.1.22", 0));
    State().m_devices.push_back(MakeDevice("00-1A-2B-3C-4D-03", "192.168.1.23", 1));
    DeviceRow blank;
    blank.shown = 1;
    blank.macText = "00-1A-2B-3C-4D-04";
    blank.ipText = "192.168.1.24";
    State().m_devices.push_back(blank);
    EnableModifyButtons();

    FillFromWorker();

    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(Cell(0, 0), L"1");
    EXPECT_EQ(Cell(1, 0), L"2");
    EXPECT_EQ(Cell(2, 0), L"3");
    EXPECT_EQ(Cell(0, 1), L"00-1A-2B-3C-4D-01");
    EXPECT_EQ(Cell(1, 1), L"00-1A-2B-3C-4D-03") << "unconfirmed devices get no row";
    EXPECT_EQ(Cell(1, 2), L"192.168.1.23");
    EXPECT_EQ(Cell(0, 3), L"-- --");
    EXPECT_EQ(Cell(0, 4), L"CLOUD-192.168.1.21");
    EXPECT_EQ(Cell(0, 5), L"DVR");
    EXPECT_EQ(Cell(0, 6), L"V4.02.R11");
    EXPECT_EQ(Cell(0, 7), L"2019-05-06");
    EXPECT_EQ(Cell(0, 8), L"2026-12-07 10:00:00");
    EXPECT_EQ(Cell(0, 9), L"2026-12-01 08:00:00");
    // A device without detail texts shows empty cells, never another device's texts.
    EXPECT_EQ(Cell(2, 3), L"-- --");
    for (int column = 4; column <= 9; ++column) EXPECT_EQ(Cell(2, column), L"") << column;

    auto it = State().m_devices.begin();
    EXPECT_EQ(dialog->DeviceOfRow(0), &*it);
    EXPECT_EQ(dialog->DeviceOfRow(1), &*std::next(it, 2));
    EXPECT_EQ(dialog->DeviceOfRow(2), &*std::next(it, 3));
    for (int row = 0; row < 3; ++row) EXPECT_FALSE(RowChecked(row)) << row;
    EXPECT_FALSE(Checked(IDC_ALL));
    ExpectModifyButtonsDisabled();
}

TEST_F(DeviceTableTest, FillWithNothingFoundLeavesAllAndModifyButtonsAlone) {
    State().m_devices.push_back(MakeDevice("00-1A-2B-3C-4D-09", "192.168.1.29", 0));
    SendMessageW(Control(IDC_ALL), BM_SETCHECK, BST_CHECKED, 0);
    EnableModifyButtons();

    FillFromWorker();

    EXPECT_EQ(Rows(), 0);
    EXPECT_TRUE(Checked(IDC_ALL));
    for (int id : {IDC_MODIFY_ADDRESS, IDC_MODIFY_PORTS, IDC_MODIFY_PASSWORD}) {
        EXPECT_TRUE(Enabled(id)) << id;
    }
}

TEST_F(DeviceTableTest, AllBoxTicksAndClearsEveryRowAndDisablesModifyButtons) {
    for (int i = 0; i < 5; ++i) {
        std::string mac = "00-1A-2B-3C-4D-1" + std::to_string(i);
        std::string ip = "192.168.1.3" + std::to_string(i);
        State().m_devices.push_back(MakeDevice(mac.c_str(), ip.c_str(), 1));
    }
    FillFromWorker();
    ASSERT_EQ(Rows(), 5);

    EnableModifyButtons();
    Click(Control(IDC_ALL));
    EXPECT_TRUE(Checked(IDC_ALL));
    for (int row = 0; row < 5; ++row) EXPECT_TRUE(RowChecked(row)) << row;
    ExpectModifyButtonsDisabled();

    EnableModifyButtons();
    Click(Control(IDC_ALL));
    EXPECT_FALSE(Checked(IDC_ALL));
    for (int row = 0; row < 5; ++row) EXPECT_FALSE(RowChecked(row)) << row;
    ExpectModifyButtonsDisabled();
}

TEST_F(DeviceTableTest, AppendedRowContinuesTheNumbering) {
    State().m_devices.push_back(MakeDevice("00-1A-2B-3C-4D-01", "192.168.1.21", 1));
    FillFromWorker();
    DeviceRow& added = State().m_addedDevices.emplace_back();
    added.shown = 1;
    added.macText = "00-1A-2B-3C-4D-77";
    added.ipText = "192.168.1.77";
    EXPECT_EQ(AppendDeviceRow(*dialog, &added), 1);
    EXPECT_EQ(Cell(1, 0), L"2");
    EXPECT_EQ(Cell(1, 1), L"00-1A-2B-3C-4D-77");
    EXPECT_EQ(Cell(1, 2), L"192.168.1.77");
    EXPECT_EQ(Cell(1, 3), L"-- --");
    EXPECT_EQ(dialog->DeviceOfRow(1), &added);
}

}  // namespace
}  // namespace tesmara::gui
