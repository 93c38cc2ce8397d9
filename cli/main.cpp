// tesmara-cli: the search of the main window without a window, for scripts and headless use.
//
//   tesmara-cli search [--assign START] [--json] [--code-page N]
//   tesmara-cli set-address | set-ports | set-password ...   (cli/PanelCommands.h)
//   tesmara-cli --help | --version
//
// Runs the same search worker as "IP Search" on the machine's own network: status lines are
// printed as they come ("[green] Search completed!"), then the device table. With --json, one
// JSON document holds both instead. Exits 0 when the search completed, 1 when it reported a
// failure, 2 on a usage error (one line on stderr that names the option and what is wrong;
// nothing is sent then).
#include <CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "app/MainDialogState.h"
#include "cli/Console.h"
#include "cli/ConsoleMainView.h"
#include "cli/PanelCommands.h"
#include "cli/SearchReport.h"
#include "devaccess/PlaceholderDeviceAccess.h"
#include "discovery/SearchCommand.h"
#include "netcfg/StartAddress.h"
#include "platform/Clock.h"
#include "platform/Sockets.h"
#include "platform/Text.h"
#include "res/MainDlgRes.h"

namespace tesmara::cli {
namespace {

constexpr int kRun = -1;

struct Options {
    bool assign = false;
    std::string startAddress;
    bool json = false;
    unsigned codePage = 0;
};

// kRun: run the search; otherwise the exit status (help or version printed: 0; a usage error
// told in one line: 2).
int ParseOptions(int argc, char** argv, Options& options, PanelOptions& panel) {
    CLI::App app("Searches the local network for recorders, as the window's \"IP Search\" does.",
                 "tesmara-cli");
    app.set_version_flag("--version", "tesmara-cli " TESMARA_VERSION);
    app.require_subcommand(1);
    CLI::App* search = app.add_subcommand("search", "list the recorders that answer");
    search
        ->add_option("--assign", options.startAddress,
                     "give every recorder found a new address from START on (192.168.1.11 gives "
                     ".11, .12, ...), and list those that confirm")
        ->type_name("START")
        ->check(CLI::Validator(
            [](std::string& text) {
                std::string reason;
                return ValidateStartAddress(text, reason) ? std::string() : reason;
            },
            "", "start address"));
    search->add_flag("--json", options.json, "print one JSON document: {ok, log, devices}");
    int codePage = 0;
    search->add_option("--code-page", codePage, "code page of the recorders' texts (default 936)")
        ->type_name("N")
        ->check(CLI::Validator(
            [](std::string& text) {
                unsigned long n = std::strtoul(text.c_str(), nullptr, 10);
                return n > 0 && n <= 65535 && IsKnownCodePage(static_cast<unsigned>(n))
                           ? std::string()
                           : text + " is not a code page this system can convert";
            },
            "", "code page"));
    AddPanelCommands(app, panel);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {  // --help or --version
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "tesmara-cli: %s\n", e.what());
        return 2;
    }
    options.assign = search->count("--assign") > 0;
    options.codePage = static_cast<unsigned>(codePage);
    return kRun;
}

int RunSearch(const Options& options) {
    if (options.codePage != 0) SetAnsiCodePage(options.codePage);
    if (!StartSockets()) {
        std::fputs("tesmara-cli: the sockets layer did not start\n", stderr);
        return 1;
    }
    ConsoleMainView view(options.json ? nullptr : stdout);
    ConsoleDialogs dialogs;
    PlaceholderDeviceAccess access;
    auto dialog =
        std::make_unique<MainDialogState>(view, dialogs, SystemSockets(), SystemClock(), access);
    g_mainDialog = &view;
    view.SetButtonChecked(IDC_OWN_ADDRESS, !options.assign);
    if (options.assign) view.SetControlText(IDC_START_ADDRESS, Utf8ToWide(options.startAddress));

    RunIpSearchCommand(*dialog);
    view.RunUntilWorkersEnd(*dialog);

    std::vector<StatusLine> log = view.Log();
    std::vector<TableRow> rows = view.Rows();
    bool ok = !log.empty() && log.back().colour == StatusColour::kSuccess;
    if (!options.json) std::fputs("\n", stdout);
    std::string out = options.json ? ReportJson(ok, log, rows) : TableText(rows);
    std::fputs(out.c_str(), stdout);
    std::fflush(stdout);
    if (ok && rows.empty()) {
        std::fputs(
            "tesmara-cli: no recorder answered; usual causes: a firewall blocking UDP port "
            "5001, the wrong network adapter, or no recorder on this network segment\n",
            stderr);
    }
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace tesmara::cli

int main(int argc, char** argv) {
    using namespace tesmara::cli;
    ConsoleOutput console;
    Options options;
    PanelOptions panel;
    if (int status = ParseOptions(argc, argv, options, panel); status != kRun) return status;
    try {
        if (int status = RunPanelCommand(panel); status >= 0) return status;
        return RunSearch(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tesmara-cli: %s\n", e.what());
        return 1;
    }
}
