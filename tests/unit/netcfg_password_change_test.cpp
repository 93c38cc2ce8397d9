// "Modify Password": the entry-field rule, the dialog's OK and the button that opens it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/MainDialogState.h"
#include "netcfg/PasswordForm.h"
#include "netcfg/win32/PasswordDlgRes.h"
#include "platform/Clock.h"
#include "platform/Sockets.h"
#include "tests/support/RecordingMainView.h"
#include "tests/support/ScriptedDeviceAccess.h"
#include "tests/support/ScriptedDialogs.h"
#include "view/DeviceRow.h"

namespace tesmara {
namespace {

using testing::DevOp;

TEST(LimitEditText, DropsTrailingBlanksAndCutsPast64Bytes) {
    struct Case {
        std::wstring typed;
        std::optional<std::wstring> shown;
    };
    std::wstring wide(40, L'\u5BC6');  // 120 bytes in UTF-8
    for (const Case& c : std::vector<Case>{{L"admin", std::nullopt},
                                           {L"admin  ", L"admin"},
                                           {L" admin", std::nullopt},
                                           {std::wstring(70, L'a'), std::wstring(64, L'a')},
                                           {std::wstring(64, L'a'), std::nullopt},
                                           {wide, std::nullopt}}) {
        EXPECT_EQ(c.shown, LimitEditRewrite(c.typed)) << c.typed.size();
    }
}

TEST(LimitEditText, LeavesThePasswordFieldsAsTyped) {
    testing::RecordingMainView view;
    const std::wstring typed = std::wstring(70, L'a') + L"  ";
    for (int id : {IDC_PASSWORD_OLD, IDC_PASSWORD_NEW, IDC_PASSWORD_CONFIRM, IDC_PASSWORD_USER}) {
        view.texts[id] = typed;
        LimitEditText(view, id);
        EXPECT_EQ(id == IDC_PASSWORD_USER ? std::wstring(64, L'a') : typed, view.texts[id]) << id;
    }
}

struct PasswordOk : ::testing::Test {
    static constexpr size_t kEntries = 39020;
    testing::RecordingMainView dialog;
    testing::ScriptedDeviceAccess access;
    PasswordTarget target{"192.168.1.20", 34567};
    int closed = 0;

    void SetUp() override {
        dialog.texts[IDC_PASSWORD_USER] = L"admin";
        dialog.texts[IDC_PASSWORD_OLD] = L"old";
        dialog.texts[IDC_PASSWORD_NEW] = L"new";
        dialog.texts[IDC_PASSWORD_CONFIRM] = L"new";
        access.Script(DevOp::GetUserInfo, {.data = Table()});
    }
    // Accounts "Admin" and "admin" (entries 0 and 1), every other byte 0x5A.
    static std::vector<uint8_t> Table() {
        std::vector<uint8_t> table(kUserTableSize, 0x5A);
        for (int i = 0; i < 2; ++i) {
            uint8_t* entry = table.data() + kEntries + i * kUserEntrySize;
            std::memcpy(entry + 8, i == 0 ? "Admin" : "admin", 6);
            std::memcpy(entry + 104, "secret-old", 11);
        }
        return table;
    }
    bool Ok() {
        return RunPasswordOk(dialog, access, target, [this] { ++closed; });
    }
    std::vector<std::wstring> BoxTexts() {
        std::vector<std::wstring> texts;
        for (const auto& box : dialog.boxes) texts.push_back(box.text);
        return texts;
    }
};

TEST_F(PasswordOk, WrongOldPasswordIsReportedBeforeTheMismatch) {
    dialog.texts[IDC_PASSWORD_CONFIRM] = L"other";
    access.Script(DevOp::Login, {.result = 0});
    EXPECT_FALSE(Ok());
    EXPECT_FALSE(Ok());
    EXPECT_EQ((std::vector<std::wstring>{L"User name or password is error!",
                                         L"Two entered passwords do not match!"}),
              BoxTexts());
    EXPECT_EQ(kBoxIconWarning, dialog.boxes[0].style);
    EXPECT_EQ(kBoxIconInformation, dialog.boxes[1].style);
    EXPECT_EQ(1, access.CountOf(DevOp::Logout));
    EXPECT_EQ(0, access.CountOf(DevOp::GetUserInfo));
    EXPECT_EQ(0, closed);
}

TEST_F(PasswordOk, LogsInWithTheOldPasswordAtTheRowsPort) {
    Ok();
    auto logins = access.Calls(DevOp::Login);
    ASSERT_EQ(1u, logins.size());
    EXPECT_EQ("192.168.1.20", logins[0].address);
    EXPECT_EQ(34567, logins[0].port);
    EXPECT_EQ("admin", logins[0].user);
    EXPECT_EQ("old", logins[0].password);
}

TEST_F(PasswordOk, AccountMatchedOnlyExactly) {
    for (const wchar_t* user : {L"ADMIN", L"adm"}) {
        dialog.texts[IDC_PASSWORD_USER] = user;
        access.Script(DevOp::GetUserInfo, {.data = Table()});
        EXPECT_FALSE(Ok());
    }
    EXPECT_TRUE(dialog.boxes.empty());
    EXPECT_EQ(0, access.CountOf(DevOp::ModifyUser));
    EXPECT_EQ(2, access.CountOf(DevOp::Logout));
}

TEST_F(PasswordOk, SuccessSendsNewThenOldEntryAndClosesFirst) {
    EXPECT_TRUE(Ok());
    auto calls = access.Calls(DevOp::ModifyUser);
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(6, calls[0].command);
    EXPECT_EQ(1000, calls[0].waitMs);
    std::vector<uint8_t> table = Table();
    std::vector<uint8_t> withOld(table.begin() + kEntries + kUserEntrySize,
                                 table.begin() + kEntries + 2 * kUserEntrySize);
    std::memcpy(withOld.data() + 104, "old", 4);  // "-old" of the old text stays behind the NUL
    std::vector<uint8_t> withNew = withOld;
    std::memcpy(withNew.data() + 104, "new", 4);
    withNew.insert(withNew.end(), withOld.begin(), withOld.end());
    EXPECT_EQ(withNew, calls[0].data);
    EXPECT_EQ(1, closed);
    EXPECT_EQ(std::vector<std::wstring>{L"Password modify successfully!"}, BoxTexts());
    EXPECT_EQ(0, access.CountOf(DevOp::Logout));
}

TEST_F(PasswordOk, RefusedChangeStaysOpenLoggedOut) {
    access.Script(DevOp::ModifyUser, {.result = 2});
    EXPECT_FALSE(Ok());
    ASSERT_EQ(1u, dialog.boxes.size());
    EXPECT_EQ(L"Password modify failed!", dialog.boxes[0].text);
    EXPECT_EQ(L"Error", dialog.boxes[0].caption);
    EXPECT_EQ(kBoxOk, dialog.boxes[0].style);
    EXPECT_EQ(1, access.CountOf(DevOp::Logout));
    EXPECT_EQ(0, closed);
}

TEST_F(PasswordOk, PasswordTooLongForItsFieldIsRefusedBeforeLogin) {
    dialog.texts[IDC_PASSWORD_NEW] = std::wstring(32, L'\u5BC6');  // 96 bytes in UTF-8
    dialog.texts[IDC_PASSWORD_CONFIRM] = dialog.texts[IDC_PASSWORD_NEW];
    EXPECT_FALSE(Ok());
    ASSERT_EQ(1u, dialog.boxes.size());
    EXPECT_NE(std::wstring::npos, dialog.boxes[0].text.find(L"too long"));
    EXPECT_EQ(0, access.CountOf(DevOp::Login));
}

TEST(PasswordCommand, OpensTheDialogForTheHighlightedRowOnly) {
    testing::RecordingMainView view;
    testing::ScriptedDialogs dialogs;
    testing::ScriptedDeviceAccess access;
    MainDialogState state{view, dialogs, SystemSockets(), SystemClock(), access};
    DeviceRow device;
    device.ipText = "192.168.1.20";
    device.tcpPort = 34567;
    view.rows.resize(1);
    view.rows[0].device = &device;
    RunPasswordCommand(state);
    view.highlighted = 0;
    RunPasswordCommand(state);
    ASSERT_EQ(1u, view.boxes.size());
    EXPECT_EQ(L"Please select a device!", view.boxes[0].text);
    ASSERT_EQ(1u, dialogs.passwordTargets.size());
    EXPECT_EQ("192.168.1.20", dialogs.passwordTargets[0].address);
    EXPECT_EQ(34567, dialogs.passwordTargets[0].port);
}

}  // namespace
}  // namespace tesmara
