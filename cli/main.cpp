// tesmara-cli: the search of the main window without a window, for scripts and headless use.
//
//   tesmara-cli search [--assign START] [--json] [--code-page N]
//
// Runs the same search worker as "IP Search" on the machine's own network: status lines are
// printed as they come ("[green] Search completed!"), then the device table. With --json, one
// JSON document holds both instead. Exits 0 when the search completed, 1 when it reported a
// failure, 2 on a usage error.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "app/MainDialogState.h"
#include "cli/Console.h"
#include "cli/ConsoleMainView.h"
#include "cli/SearchReport.h"
#include "devaccess/PlaceholderDeviceAccess.h"
#include "discovery/SearchCommand.h"
#include "platform/Clock.h"
#include "platform/Sockets.h"
#include "platform/Text.h"
#include "res/MainDlgRes.h"

namespace tesmara::cli {
namespace {

constexpr char kUsage[] =
    "usage: tesmara-cli search [--assign START] [--json] [--code-page N]\n"
    "  --assign START  give every device found a new address from START on\n"
    "                  (192.168.1.11 gives .11, .12, ...), and list those that confirm\n"
    "  --json          print one JSON document: {ok, log, devices}\n"
    "  --code-page N   code page of the devices' texts (default 936)\n";

struct Options {
    bool assign = false;
    std::string startAddress;
    bool json = false;
    unsigned codePage = 0;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    if (argc < 2 || std::strcmp(argv[1], "search") != 0) return false;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--json") {
            options.json = true;
        } else if (arg == "--assign" && i + 1 < argc) {
            options.assign = true;
            options.startAddress = argv[++i];
        } else if (arg == "--code-page" && i + 1 < argc) {
            options.codePage = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
            if (options.codePage == 0) return false;
        } else {
            return false;
        }
    }
    return true;
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
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace tesmara::cli

int main(int argc, char** argv) {
    using namespace tesmara::cli;
    PrepareConsole();
    Options options;
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        return RunSearch(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tesmara-cli: %s\n", e.what());
        return 1;
    }
}
