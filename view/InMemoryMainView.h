// A MainView held wholly in memory: the state of the log, the table, the controls and the window,
// and the work posted to it, which its owner runs (posted.Drain or posted.ServeUntil). The
// console front end prints from it; the tests read it. Any thread may call it.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "view/DeviceTable.h"
#include "view/MainView.h"

namespace tesmara {

struct StatusLine {
    std::wstring text;
    StatusColour colour;
};

struct TableRow {
    std::vector<std::wstring> cells = std::vector<std::wstring>(kDeviceColumns.size());
    bool checked = false;
    DeviceRow* device = nullptr;
};

// A drop-down list: its items in order and the selected position (-1 none).
struct ListState {
    std::vector<std::wstring> texts;
    std::vector<int32_t> data;
    int selected = -1;
};

class InMemoryMainView : public MainView {
  public:
    void AppendStatusLine(std::wstring_view text, StatusColour colour) override;
    void ClearStatusLog() override;
    int RowCount() override;
    bool IsChecked(int row) override;
    void SetChecked(int row, bool checked) override;
    DeviceRow* DeviceOfRow(int row) override;
    void InsertRow(int row, std::wstring_view numberText) override;
    std::wstring CellText(int row, int column) override;
    void SetCellText(int row, int column, std::wstring_view text) override;
    void SetItemData(int row, DeviceRow* device) override;
    void DeleteAllRows() override;
    void SetTableRedraw(bool on) override;
    int HighlightedRow() override;
    void HighlightRow(int row) override;
    void EnableControl(int id, bool enabled) override;
    void ShowControl(int id, bool shown) override;
    bool IsButtonChecked(int id) override;
    void SetButtonChecked(int id, bool checked) override;
    std::wstring ControlText(int id) override;
    void SetControlText(int id, std::wstring_view text) override;
    bool IsAddressBlank(int id) override;
    void AddListItem(int id, std::wstring_view text, int32_t data) override;
    void SelectListItem(int id, int position) override;
    int32_t SelectedItemData(int id) override;
    void SetWindowEnabled(bool enabled) override;
    bool IsWindowEnabled() override;
    void ServeUntil(const std::function<bool()>& done) override;
    void Post(Work work) override;

    // Copies taken under the lock, for readers while workers may still write.
    std::vector<StatusLine> Log();
    std::vector<TableRow> Rows();
    std::vector<std::wstring> LogTexts();

    // The state itself; read directly once the code under test has finished.
    std::vector<StatusLine> log;
    std::vector<TableRow> rows;
    std::map<int, bool> enabled;  // controls never touched are absent
    std::map<int, bool> shown;
    std::map<int, bool> checks;
    std::map<int, std::wstring> texts;
    std::map<int, ListState> lists;
    std::vector<bool> windowEnabled;  // every SetWindowEnabled call in order
    int highlighted = -1;
    bool redraw = true;
    WorkQueue posted;  // run by whoever plays the window's thread

  protected:
    using Hold = std::lock_guard<std::recursive_mutex>;
    bool HasRow(int row) const { return row >= 0 && row < static_cast<int>(rows.size()); }

    std::recursive_mutex m_lock;  // workers call from their own threads
};

}  // namespace tesmara
