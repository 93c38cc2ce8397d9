// The main window as a console sees it: the in-memory view, with status lines printed as they
// come (their colour as a tag), message boxes answered as their default button would be, and a
// loop that handles posted progress on the main thread while the workers run.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "app/Dialogs.h"
#include "app/InMemoryMainView.h"

namespace tesmara {
struct MainDialogState;
}

namespace tesmara::cli {

// "white", "red" or "green".
const char* ColourTag(StatusColour colour);

class ConsoleMainView : public InMemoryMainView {
  public:
    // `echo` receives each status line as "[colour] text"; null keeps them quiet.
    explicit ConsoleMainView(std::FILE* echo) : m_echo(echo) {}

    void AppendStatusLine(std::wstring_view text, StatusColour colour) override;
    // Nobody is there to answer: every question is answered as the default button would be.
    int ShowMessage(std::wstring_view text, std::wstring_view caption, unsigned style) override;

    // The console's main loop: hands posted progress to its handler until every worker of
    // `dialog` has ended, then joins them and handles what is left.
    void RunUntilWorkersEnd(MainDialogState& dialog);

  private:
    void HandlePosted(MainDialogState& dialog);

    std::FILE* m_echo;
};

// Nobody is there to answer: the warning is accepted, no file is ever chosen, no password dialog
// is ever confirmed.
class ConsoleDialogs : public Dialogs {
  public:
    bool ConfirmOwnAddress() override { return true; }
    std::optional<std::wstring> ChooseFile(FileKind) override { return std::nullopt; }
    bool EditPassword(DeviceAccess&, const PasswordTarget&) override { return false; }
};

}  // namespace tesmara::cli
