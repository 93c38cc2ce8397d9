// The main window as a console sees it: status lines are printed as they come, with their colour
// as a tag; the table, the controls and the window state are kept in memory for the final report.
#pragma once

#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "app/MainView.h"

namespace tesmara::cli {

struct ConsoleLine {
    std::wstring text;
    StatusColour colour;
};

struct ConsoleRow {
    std::vector<std::wstring> cells = std::vector<std::wstring>(10);
    bool checked = false;
    DeviceRow* device = nullptr;
};

// "white", "red" or "green".
const char* ColourTag(StatusColour colour);

class ConsoleMainView : public MainView {
  public:
    // `echo` receives each status line as "[colour] text"; null keeps them quiet.
    explicit ConsoleMainView(std::FILE* echo) : m_echo(echo) {}

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
    void SetTableRedraw(bool) override {}
    int HighlightedRow() override { return -1; }
    void EnableControl(int, bool) override {}
    bool IsButtonChecked(int id) override;
    void SetButtonChecked(int id, bool checked) override;
    std::wstring ControlText(int id) override;
    void SetControlText(int id, std::wstring_view text) override;
    bool IsAddressBlank(int id) override;
    void EnableWindow(bool) override {}
    // Nobody is there to answer: every question is answered as the default button would be.
    int MessageBox(std::wstring_view text, std::wstring_view caption, unsigned style) override;
    int RunWarningDialog() override { return kBoxResultOk; }

    std::vector<ConsoleLine> Log();
    std::vector<ConsoleRow> Rows();

  private:
    std::mutex m_lock;
    std::FILE* m_echo;
    std::vector<ConsoleLine> m_log;
    std::vector<ConsoleRow> m_rows;
    std::map<int, bool> m_checks;
    std::map<int, std::wstring> m_texts;
};

}  // namespace tesmara::cli
