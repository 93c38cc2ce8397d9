#include "view/InMemoryMainView.h"

#include <chrono>
#include <thread>

namespace tesmara {

void InMemoryMainView::AppendStatusLine(std::wstring_view text, StatusColour colour) {
    Hold h(m_lock);
    log.push_back({std::wstring(text), colour});
}

void InMemoryMainView::ClearStatusLog() {
    Hold h(m_lock);
    log.clear();
}

int InMemoryMainView::RowCount() {
    Hold h(m_lock);
    return static_cast<int>(rows.size());
}

bool InMemoryMainView::IsChecked(int row) {
    Hold h(m_lock);
    return HasRow(row) && rows[row].checked;
}

void InMemoryMainView::SetChecked(int row, bool checked) {
    Hold h(m_lock);
    if (HasRow(row)) rows[row].checked = checked;
}

DeviceRow* InMemoryMainView::DeviceOfRow(int row) {
    Hold h(m_lock);
    return HasRow(row) ? rows[row].device : nullptr;
}

void InMemoryMainView::InsertRow(int row, std::wstring_view numberText) {
    Hold h(m_lock);
    if (row < 0 || row > static_cast<int>(rows.size())) row = static_cast<int>(rows.size());
    TableRow added;
    added.cells[0] = numberText;
    rows.insert(rows.begin() + row, added);
}

std::wstring InMemoryMainView::CellText(int row, int column) {
    Hold h(m_lock);
    if (!HasRow(row) || column < 0 || column >= static_cast<int>(kDeviceColumns.size())) return {};
    return rows[row].cells[column];
}

void InMemoryMainView::SetCellText(int row, int column, std::wstring_view text) {
    Hold h(m_lock);
    if (HasRow(row) && column >= 0 && column < static_cast<int>(kDeviceColumns.size())) {
        rows[row].cells[column] = text;
    }
}

void InMemoryMainView::SetItemData(int row, DeviceRow* device) {
    Hold h(m_lock);
    if (HasRow(row)) rows[row].device = device;
}

void InMemoryMainView::DeleteAllRows() {
    Hold h(m_lock);
    rows.clear();
}

void InMemoryMainView::SetTableRedraw(bool on) {
    Hold h(m_lock);
    redraw = on;
}

int InMemoryMainView::HighlightedRow() {
    Hold h(m_lock);
    return highlighted;
}

void InMemoryMainView::HighlightRow(int row) {
    Hold h(m_lock);
    highlighted = row;
}

void InMemoryMainView::EnableControl(int id, bool on) {
    Hold h(m_lock);
    enabled[id] = on;
}

void InMemoryMainView::ShowControl(int id, bool on) {
    Hold h(m_lock);
    shown[id] = on;
}

bool InMemoryMainView::IsButtonChecked(int id) {
    Hold h(m_lock);
    auto it = checks.find(id);
    return it != checks.end() && it->second;
}

void InMemoryMainView::SetButtonChecked(int id, bool checked) {
    Hold h(m_lock);
    checks[id] = checked;
}

std::wstring InMemoryMainView::ControlText(int id) {
    Hold h(m_lock);
    auto it = texts.find(id);
    return it == texts.end() ? std::wstring() : it->second;
}

void InMemoryMainView::SetControlText(int id, std::wstring_view text) {
    Hold h(m_lock);
    texts[id] = text;
}

bool InMemoryMainView::IsAddressBlank(int id) {
    return ControlText(id).empty();
}

void InMemoryMainView::AddListItem(int id, std::wstring_view text, int32_t data) {
    Hold h(m_lock);
    lists[id].texts.emplace_back(text);
    lists[id].data.push_back(data);
}

void InMemoryMainView::SelectListItem(int id, int position) {
    Hold h(m_lock);
    ListState& list = lists[id];
    list.selected = position >= 0 && position < static_cast<int>(list.data.size()) ? position : -1;
}

int32_t InMemoryMainView::SelectedItemData(int id) {
    Hold h(m_lock);
    auto it = lists.find(id);
    if (it == lists.end() || it->second.selected < 0) return kNoListItem;
    return it->second.data[it->second.selected];
}

void InMemoryMainView::SetWindowEnabled(bool on) {
    Hold h(m_lock);
    windowEnabled.push_back(on);
}

bool InMemoryMainView::IsWindowEnabled() {
    Hold h(m_lock);
    return windowEnabled.empty() || windowEnabled.back();
}

void InMemoryMainView::ServeUntil(const std::function<bool()>& done) {
    // Workers reach this view directly: there is nothing to serve, only the wait.
    while (!done()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void InMemoryMainView::Post(Work work) {
    posted.Post(std::move(work));
}

std::vector<StatusLine> InMemoryMainView::Log() {
    Hold h(m_lock);
    return log;
}

std::vector<TableRow> InMemoryMainView::Rows() {
    Hold h(m_lock);
    return rows;
}

std::vector<std::wstring> InMemoryMainView::LogTexts() {
    Hold h(m_lock);
    std::vector<std::wstring> out;
    for (const StatusLine& line : log) out.push_back(line.text);
    return out;
}

}  // namespace tesmara
