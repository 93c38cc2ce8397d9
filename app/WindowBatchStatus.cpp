#include "app/WindowBatchStatus.h"

#include <string>

#include "batch/BatchJob.h"
#include "platform/Format.h"
#include "platform/Text.h"
#include "res/MainDlgRes.h"
#include "view/DeviceTable.h"
#include "view/MainView.h"

namespace tesmara {

void ShowCounters(DialogView& view, const BatchTally& tally) {
    view.SetControlText(IDC_TOTAL_COUNT, FormatUi("%d", tally.total));
    view.SetControlText(IDC_SUCCESS_COUNT, FormatUi("%d", tally.success));
    view.SetControlText(IDC_FAIL_COUNT, FormatUi("%d", tally.fail));
}

void WindowBatchStatus::RunStarted(const BatchTally& tally) {
    ShowCounters(m_view, tally);
    // Disabled before the worker starts, so that a click queued meanwhile finds the run going.
    m_view.SetWindowEnabled(false);
}

void WindowBatchStatus::Line(const BatchDevice*, std::wstring_view text, StatusColour colour) {
    m_view.AppendStatusLine(text, colour);
}

void WindowBatchStatus::Progress(const BatchDevice& device, std::wstring_view text) {
    // Progress comes many times per percent: the cell is only written when its text changes.
    if (m_view.CellText(device.row, kColumnUpgradeStatus) != text) {
        m_view.SetCellText(device.row, kColumnUpgradeStatus, text);
    }
}

void WindowBatchStatus::RunFinished(const BatchTally& tally, const char* completion) {
    if (completion) {
        ShowCounters(m_view, tally);
        m_view.ShowMessage(Utf8ToWide(completion), L"", kBoxOk | kBoxIconInformation);
    }
    m_view.SetWindowEnabled(true);
}

}  // namespace tesmara
