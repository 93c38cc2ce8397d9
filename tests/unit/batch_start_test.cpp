// The batch controls: mode boxes, "Browse", and what "Start" refuses, stores and starts.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/BatchStart.h"
#include "platform/Text.h"
#include "quorn/FirmwareImage.h"
#include "res/MainDlgRes.h"
#include "tests/support/BatchFixture.h"

namespace tesmara {
namespace {

using testing::BatchBench;

struct Modes {
    bool syncTime, upgrade, configure;
};

// Per test process: tests may run in parallel.
const std::string kFiles = ::testing::TempDir() + "start-" + std::to_string(getpid()) + "-";

void SetModes(BatchBench& b, Modes m) {
    b.view.SetButtonChecked(IDC_MODE_SYNC_TIME, m.syncTime);
    b.view.SetButtonChecked(IDC_MODE_UPGRADE, m.upgrade);
    b.view.SetButtonChecked(IDC_MODE_CONFIGURE, m.configure);
}

TEST(BatchStart, ModeBoxesEnableTheirBrowseButtonsAndStart) {
    enum State { kUntouched, kOff, kOn };
    struct Case {
        Modes modes;
        void (*click)(MainDialogState&);
        State firmwareBrowse, configBrowse, start;
    };
    const Case cases[] = {
        {{false, true, false}, OnUpgradeModeClicked, kOn, kOff, kOn},
        {{false, true, true}, OnConfigureModeClicked, kOn, kOn, kOn},
        {{false, false, false}, OnConfigureModeClicked, kOff, kOff, kOff},
        {{true, false, false}, OnSyncTimeModeClicked, kUntouched, kUntouched, kOn},
        {{false, false, false}, OnSyncTimeModeClicked, kUntouched, kUntouched, kOff},
    };
    for (const Case& c : cases) {
        BatchBench b;
        SetModes(b, c.modes);
        c.click(b.dialog);
        auto state = [&](int id) {
            auto it = b.view.enabled.find(id);
            return it == b.view.enabled.end() ? kUntouched : it->second ? kOn : kOff;
        };
        EXPECT_EQ(c.firmwareBrowse, state(IDC_FIRMWARE_BROWSE));
        EXPECT_EQ(c.configBrowse, state(IDC_CONFIG_BROWSE));
        EXPECT_EQ(c.start, state(IDC_START));
    }
}

TEST(BatchStart, BrowseStoresTheChosenPathInAnsiAndCancelKeepsIt) {
    BatchBench b;
    const std::wstring firmware = L"C:\\固件\\nvr.upf";
    b.dialogs.files = {firmware, std::nullopt, L"D:\\a.coi"};
    OnBrowseFirmware(b.dialog);
    OnBrowseFirmware(b.dialog);  // cancelled
    OnBrowseConfig(b.dialog);
    EXPECT_EQ(firmware, b.view.ControlText(IDC_FIRMWARE_PATH));
    EXPECT_EQ(WideToAnsi(firmware), b.dialog.m_firmwarePath);
    EXPECT_EQ(L"D:\\a.coi", b.view.ControlText(IDC_CONFIG_PATH));
    EXPECT_EQ("D:\\a.coi", b.dialog.m_configPath);
    EXPECT_EQ((std::vector<FileKind>{FileKind::kFirmware, FileKind::kFirmware, FileKind::kConfig}),
              b.dialogs.chosenKinds);
}

TEST(BatchStart, RefusesOrStartsTheWorkerOfTheModes) {
    struct Case {
        int ticked;
        Modes modes;
        bool firmware, config;  // stored paths
        std::wstring box;       // refusal, or none
        std::wstring firstLine;
    };
    const Case cases[] = {
        {0, {false, true, false}, true, false, L"Please select devices!", L""},
        {1, {false, true, false}, false, true, L"Please select file!", L""},
        {1, {false, false, true}, true, false, L"Please select file!", L""},
        {1, {false, true, true}, true, false, L"Please select file!", L""},
        {1, {true, false, false}, false, false, L"", L"[10.0.0.1]正在同步时间..."},
        {1, {true, true, false}, true, false, L"", L"[10.0.0.1] is upgrading..."},
        {1, {true, false, true}, false, true, L"", L"[10.0.0.1] is configuring..."},
        {1, {false, true, true}, true, true, L"", L"[10.0.0.1] is upgrading and configuring..."},
        {1, {false, false, false}, false, false, L"", L""},
    };
    for (const Case& c : cases) {
        BatchBench b;
        b.AddDevices(c.ticked);
        b.AddDevices(1, false);
        SetModes(b, c.modes);
        if (c.firmware) b.dialog.m_firmwarePath = testing::WriteImageFile(kFiles + "fw.upf");
        if (c.config) b.dialog.m_configPath = testing::WriteImageFile(kFiles + "c.coi");
        b.view.SetControlText(IDC_CONFIG_PATH, L"shown, but never stored");
        for (int id : {IDC_TOTAL_COUNT, IDC_SUCCESS_COUNT, IDC_FAIL_COUNT})
            b.view.SetControlText(id, L"7");

        RunStartCommand(b.dialog);
        b.ServeUntilIdle();

        const std::wstring label = c.box.empty() ? L"0" : L"7";
        EXPECT_EQ(c.box.empty() ? L"1" : L"7", b.view.ControlText(IDC_TOTAL_COUNT)) << c.firstLine;
        if (c.firstLine.empty()) {
            EXPECT_EQ(label, b.view.ControlText(IDC_SUCCESS_COUNT));
        }
        if (!c.box.empty()) {
            ASSERT_EQ(1u, b.view.boxes.size());
            EXPECT_EQ(c.box, b.view.boxes[0].text);
            EXPECT_EQ(L"", b.view.boxes[0].caption);
            EXPECT_EQ(kBoxOk | kBoxIconWarning, b.view.boxes[0].style);
        }
        const std::vector<std::wstring> lines = b.Lines();
        EXPECT_EQ(c.firstLine, lines.empty() ? L"" : lines[0]);
    }
}

TEST(BatchStart, AFileTheLibraryWouldRefuseIsRefusedBeforeAnyLoginAndAFifoNeverBlocks) {
    using testing::WriteImageFile;
    const std::string fifo = kFiles + "fifo";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    for (auto [upgrade, path] :
         {std::pair{true, WriteImageFile(kFiles + "longer", quorn::kImageHeaderSize + 1)},
          {true, WriteImageFile(kFiles + "huge", quorn::kMaxImageFileSize + 1)},
          {true, fifo},
          {false, WriteImageFile(kFiles + "none", 0)}}) {
        BatchBench b;
        b.AddDevices(1);
        SetModes(b, {false, upgrade, !upgrade});
        (upgrade ? b.dialog.m_firmwarePath : b.dialog.m_configPath) = path;
        RunStartCommand(b.dialog);
        EXPECT_EQ(std::vector<std::wstring>{upgrade ? L"Invalid firmware file!"
                                                    : L"Invalid configuration file!"},
                  b.BoxTexts())
            << path;
        EXPECT_EQ(0, b.access.CountOf(testing::DevOp::Login));
        unlink(path.c_str());
    }
}

TEST(BatchStart, AStartWhileARunIsInProgressIsRefused) {
    BatchBench b;
    b.AddDevices(1);
    SetModes(b, {false, true, false});
    b.dialog.m_firmwarePath = testing::WriteImageFile(kFiles + "fw.upf");
    RunStartCommand(b.dialog);  // its transfer runs on: nothing scripted ends it
    RunStartCommand(b.dialog);
    b.ServeUntilIdle();
    EXPECT_EQ(1, b.access.CountOf(testing::DevOp::Login));
}

TEST(BatchStart, LoginIsTakenAsTypedInUtf8) {
    BatchBench b;
    b.AddDevices(1);
    SetModes(b, {true, false, false});
    b.view.SetControlText(IDC_LOGIN_USER, L"管理员");
    b.view.SetControlText(IDC_LOGIN_PASSWORD, L" pa ss ");
    RunStartCommand(b.dialog);
    b.ServeUntilIdle();
    const std::vector<testing::DevCall> logins = b.access.Calls(testing::DevOp::Login);
    ASSERT_EQ(1u, logins.size());
    EXPECT_EQ("\xE7\xAE\xA1\xE7\x90\x86\xE5\x91\x98", logins[0].user);
    EXPECT_EQ(" pa ss ", logins[0].password);
    EXPECT_EQ(34567, logins[0].port);
}

}  // namespace
}  // namespace tesmara
