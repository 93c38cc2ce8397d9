#include "cli/ConsoleMainView.h"

#include "platform/Text.h"

namespace tesmara::cli {

using Hold = std::lock_guard<std::mutex>;

const char* ColourTag(StatusColour colour) {
    switch (colour) {
        case StatusColour::kFailure:
            return "red";
        case StatusColour::kSuccess:
            return "green";
        case StatusColour::kProgress:
            break;
    }
    return "white";
}

void ConsoleMainView::AppendStatusLine(std::wstring_view text, StatusColour colour) {
    Hold h(m_lock);
    m_log.push_back({std::wstring(text), colour});
    if (m_echo) {
        std::fprintf(m_echo, "[%s] %s\n", ColourTag(colour), WideToUtf8(text).c_str());
        std::fflush(m_echo);
    }
}

void ConsoleMainView::ClearStatusLog() {
    Hold h(m_lock);
    m_log.clear();
}

int ConsoleMainView::RowCount() {
    Hold h(m_lock);
    return static_cast<int>(m_rows.size());
}

bool ConsoleMainView::IsChecked(int row) {
    Hold h(m_lock);
    return row >= 0 && row < static_cast<int>(m_rows.size()) && m_rows[row].checked;
}

void ConsoleMainView::SetChecked(int row, bool checked) {
    Hold h(m_lock);
    if (row >= 0 && row < static_cast<int>(m_rows.size())) m_rows[row].checked = checked;
}

DeviceRow* ConsoleMainView::DeviceOfRow(int row) {
    Hold h(m_lock);
    return row >= 0 && row < static_cast<int>(m_rows.size()) ? m_rows[row].device : nullptr;
}

void ConsoleMainView::InsertRow(int row, std::wstring_view numberText) {
    Hold h(m_lock);
    if (row < 0 || row > static_cast<int>(m_rows.size())) row = static_cast<int>(m_rows.size());
    ConsoleRow added;
    added.cells[0] = numberText;
    m_rows.insert(m_rows.begin() + row, added);
}

void ConsoleMainView::SetCellText(int row, int column, std::wstring_view text) {
    Hold h(m_lock);
    if (row >= 0 && row < static_cast<int>(m_rows.size()) && column >= 0 && column < 10) {
        m_rows[row].cells[column] = text;
    }
}

void ConsoleMainView::SetItemData(int row, DeviceRow* device) {
    Hold h(m_lock);
    if (row >= 0 && row < static_cast<int>(m_rows.size())) m_rows[row].device = device;
}

void ConsoleMainView::DeleteAllRows() {
    Hold h(m_lock);
    m_rows.clear();
}

bool ConsoleMainView::IsButtonChecked(int id) {
    Hold h(m_lock);
    auto it = m_checks.find(id);
    return it != m_checks.end() && it->second;
}

void ConsoleMainView::SetButtonChecked(int id, bool checked) {
    Hold h(m_lock);
    m_checks[id] = checked;
}

std::wstring ConsoleMainView::ControlText(int id) {
    Hold h(m_lock);
    auto it = m_texts.find(id);
    return it == m_texts.end() ? std::wstring() : it->second;
}

void ConsoleMainView::SetControlText(int id, std::wstring_view text) {
    Hold h(m_lock);
    m_texts[id] = text;
}

bool ConsoleMainView::IsAddressBlank(int id) {
    return ControlText(id).empty();
}

int ConsoleMainView::MessageBox(std::wstring_view text, std::wstring_view, unsigned style) {
    std::fprintf(stderr, "[message] %s\n", WideToUtf8(text).c_str());
    if ((style & 0xF) == kBoxYesNo) return kBoxResultYes;
    return kBoxResultOk;
}

std::vector<ConsoleLine> ConsoleMainView::Log() {
    Hold h(m_lock);
    return m_log;
}

std::vector<ConsoleRow> ConsoleMainView::Rows() {
    Hold h(m_lock);
    return m_rows;
}

}  // namespace tesmara::cli
