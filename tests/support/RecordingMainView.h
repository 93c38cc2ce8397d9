// A MainView that keeps the window's state in memory and records what was done to it.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "app/MainView.h"

namespace tesmara::testing {

struct StatusLine {
    std::wstring text;
    StatusColour colour;
};

struct TableRow {
    std::vector<std::wstring> cells = std::vector<std::wstring>(10);
    bool checked = false;
    DeviceRow* device = nullptr;
};

struct ShownBox {
    std::wstring text;
    std::wstring caption;
    unsigned style;
};

class RecordingMainView : public MainView {
  public:
    void AppendStatusLine(std::wstring_view text, StatusColour colour) override;
    void ClearStatusLog() override;
    int RowCount() override;
    bool IsChecked(int row) override;
    void SetChecked(int row, bool checked) override;
    DeviceRow* DeviceOfRow(int row) override;
    void InsertRow(int row, std::wstring_view numberText) override;
    void SetCellText(int row, int column, std::wstring_view text) override;
    void SetItemData(int row, DeviceRow* device) override;
    void DeleteAllRows() override;
    void SetTableRedraw(bool on) override;
    int HighlightedRow() override;
    void EnableControl(int id, bool enabled) override;
    bool IsButtonChecked(int id) override;
    void SetButtonChecked(int id, bool checked) override;
    std::wstring ControlText(int id) override;
    void SetControlText(int id, std::wstring_view text) override;
    bool IsAddressBlank(int id) override;
    void EnableWindow(bool enabled) override;
    int MessageBox(std::wstring_view text, std::wstring_view caption, unsigned style) override;
    int RunWarningDialog() override;

    // Recorded state; read after the code under test has finished.
    std::vector<StatusLine> log;
    std::vector<TableRow> rows;
    std::map<int, bool> enabled;  // controls never touched are absent
    std::map<int, bool> checks;
    std::map<int, std::wstring> texts;
    std::vector<bool> windowEnabled;  // every EnableWindow call in order
    std::vector<ShownBox> boxes;
    int highlighted = -1;
    bool redraw = true;
    int nextBoxResult = kBoxResultOk;
    int nextWarningResult = 1;
    int warningRuns = 0;

    std::vector<std::wstring> LogTexts() const;

  private:
    std::recursive_mutex m_lock;  // workers call from their own threads
};

}  // namespace tesmara::testing
