// tesmara-cli: the main window's search and batch runs without a window, for scripts and
// headless use.
//
//   tesmara-cli search [--assign START] [--json] [--csv FILE] [--limit N] [--interface ADDR]
//               [--code-page N]
//   tesmara-cli upgrade --firmware FILE [--config FILE] [--sync-time] [--parallel N] DEVICES
//               [RUN OPTIONS]
//   tesmara-cli configure --config FILE [--sync-time] DEVICES [RUN OPTIONS]
//   tesmara-cli sync-time DEVICES [RUN OPTIONS]
//   tesmara-cli set-display [--language N|NAME] [--standard PAL|NTSC] [--resolution W*H] DEVICES
//               [--user NAME] [--password-file FILE] [--code-page N] [--dry-run]
//               (cli/DisplayCommand.h)
//   tesmara-cli set-address | set-ports | set-password ...   (cli/PanelCommands.h)
//   tesmara-cli add --device IP[:PORT] ...                   (cli/AddCommand.h)
//   tesmara-cli interfaces [--json]                          (cli/InterfacesCommand.h)
//   tesmara-cli --help | --version
//
//   DEVICES: --all | --mac M[,M...] | --ip A[,A...]   (chosen from a search)
//            | --device IP[:PORT] ...                  (dialled without a search)
//            [--interface ADDR]   (the search leaves by that adapter only)
//   RUN OPTIONS: --user NAME (admin) --password-file FILE (or TESMARA_PASSWORD, or a prompt)
//                --json --report FILE.csv --verify [--verify-wait S] --code-page N
//                --limit N --stop-after-failures K --journal FILE --resume FILE --dry-run
//
// The search runs the same worker as "IP Search"; the batch commands tick the chosen rows, set
// the mode boxes and press "Start" on the same workers and progress handlers as the window.
// Exits 0 when the search completed or every device succeeded, 1 otherwise, 2 on a usage error
// (one line on stderr that names the option and what is wrong; nothing is sent then).
#include <CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>

#include "addressing/AddressPlanning.h"
#include "addressing/StartAddress.h"
#include "cli/AddCommand.h"
#include "cli/BatchCommand.h"
#include "cli/CommandSockets.h"
#include "cli/Console.h"
#include "cli/ConsoleSearch.h"
#include "cli/DeviceSelection.h"
#include "cli/DisplayCommand.h"
#include "cli/InterfacesCommand.h"
#include "cli/PanelCommands.h"
#include "cli/ReportFile.h"
#include "cli/SearchReport.h"
#include "cli/Terminal.h"
#include "discovery/SearchPolling.h"
#include "platform/AddressText.h"
#include "platform/Clock.h"
#include "platform/Sockets.h"
#include "platform/Text.h"

namespace tesmara::cli {
namespace {

constexpr int kRun = -1;

struct Options {
    std::string command;
    bool assign = false;
    std::string startAddress;
    bool json = false;
    int limit = kDeviceLimit;
    std::string csvPath;  // search --csv
    unsigned codePage = 0;
    BatchOptions batch;
    std::string passwordFile;
    std::vector<std::string> macs, addresses, devices;
    std::string language, standard, resolution;  // set-display, as given
    DisplayChoice display;
};

int Usage(const std::string& reason) {
    std::fprintf(stderr, "tesmara-cli: %s\n", reason.c_str());
    return 2;
}

// A CLI11 check from one of ours that returns a reason, empty when the text is good.
CLI::Validator Check(std::string (*check)(const std::string&), const char* what) {
    return CLI::Validator([check](std::string& text) { return check(text); }, "", what);
}

std::string CheckCodePage(const std::string& text) {
    unsigned long n = std::strtoul(text.c_str(), nullptr, 10);
    return n > 0 && n <= 65535 && IsKnownCodePage(static_cast<unsigned>(n))
               ? std::string()
               : text + " is not a code page this system can convert";
}

std::string CheckStartAddress(const std::string& text) {
    std::string reason;
    if (!ValidateStartAddress(text, reason)) return reason;
    // The plan hands out .254 at most: from .255 every recorder found would be left unplaced.
    uint32_t address = 0;
    ParseDottedAddress(text, address);
    if ((address & 0xFF) > kHighestPlannedHost) {
        return "\"" + text +
               "\" ends in 255, the broadcast address; no address is left to hand out";
    }
    return {};
}

// A count of devices or failures: a whole number from 1 to `highest`.
CLI::Validator CountUpTo(int highest) {
    return CLI::Validator(
        [highest](std::string& text) -> std::string {
            const bool digits = !text.empty() && text.size() <= 9 &&
                                text.find_first_not_of("0123456789") == std::string::npos;
            if (!digits) return "\"" + text + "\" is not a whole number";
            const long n = std::strtol(text.c_str(), nullptr, 10);
            if (n < 1 || n > highest) return text + " is not from 1 to " + std::to_string(highest);
            return {};
        },
        "", "count");
}

std::string CheckMacText(const std::string& text) {
    return CheckMac(text);
}

std::string CheckEndpointText(const std::string& text) {
    return CheckEndpoint(text);
}

void AddCodePage(CLI::App* command, int& codePage) {
    command->add_option("--code-page", codePage, "code page of the recorders' texts (default 936)")
        ->type_name("N")
        ->check(Check(CheckCodePage, "code page"));
}

// The devices a command works on and the login it uses.
void AddDeviceOptions(CLI::App* command, Options& options, int& codePage) {
    BatchOptions& batch = options.batch;
    CLI::Option* all = command->add_flag("--all", batch.selection.all,
                                         "every recorder the search finds (at most --limit)");
    CLI::Option* mac = command->add_option("--mac", options.macs, "recorders found with these MACs")
                           ->type_name("M[,M...]")
                           ->delimiter(',')
                           ->check(Check(CheckMacText, "MAC"));
    CLI::Option* ip =
        command->add_option("--ip", options.addresses, "recorders found at these addresses")
            ->type_name("A[,A...]")
            ->delimiter(',')
            ->check(Check(CheckDeviceAddress, "address"));
    CLI::Option* device =
        command
            ->add_option("--device", options.devices,
                         "dial this recorder without a search (repeatable; port 34567 unless "
                         "given)")
            ->type_name("IP[:PORT]")
            ->check(Check(CheckEndpointText, "device"));
    all->excludes(mac, ip, device);
    mac->excludes(ip, device);
    ip->excludes(device);
    command->add_option("--user", batch.user, "login name (default admin)")->type_name("NAME");
    command
        ->add_option("--password-file", options.passwordFile,
                     "read the password from the first line of FILE (otherwise from "
                     "TESMARA_PASSWORD, or asked for without echo)")
        ->type_name("FILE");
    AddCodePage(command, codePage);
    AddInterfaceOption(command);
}

// How many rows a search lists at most: the window's 50 unless told.
void AddLimit(CLI::App* command, int& limit) {
    command
        ->add_option("--limit", limit,
                     "list at most N recorders (default 50, as the window; at most 1000)")
        ->type_name("N")
        ->check(CountUpTo(kLargestDeviceLimit));
}

// The options every batch command takes: the devices, the login, how the run is reported, and
// how a site-scale run is paced and recorded.
void AddRunOptions(CLI::App* command, Options& options, int& codePage) {
    BatchOptions& batch = options.batch;
    AddDeviceOptions(command, options, codePage);
    AddLimit(command, batch.limit);
    command
        ->add_option("--stop-after-failures", batch.stopAfterFailures,
                     "start no further device once K devices have failed (those left are "
                     "\"not started\")")
        ->type_name("K")
        ->check(CountUpTo(kLargestDeviceLimit));
    command
        ->add_option("--journal", batch.journalPath,
                     "append one JSON line per device the moment its outcome is known, written "
                     "through to the disk")
        ->type_name("FILE");
    command
        ->add_option("--resume", batch.resumePath,
                     "skip the devices this journal records as done for the same job (same "
                     "command and file content); goes on writing it unless --journal names "
                     "another")
        ->type_name("FILE");
    command->add_flag("--dry-run", batch.dryRun,
                      "search (or take the dialled devices), then say per device what would be "
                      "done; nothing else is sent");
    command->add_flag("--json", batch.json, "print one JSON document at the end");
    command
        ->add_option("--report", batch.reportPath,
                     "write one CSV row per device: mac, ip, version before, result, last "
                     "line, seconds")
        ->type_name("FILE.csv");
}

// Reads the password from where the options say; a usage error (2) when there is none.
int TakePassword(Options& options) {
    std::string& password = options.batch.password;
    if (!options.passwordFile.empty()) {
        std::ifstream file(options.passwordFile, std::ios::binary);
        if (!file) return Usage("--password-file: cannot read \"" + options.passwordFile + "\"");
        std::getline(file, password);
        if (!password.empty() && password.back() == '\r') password.pop_back();
        return kRun;
    }
    if (const char* fromEnvironment = std::getenv("TESMARA_PASSWORD")) {
        password = fromEnvironment;
        return kRun;
    }
    const std::string prompt = "Password for " + options.batch.user + ": ";
    if (ReadHiddenLine(prompt.c_str(), password)) return kRun;
    return Usage(
        "no password: give --password-file FILE or set TESMARA_PASSWORD (standard input is not a "
        "terminal to ask on)");
}

// By identity, not by name: "./fw.bin", a hard link or a symbolic link reach the same file.
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

// A file the run writes (the report replaces its file, the journal appends to it) may not be one
// of the run's inputs, nor the other output: writing it would destroy that file.
int RefuseOverInput(const Options& options, const char* option, const std::string& output) {
    const BatchOptions& batch = options.batch;
    const std::pair<const std::string*, const char*> inputs[] = {
        {&batch.firmwarePath, "--firmware"},
        {&batch.configPath, "--config"},
        {&options.passwordFile, "--password-file"},
        {&batch.reportPath, "--report"}};
    for (const auto& [input, name] : inputs) {
        if (output.empty() || input == &output || input->empty()) continue;
        if (SameFile(output, *input)) {
            return Usage(std::string(option) + ": \"" + output + "\" is the " + name +
                         " file; name a file of its own");
        }
    }
    return kRun;
}

// The journal is appended to and the resumed one read: both must be there to use, and neither
// may be one of the run's inputs.
int CheckJournalFiles(const Options& options) {
    const BatchOptions& batch = options.batch;
    std::error_code error;
    if (!batch.resumePath.empty() && !std::filesystem::is_regular_file(batch.resumePath, error)) {
        return Usage("--resume: no journal \"" + batch.resumePath + "\" to resume");
    }
    if (batch.journalPath.empty()) return kRun;
    const std::filesystem::path folder = std::filesystem::path(batch.journalPath).parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
        return Usage("--journal: the folder \"" + folder.string() + "\" does not exist");
    }
    return RefuseOverInput(options, "--journal", batch.journalPath);
}

// What the parsed options leave to check: one way of choosing devices, --verify only where a
// search gives versions, each dialled device once.
int CheckBatch(Options& options) {
    BatchOptions& batch = options.batch;
    for (const std::string& text : options.macs) {
        std::string form;
        CheckMac(text, &form);
        batch.selection.macs.push_back(form);
    }
    batch.selection.addresses = options.addresses;
    std::set<std::string> dialled;
    for (const std::string& text : options.devices) {
        Endpoint endpoint;
        CheckEndpoint(text, &endpoint);
        // Status lines name a device by its address only.
        if (!dialled.insert(endpoint.address).second) {
            return Usage("--device: " + endpoint.address +
                         " is given twice (the log tells devices apart by address)");
        }
        batch.endpoints.push_back(endpoint);
    }
    if (!batch.selection.all && batch.selection.macs.empty() && batch.selection.addresses.empty() &&
        batch.endpoints.empty()) {
        return Usage(options.command +
                     ": no devices chosen: give --all, --mac M[,M...], --ip A[,A...] or --device "
                     "IP[:PORT]");
    }
    if (int status = RefuseOverInput(options, "--report", batch.reportPath); status != kRun) {
        return status;
    }
    if (batch.verify && !batch.endpoints.empty()) {
        return Usage(
            "--verify: needs the versions a search reports; choose the devices with "
            "--all, --mac or --ip");
    }
    if (int status = CheckJournalFiles(options); status != kRun) return status;
    // Nothing is sent in a dry run: no password is needed.
    return batch.dryRun ? kRun : TakePassword(options);
}

// set-display: at least one setting, each a value the configuration dialog offers.
int CheckDisplay(Options& options) {
    if (options.language.empty() && options.standard.empty() && options.resolution.empty()) {
        return Usage("set-display: nothing to set: give --language, --standard or --resolution");
    }
    using Parse = std::string (*)(const std::string&, DisplayChoice&);
    const std::pair<const std::string*, Parse> given[] = {{&options.language, ParseLanguage},
                                                          {&options.standard, ParseStandard},
                                                          {&options.resolution, ParseResolution}};
    for (const auto& [text, parse] : given) {
        if (text->empty()) continue;
        if (std::string reason = parse(*text, options.display); !reason.empty()) {
            return Usage(reason);
        }
    }
    return CheckBatch(options);
}

// A password is never taken as an argument: other users of the machine can read those.
int RefusePasswordArgument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--password" || arg.rfind("--password=", 0) == 0 || arg == "-p") {
            return Usage(arg.substr(0, arg.find('=')) +
                         ": a password is never taken on the command line; use --password-file "
                         "FILE or TESMARA_PASSWORD");
        }
    }
    return kRun;
}

// kRun: run the command; otherwise the exit status (help or version printed: 0; a usage error
// told in one line: 2).
int ParseOptions(int argc, char** argv, Options& options, PanelOptions& panel, AddOptions& add) {
    if (int status = RefusePasswordArgument(argc, argv); status != kRun) return status;
    CLI::App app(
        "Searches the local network for recorders, as the window's \"IP Search\" does, "
        "and upgrades, configures or sets the clock of them, as its \"Start\" does; and changes "
        "one recorder's address, ports or "
        "password, as its panel does.",
        "tesmara-cli");
    app.set_version_flag("--version", "tesmara-cli " TESMARA_VERSION);
    app.require_subcommand(1);
    CLI::App* search = app.add_subcommand("search", "list the recorders that answer");
    search
        ->add_option("--assign", options.startAddress,
                     "give every recorder found a new address from START on (192.168.1.11 gives "
                     ".11, .12, ...), and list those that confirm")
        ->type_name("START")
        ->check(Check(CheckStartAddress, "start address"));
    search->add_flag("--json", options.json, "print one JSON document: {ok, log, devices}");
    search
        ->add_option("--csv", options.csvPath,
                     "also write the table to FILE: a header row, then one row per recorder with "
                     "every column (UTF-8)")
        ->type_name("FILE.csv");
    AddLimit(search, options.limit);
    int codePage = 0;
    AddCodePage(search, codePage);
    AddInterfaceOption(search);

    BatchOptions& batch = options.batch;
    CLI::App* upgrade = app.add_subcommand(
        "upgrade",
        "upgrade the chosen recorders' firmware; with --config, configure each after "
        "its restart");
    upgrade->add_option("--firmware", batch.firmwarePath, "firmware image")
        ->type_name("FILE")
        ->required()
        ->check(CLI::ExistingFile);
    upgrade->add_option("--config", batch.configPath, "configuration file (.coi)")
        ->type_name("FILE")
        ->check(CLI::ExistingFile);
    upgrade->add_flag("--sync-time", batch.syncTime, "set each recorder's clock first");
    upgrade
        ->add_option("--parallel", batch.parallel,
                     "at most N recorders in their transfer (and restart wait) at once; the "
                     "next starts as one ends (default: all at once)")
        ->type_name("N")
        ->check(CountUpTo(kLargestDeviceLimit));
    upgrade->add_flag("--verify", batch.verify,
                      "search again after the run and fail every device whose version did not "
                      "change");
    upgrade
        ->add_option("--verify-wait", batch.verifyWaitSeconds,
                     "how long --verify waits for the devices to come back (default 180)")
        ->type_name("SECONDS")
        ->check(CLI::Range(1, 3600));
    AddRunOptions(upgrade, options, codePage);

    CLI::App* configure =
        app.add_subcommand("configure", "import a configuration file into the chosen recorders");
    configure->add_option("--config", batch.configPath, "configuration file (.coi)")
        ->type_name("FILE")
        ->required()
        ->check(CLI::ExistingFile);
    configure->add_flag("--sync-time", batch.syncTime, "set each recorder's clock first");
    AddRunOptions(configure, options, codePage);

    CLI::App* syncTime = app.add_subcommand(
        "sync-time", "set the chosen recorders' clocks to this computer's local time");
    AddRunOptions(syncTime, options, codePage);

    CLI::App* setDisplay = app.add_subcommand(
        "set-display", "set the chosen recorders' menu language, video standard or resolution");
    setDisplay->add_option("--language", options.language, "menu language: 0-21 or its name")
        ->type_name("N|NAME");
    setDisplay->add_option("--standard", options.standard, "video standard")->type_name("PAL|NTSC");
    setDisplay
        ->add_option("--resolution", options.resolution,
                     "output resolution: 1920*1080, 1440*900, 1280*1024, 1280*720 or 1024*768")
        ->type_name("W*H");
    AddDeviceOptions(setDisplay, options, codePage);
    setDisplay->add_flag("--dry-run", options.batch.dryRun,
                         "search as usual, say what would be done to each recorder; log in "
                         "nowhere");
    AddPanelCommands(app, panel);
    AddAddCommand(app, add);
    AddInterfacesCommand(app, options.json);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {  // --help or --version
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return Usage(e.what());
    }
    options.codePage = static_cast<unsigned>(codePage);
    CLI::App* chosen = app.get_subcommands().front();
    options.command = chosen->get_name();
    if (chosen == search) {
        options.assign = search->count("--assign") > 0;
        return kRun;
    }
    if (chosen == setDisplay) return CheckDisplay(options);
    // The panel commands check their own options when they run.
    if (chosen != upgrade && chosen != configure && chosen != syncTime) return kRun;
    batch.command = options.command;
    batch.upgrade = chosen == upgrade;
    batch.configure = chosen == configure || !batch.configPath.empty();
    batch.syncTime = batch.syncTime || chosen == syncTime;
    return CheckBatch(options);
}

int RunSearch(const Options& options) {
    // A table that cannot be written is refused before anything is sent.
    ReportFile csv;
    if (!options.csvPath.empty() && !csv.Open(options.csvPath)) {
        std::fprintf(stderr, "tesmara-cli: --csv: cannot write \"%s\": %s\n",
                     options.csvPath.c_str(), std::strerror(errno));
        return 2;
    }
    if (!StartSockets()) {
        std::fputs("tesmara-cli: the sockets layer did not start\n", stderr);
        return 1;
    }
    SearchJob job;
    job.assign = options.assign;
    job.deviceLimit = options.limit;
    // Texts reach the devices in the ANSI code page, as the window's would.
    if (options.assign) MakeAddressPlan(job.plan, WideToAnsi(Utf8ToWide(options.startAddress)));
    SegmentSearch search =
        SearchSegment(job, CommandSockets(), SystemClock(), options.json ? nullptr : stdout);

    const std::vector<StatusLine>& log = search.log;
    std::vector<TableRow> rows = search.Rows();
    bool ok = search.completed;
    // Recorders that answered an assigning search but of which none took an address: the job
    // asked for was not done. Those left without one have a red line each.
    const bool answered =
        !search.devices.empty() || std::any_of(log.begin(), log.end(), [](const StatusLine& line) {
            return line.colour == StatusColour::kFailure;
        });
    const bool nonePlaced = ok && options.assign && answered && rows.empty();
    if (nonePlaced) ok = false;
    if (!options.json) std::fputs("\n", stdout);
    std::string out = options.json ? ReportJson(ok, log, rows) : TableText(rows);
    std::fputs(out.c_str(), stdout);
    std::fflush(stdout);
    // A failed search leaves the file of an earlier one as it was.
    if (csv.IsOpen() && search.completed && !csv.Commit(TableCsv(rows))) {
        std::fprintf(stderr, "tesmara-cli: --csv: writing \"%s\" failed\n",
                     options.csvPath.c_str());
        ok = false;
    }
    if (nonePlaced) {
        std::fputs("tesmara-cli: recorders answered, but none took a new address\n", stderr);
    } else if (ok && rows.empty()) {
        std::fputs(
            "tesmara-cli: no recorder answered; usual causes: a firewall blocking UDP port "
            "5001, the wrong network adapter (see --interface), or no recorder on this network "
            "segment\n",
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
    AddOptions add;
    if (int status = ParseOptions(argc, argv, options, panel, add); status != kRun) return status;
    if (options.codePage != 0) tesmara::SetAnsiCodePage(options.codePage);
    try {
        // The parser and its subcommands are gone here: only the chosen name is left to go by.
        if (int status = RunPanelCommand(options.command, panel); status >= 0) return status;
        if (options.command == "set-display") {
            return RunSetDisplay(options.batch, options.display);
        }
        if (options.command == "add") return RunAddCommand(add);
        if (options.command == "interfaces") return RunInterfaces(options.json);
        if (options.command != "search") return RunBatch(options.batch);
        return RunSearch(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tesmara-cli: %s\n", e.what());
        return 1;
    }
}
