#include "tests/support/RecordingMainView.h"

namespace tesmara::testing {

using Hold = std::lock_guard<std::recursive_mutex>;

void RecordingMainView::AppendStatusLine(std::wstring_view text, StatusColour colour) {
    Hold h(m_lock);
    log.push_back({std::wstring(text), colour});
}
void RecordingMainView::ClearStatusLog() {
    Hold h(m_lock);
    log.clear();
}
int RecordingMainView::RowCount() {
    Hold h(m_lock);
    return static_cast<int>(rows.size());
}
bool RecordingMainView::IsChecked(int row) {
    Hold h(m_lock);
    return row >= 0 && row < RowCount() && rows[row].checked;
}
void RecordingMainView::SetChecked(int row, bool checked) {
    Hold h(m_lock);
    if (row >= 0 && row < RowCount()) rows[row].checked = checked;
}
DeviceRow* RecordingMainView::DeviceOfRow(int row) {
    Hold h(m_lock);
    return row >= 0 && row < RowCount() ? rows[row].device : nullptr;
}
void RecordingMainView::InsertRow(int row, std::wstring_view numberText) {
    Hold h(m_lock);
    if (row < 0 || row > RowCount()) row = RowCount();
    TableRow r;
    r.cells[0] = numberText;
    rows.insert(rows.begin() + row, r);
}
void RecordingMainView::SetCellText(int row, int column, std::wstring_view text) {
    Hold h(m_lock);
    if (row >= 0 && row < RowCount() && column >= 0 && column < 10) rows[row].cells[column] = text;
}
void RecordingMainView::SetItemData(int row, DeviceRow* device) {
    Hold h(m_lock);
    if (row >= 0 && row < RowCount()) rows[row].device = device;
}
void RecordingMainView::DeleteAllRows() {
    Hold h(m_lock);
    rows.clear();
}
void RecordingMainView::SetTableRedraw(bool on) {
    Hold h(m_lock);
    redraw = on;
}
int RecordingMainView::HighlightedRow() {
    Hold h(m_lock);
    return highlighted;
}
void RecordingMainView::EnableControl(int id, bool on) {
    Hold h(m_lock);
    enabled[id] = on;
}
bool RecordingMainView::IsButtonChecked(int id) {
    Hold h(m_lock);
    auto it = checks.find(id);
    return it != checks.end() && it->second;
}
void RecordingMainView::SetButtonChecked(int id, bool checked) {
    Hold h(m_lock);
    checks[id] = checked;
}
std::wstring RecordingMainView::ControlText(int id) {
    Hold h(m_lock);
    auto it = texts.find(id);
    return it == texts.end() ? std::wstring() : it->second;
}
void RecordingMainView::SetControlText(int id, std::wstring_view text) {
    Hold h(m_lock);
    texts[id] = text;
}
bool RecordingMainView::IsAddressBlank(int id) {
    Hold h(m_lock);
    return ControlText(id).empty();
}
void RecordingMainView::EnableWindow(bool on) {
    Hold h(m_lock);
    windowEnabled.push_back(on);
}
int RecordingMainView::MessageBox(std::wstring_view text, std::wstring_view caption,
                                  unsigned style) {
    Hold h(m_lock);
    boxes.push_back({std::wstring(text), std::wstring(caption), style});
    return nextBoxResult;
}
int RecordingMainView::RunWarningDialog() {
    Hold h(m_lock);
    ++warningRuns;
    return nextWarningResult;
}

std::vector<std::wstring> RecordingMainView::LogTexts() const {
    std::vector<std::wstring> out;
    for (const StatusLine& line : log) out.push_back(line.text);
    return out;
}

}  // namespace tesmara::testing
