#include "cli/BatchCommand.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <thread>

#include "batch/BatchRun.h"
#include "batch/RunFiles.h"
#include "cli/BatchDisplay.h"
#include "cli/BatchDryRun.h"
#include "cli/BatchReport.h"
#include "cli/CommandSockets.h"
#include "cli/ConsoleBatchStatus.h"
#include "cli/ConsoleMainView.h"
#include "cli/ConsoleSearch.h"
#include "cli/Journal.h"
#include "cli/ReportFile.h"
#include "cli/Terminal.h"
#include "devaccess/DeviceAccessFactory.h"
#include "platform/Clock.h"
#include "platform/PostedWork.h"
#include "platform/Showable.h"
#include "platform/Sockets.h"
#include "platform/Text.h"
#include "view/DeviceRow.h"
#include "view/DeviceTable.h"

namespace tesmara::cli {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr auto kVerifyRetryPause = std::chrono::seconds(1);

// One search that keeps the devices' own addresses, quietly.
SegmentSearch Search(int limit) {
    SearchJob job;
    job.deviceLimit = limit;
    return SearchSegment(job, CommandSockets(), SystemClock(), nullptr);
}

void PrintLog(std::FILE* out, const std::vector<StatusLine>& log) {
    if (!out) return;
    for (const StatusLine& line : log) {
        std::fprintf(out, "[%s] %s\n", ColourTag(line.colour),
                     WideToUtf8(Showable(line.text)).c_str());
    }
    std::fflush(out);
}

// The chosen devices as the job's (numbered 0, 1 ... in its rows) and their outcomes, parallel;
// then the outcomes of those asked for and not found.
struct Selected {
    std::vector<BatchDevice> devices;
    std::vector<DeviceOutcome> outcomes;
};

Selected SelectFromSearch(const BatchOptions& options, SegmentSearch& search) {
    Selected out;
    const std::vector<TableRow> table = search.Rows();
    const SelectedRows picked = SelectRows(options.selection, table);
    for (int row : picked.rows) {
        const DeviceRow* device = table[static_cast<size_t>(row)].device;
        if (!device) continue;
        const int index = static_cast<int>(out.devices.size());
        out.devices.push_back(
            {device->macText, device->ipText, device->tcpPort, index, device->conflicting});
        DeviceOutcome outcome;
        outcome.mac = WideToUtf8(AnsiToWide(device->macText));
        outcome.ip = AnsiToUtf8(device->ipText);
        outcome.port = device->tcpPort;
        outcome.versionBefore = AnsiToUtf8(device->details.releaseVersion);
        out.outcomes.push_back(outcome);
    }
    for (const std::string& name : picked.notFound) {
        DeviceOutcome missing;
        (name.find('.') != std::string::npos ? missing.ip : missing.mac) = name;
        missing.problem = "not found by the search";
        out.outcomes.push_back(missing);
    }
    return out;
}

Selected Dialled(const BatchOptions& options) {
    Selected out;
    for (const Endpoint& endpoint : options.endpoints) {
        const int index = static_cast<int>(out.devices.size());
        out.devices.push_back({"", endpoint.address, endpoint.port, index, false});
        DeviceOutcome outcome;
        outcome.ip = endpoint.address;
        outcome.port = endpoint.port;
        out.outcomes.push_back(outcome);
    }
    return out;
}

BatchKind KindOf(const BatchOptions& options) {
    if (options.upgrade && options.configure) return BatchKind::kUpgradeConfigure;
    if (options.upgrade) return BatchKind::kUpgrade;
    if (options.configure) return BatchKind::kConfigure;
    return BatchKind::kSyncTime;
}

// Searches until every upgraded device reports a version other than its old one, or the wait is
// over; a device seen only with its old version, or not seen at all, has failed.
void Verify(const BatchOptions& options, std::vector<DeviceOutcome>& devices) {
    std::vector<DeviceOutcome*> pending;
    for (DeviceOutcome& device : devices) {
        if (device.Succeeded() && !device.mac.empty()) pending.push_back(&device);
    }
    const auto deadline = SteadyClock::now() + std::chrono::seconds(options.verifyWaitSeconds);
    while (!pending.empty()) {
        if (SegmentSearch search = Search(options.limit); search.completed) {
            const std::vector<TableRow> table = search.Rows();
            std::erase_if(pending, [&](DeviceOutcome* device) {
                for (const TableRow& row : table) {
                    if (WideToUtf8(row.cells[kColumnMac]) != device->mac || !row.device) continue;
                    device->versionAfter = AnsiToUtf8(row.device->details.releaseVersion);
                    return device->versionAfter != device->versionBefore;
                }
                return false;
            });
        }
        if (SteadyClock::now() >= deadline) break;
        std::this_thread::sleep_for(kVerifyRetryPause);
    }
    for (DeviceOutcome* device : pending) {
        device->problem = device->versionAfter.empty() ? "not back after the upgrade"
                                                       : "firmware version unchanged";
    }
}

void PrintSummary(std::FILE* out, const std::vector<DeviceOutcome>& devices, bool verify) {
    if (!out) return;
    std::fputs(SummaryText(devices, verify).c_str(), out);
    std::fflush(out);
}

// A file the library would refuse, said in one line before anything is sent; true when usable.
bool UsableFile(const char* option, const std::string& path, RunFileFault fault) {
    if (fault == RunFileFault::kNone) return true;
    std::fprintf(stderr, "tesmara-cli: %s: \"%s\" %s\n", option, path.c_str(),
                 RunFileFaultText(fault));
    return false;
}

// The journal's side of a run: the job it names, the devices a resumed journal has done, and
// the writer of this run's lines.
struct JournalSide {
    JournalJob job;
    std::set<std::string> done;
    std::unique_ptr<JournalWriter> writer;
    std::string path;
    bool failed = false;  // a line could not be written: the run goes on, and exits 1
};

// Reads the journal to resume and opens the one to write; 2 on a usage error (said in one
// line), -1 to go on. A dry run writes nothing.
int PrepareJournal(const BatchOptions& options, JournalSide& side) {
    side.job.command = options.command;
    if (options.upgrade) side.job.firmware = FileDigest(options.firmwarePath);
    if (options.configure) side.job.config = FileDigest(options.configPath);
    if (!options.resumePath.empty()) {
        std::ifstream file(options.resumePath, std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "tesmara-cli: --resume: no journal \"%s\" to resume\n",
                         options.resumePath.c_str());
            return 2;
        }
        const std::string text{std::istreambuf_iterator<char>(file), {}};
        JournalRecord record = ReadJournal(text, side.job);
        if (!record.error.empty()) {
            std::fprintf(stderr, "tesmara-cli: --resume: \"%s\": %s\n", options.resumePath.c_str(),
                         record.error.c_str());
            return 2;
        }
        for (const std::string& warning : record.warnings) {
            std::fprintf(stderr, "tesmara-cli: --resume: \"%s\": %s\n", options.resumePath.c_str(),
                         warning.c_str());
        }
        side.done = std::move(record.succeeded);
    }
    // A resumed run goes on writing the journal it resumes unless told otherwise.
    side.path = options.journalPath.empty() ? options.resumePath : options.journalPath;
    if (side.path.empty()) return -1;
    // The options' check made sure its folder is there; a dry run writes nothing.
    if (options.dryRun) return -1;
    side.writer = std::make_unique<JournalWriter>(side.job);
    if (!side.writer->Open(side.path)) {
        std::fprintf(stderr, "tesmara-cli: --journal: cannot write \"%s\": %s\n", side.path.c_str(),
                     std::strerror(errno));
        return 2;
    }
    return -1;
}

// Leaves out of the run the devices the resumed journal has done, saying so for each.
void SkipDoneBefore(const JournalSide& side, const std::string& resumePath, Selected& selected,
                    std::FILE* out) {
    if (side.done.empty()) return;
    std::erase_if(selected.devices, [&](const BatchDevice& device) {
        DeviceOutcome& outcome = selected.outcomes[static_cast<size_t>(device.row)];
        if (side.done.count(JournalKey(outcome)) == 0) return false;
        outcome.doneBefore = true;
        if (out) {
            std::fprintf(out, "[%s] done before (journal \"%s\"): skipped\n", outcome.ip.c_str(),
                         resumePath.c_str());
        }
        return true;
    });
}

}  // namespace

int RunBatch(const BatchOptions& options) {
    if ((options.upgrade && !UsableFile("--firmware", options.firmwarePath,
                                        CheckFirmwareFile(options.firmwarePath))) ||
        (options.configure &&
         !UsableFile("--config", options.configPath, CheckConfigFile(options.configPath))))
        return 2;
    // A report or journal that cannot be written is refused before anything is sent.
    ReportFile report;
    if (!options.dryRun && !options.reportPath.empty() && !report.Open(options.reportPath)) {
        std::fprintf(stderr, "tesmara-cli: --report: cannot write \"%s\": %s\n",
                     options.reportPath.c_str(), std::strerror(errno));
        return 2;
    }
    JournalSide journal;
    if (int status = PrepareJournal(options, journal); status >= 0) return status;
    if (!StartSockets()) {
        std::fputs("tesmara-cli: the sockets layer did not start\n", stderr);
        return 1;
    }
    std::FILE* out = options.json ? nullptr : stdout;
    std::unique_ptr<DeviceAccess> access = CreateDeviceAccess();
    access->DevInit(nullptr, nullptr);
    // This thread owns the run: the library's progress is posted to it.
    WorkQueue owner;

    Selected selected;
    if (options.endpoints.empty()) {
        SegmentSearch search = Search(options.limit);
        PrintLog(out, search.log);
        if (!search.completed) {
            std::fputs("tesmara-cli: the search failed; nothing was sent\n", stderr);
            return 1;
        }
        selected = SelectFromSearch(options, search);
    } else {
        selected = Dialled(options);
    }
    SkipDoneBefore(journal, options.resumePath, selected, out);
    std::vector<DeviceOutcome>& devices = selected.outcomes;

    BatchJob job;
    job.kind = KindOf(options);
    job.clockFirst = options.syncTime && (options.upgrade || options.configure);
    job.keepOwnAddress = true;
    job.firmwarePath = options.firmwarePath;
    job.configPath = options.configPath;
    job.user = options.user;
    job.password = options.password;
    job.devices = selected.devices;
    job.parallel = options.parallel;
    job.stopAfterFailures = options.stopAfterFailures;
    if (options.dryRun) {
        const DryRunPlan plan = PlanDryRun(job, devices, journal.job.firmware, journal.job.config);
        std::fputs(plan.text.c_str(), stdout);
        std::fflush(stdout);
        return plan.startable ? 0 : 1;
    }

    BatchSummary summary;
    summary.command = options.command;
    int finishes = 0;
    std::vector<StatusLine> runLog;
    const auto started = SteadyClock::now();
    const bool anyToRun = !job.devices.empty();
    if (anyToRun) {
        const DisplayStyle style = options.json         ? DisplayStyle::kQuiet
                                   : OutputIsTerminal() ? DisplayStyle::kTerminal
                                                        : DisplayStyle::kLines;
        BatchDisplay display(style, stdout, job.devices.size(), TerminalHeight());
        ConsoleBatchStatus status(devices, display, owner);
        if (journal.writer) {
            status.OnOutcome([&journal](const DeviceOutcome& device) {
                if (journal.failed || journal.writer->Append(device)) return;
                journal.failed = true;
                std::fprintf(stderr,
                             "tesmara-cli: --journal: writing \"%s\" failed; the run goes on "
                             "without it\n",
                             journal.path.c_str());
            });
        }
        auto run = std::make_shared<BatchRun>(std::move(job),
                                              BatchPorts{*access, SystemClock(), owner, status});
        run->Start();
        // The library's progress is handled as it is posted, asleep in between, until the run
        // has finished; its threads return right after.
        owner.ServeUntil([&status] { return status.Finished(); });
        run->JoinAll();
        owner.Drain();
        status.FinishDisplay();

        const BatchTally tally = status.Tally();
        finishes = status.Finishes();
        runLog = status.Log();
        summary.completions = status.Completions();
        summary.total = tally.total;
        summary.success = tally.success;
        summary.fail = tally.fail;
        summary.notStarted = tally.notStarted;
        summary.progressMessages = owner.Served();
        if (out) {
            for (const std::wstring& message : summary.completions) {
                std::fprintf(out, "%s\n", WideToUtf8(Showable(message)).c_str());
            }
        }
        if (options.verify) {
            if (out) std::fputs("Searching again for the upgraded devices...\n", out);
            Verify(options, devices);
        }
    } else if (std::none_of(devices.begin(), devices.end(),
                            [](const DeviceOutcome& d) { return d.doneBefore; })) {
        std::fputs("tesmara-cli: no recorder selected; nothing was sent\n", stderr);
    }
    summary.seconds = std::chrono::duration<double>(SteadyClock::now() - started).count();

    bool ok = !devices.empty() && (!anyToRun || finishes == 1) && !journal.failed;
    if (anyToRun && finishes != 1) {
        std::fprintf(stderr, "tesmara-cli: the run ended %d times instead of once\n", finishes);
    }
    for (const DeviceOutcome& device : devices) ok = ok && device.Succeeded();
    summary.ok = ok;
    PrintSummary(out, devices, options.verify);
    if (options.json) {
        const std::string doc = BatchJson(summary, runLog, devices, options.verify);
        std::fputs(doc.c_str(), stdout);
        std::fflush(stdout);
    }
    if (report.IsOpen() && !report.Commit(ReportCsv(devices, options.verify))) {
        std::fprintf(stderr, "tesmara-cli: --report: writing \"%s\" failed\n",
                     options.reportPath.c_str());
        ok = false;
    }
    return ok ? 0 : 1;
}

}  // namespace tesmara::cli
