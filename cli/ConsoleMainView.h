// The main window as a console sees it: the in-memory view, with status lines printed as they
// come (their colour as a tag) and message boxes answered as their default button would be.
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

namespace tesmara::cli {

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

    // The message boxes shown.
    std::vector<std::wstring> Messages();

  private:
    std::FILE* m_echo;
    bool m_echoMessages = true;
    std::vector<std::wstring> m_messages;
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
