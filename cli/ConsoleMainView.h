// The main window as a console sees it: the in-memory view, with status lines printed as they
// come (their colour as a tag), message boxes answered as their default button would be, and a
// loop that handles posted progress on the main thread while the workers run.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "view/Dialogs.h"
#include "view/InMemoryMainView.h"

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
    void ClearStatusLog() override;
    // Message boxes are also printed on stderr as "[message] text" unless turned off.
    void SetMessageEcho(bool on) { m_echoMessages = on; }
    // Nobody is there to answer: every question is answered as the default button would be.
    int ShowMessage(std::wstring_view text, std::wstring_view caption, unsigned style) override;

    // The console's main loop: hands posted progress to its handler until every worker of
    // `dialog` has ended and no batch run is going on (an upgrade run goes on in the library
    // after its worker returned), then joins the workers and handles what is left. `tick`, when
    // given, runs on this thread after each round, for a display of the run.
    void RunUntilWorkersEnd(MainDialogState& dialog, const std::function<void()>& tick = {});

    // When each status line arrived (parallel to Log()), the message boxes shown, and the
    // progress messages handed to the handlers so far.
    std::vector<std::chrono::steady_clock::time_point> LineTimes();
    std::vector<std::wstring> Messages();
    uint64_t ProgressHandled() const { return m_progressHandled; }

  private:
    void HandlePosted(MainDialogState& dialog);

    std::FILE* m_echo;
    bool m_echoMessages = true;
    std::vector<std::chrono::steady_clock::time_point> m_lineTimes;
    std::vector<std::wstring> m_messages;
    uint64_t m_progressHandled = 0;  // main loop only
};

// Nobody is there to answer: the warning is accepted, no file is ever chosen, no password dialog
// is ever confirmed, no recorder is ever added.
class ConsoleDialogs : public Dialogs {
  public:
    bool ConfirmOwnAddress() override { return true; }
    std::optional<std::wstring> ChooseFile(FileKind) override { return std::nullopt; }
    bool EditPassword(DeviceAccess&, const PasswordTarget&) override { return false; }
    // The configuration dialog's choices come from the command line.
    bool EditConfig(ConfigForm& form) override { return config && config(form); }

    std::optional<AddedDevice> AddDevice(DeviceAccess&) override { return std::nullopt; }

    std::function<bool(ConfigForm&)> config;
};

}  // namespace tesmara::cli
