// The window's presenter of a batch run: where each event lands in the window.
#include <gtest/gtest.h>

#include "app/WindowBatchStatus.h"
#include "batch/BatchJob.h"
#include "res/MainDlgRes.h"
#include "tests/support/RecordingMainView.h"
#include "view/DeviceTable.h"

namespace tesmara {
namespace {

TEST(WindowBatchStatus, EachEventHasItsPlaceInTheWindow) {
    struct Case {
        const char* name;
        void (*send)(BatchStatus&);
        std::vector<std::wstring> labels;  // total, success, fail; empty: untouched
        std::vector<bool> enabled;
        std::wstring box;
    };
    const Case cases[] = {
        {"started",
         [](BatchStatus& s) {
             s.RunStarted({3, 0, 0});
         },
         {L"3", L"0", L"0"},
         {false},
         L""},
        {"finished",
         [](BatchStatus& s) {
             s.RunFinished({3, 2, 1}, "Operate completed!");
         },
         {L"3", L"2", L"1"},
         {true},
         L"Operate completed!"},
        {"worker never ran",
         [](BatchStatus& s) {
             s.RunFinished({3, 0, 0}, nullptr);
         },
         {},
         {true},
         L""},
    };
    for (const Case& c : cases) {
        testing::RecordingMainView view;
        view.rows.resize(2);
        WindowBatchStatus status(view);
        c.send(status);
        std::vector<std::wstring> labels;
        for (int id : {IDC_TOTAL_COUNT, IDC_SUCCESS_COUNT, IDC_FAIL_COUNT}) {
            if (view.texts.count(id)) labels.push_back(view.texts[id]);
        }
        EXPECT_EQ(c.labels, labels) << c.name;
        EXPECT_EQ(c.enabled, view.windowEnabled) << c.name;
        ASSERT_EQ(c.box.empty() ? 0u : 1u, view.boxes.size()) << c.name;
        if (!c.box.empty()) {
            EXPECT_EQ(c.box, view.boxes[0].text);
            EXPECT_EQ(L"", view.boxes[0].caption);
            EXPECT_EQ(kBoxOk | kBoxIconInformation, view.boxes[0].style);
        }
    }
    // A device's progress goes to its own row's "Upgrade Status", its lines to the log.
    const BatchDevice second{"", "10.0.0.2", 34567, 1};
    testing::RecordingMainView view;
    view.rows.resize(2);
    WindowBatchStatus status(view);
    status.Progress(second, L"37%");
    status.Line(&second, L"[10.0.0.2] is upgrading...", StatusColour::kProgress);
    EXPECT_EQ(L"37%", view.rows[1].cells[kColumnUpgradeStatus]);
    EXPECT_EQ(L"", view.rows[0].cells[kColumnUpgradeStatus]);
    ASSERT_EQ(1u, view.log.size());
    EXPECT_EQ(StatusColour::kProgress, view.log[0].colour);
}

}  // namespace
}  // namespace tesmara
