#include "cli/BatchCommand.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

#include "batch/BatchRun.h"
#include "batch/RunFiles.h"
#include "cli/BatchDisplay.h"
#include "cli/BatchReport.h"
#include "cli/CommandSockets.h"
#include "cli/ConsoleBatchStatus.h"
#include "cli/ConsoleMainView.h"
#include "cli/ConsoleSearch.h"
#include "cli/Showable.h"
#include "cli/Terminal.h"
#include "devaccess/DeviceAccessFactory.h"
#include "platform/Clock.h"
#include "platform/PostedWork.h"
#include "platform/Sockets.h"
#include "platform/Text.h"
#include "view/DeviceRow.h"
#include "view/DeviceTable.h"

namespace tesmara::cli {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr auto kVerifyRetryPause = std::chrono::seconds(1);

std::string Utf8OfAnsi(const std::string& ansi) {
    return WideToUtf8(AnsiToWide(ansi));
}

// One search that keeps the devices' own addresses, quietly.
SegmentSearch Search() {
    return SearchSegment(SearchJob{}, CommandSockets(), SystemClock(), nullptr);
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
        outcome.ip = Utf8OfAnsi(device->ipText);
        outcome.port = device->tcpPort;
        outcome.versionBefore = Utf8OfAnsi(device->details.releaseVersion);
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
        if (SegmentSearch search = Search(); search.completed) {
            const std::vector<TableRow> table = search.Rows();
            std::erase_if(pending, [&](DeviceOutcome* device) {
                for (const TableRow& row : table) {
                    if (WideToUtf8(row.cells[kColumnMac]) != device->mac || !row.device) continue;
                    device->versionAfter = Utf8OfAnsi(row.device->details.releaseVersion);
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

// The report, written beside its final name and renamed over it once whole: a run that ends
// early or fails to write leaves whatever was there before.
class ReportFile {
  public:
    ReportFile() = default;
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;
    ~ReportFile() {
        if (!m_file) return;
        std::fclose(m_file);
        std::remove(m_temp.c_str());
    }

    bool Open(const std::string& path) {
        m_path = path;
        m_temp = path + ".tesmara-tmp";
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {  // the rename at the end would fail
            errno = EISDIR;
            return false;
        }
        m_file = std::fopen(m_temp.c_str(), "wb");
        return m_file != nullptr;
    }
    bool IsOpen() const { return m_file != nullptr; }

    bool Commit(const std::string& text) {
        bool written = std::fwrite(text.data(), 1, text.size(), m_file) == text.size();
        written = std::fclose(m_file) == 0 && written;
        m_file = nullptr;
        std::error_code error;
        if (written) std::filesystem::rename(m_temp, m_path, error);
        if (!written || error) std::remove(m_temp.c_str());
        return written && !error;
    }

  private:
    std::string m_path, m_temp;
    std::FILE* m_file = nullptr;
};

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

}  // namespace

int RunBatch(const BatchOptions& options) {
    if ((options.upgrade && !UsableFile("--firmware", options.firmwarePath,
                                        CheckFirmwareFile(options.firmwarePath))) ||
        (options.configure &&
         !UsableFile("--config", options.configPath, CheckConfigFile(options.configPath))))
        return 2;
    // A report that cannot be written is refused before anything is sent.
    ReportFile report;
    if (!options.reportPath.empty() && !report.Open(options.reportPath)) {
        std::fprintf(stderr, "tesmara-cli: --report: cannot write \"%s\": %s\n",
                     options.reportPath.c_str(), std::strerror(errno));
        return 2;
    }
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
        SegmentSearch search = Search();
        PrintLog(out, search.log);
        if (!search.completed) {
            std::fputs("tesmara-cli: the search failed; nothing was sent\n", stderr);
            return 1;
        }
        selected = SelectFromSearch(options, search);
    } else {
        selected = Dialled(options);
    }
    std::vector<DeviceOutcome>& devices = selected.outcomes;

    BatchSummary summary;
    summary.command = options.command;
    int finishes = 0;
    std::vector<StatusLine> runLog;
    const auto started = SteadyClock::now();
    if (!selected.devices.empty()) {
        BatchJob job;
        job.kind = KindOf(options);
        job.clockFirst = options.syncTime && (options.upgrade || options.configure);
        job.keepOwnAddress = true;
        job.firmwarePath = options.firmwarePath;
        job.configPath = options.configPath;
        job.user = options.user;
        job.password = options.password;
        job.devices = selected.devices;

        const DisplayStyle style = options.json         ? DisplayStyle::kQuiet
                                   : OutputIsTerminal() ? DisplayStyle::kTerminal
                                                        : DisplayStyle::kLines;
        BatchDisplay display(style, stdout, job.devices.size(), TerminalHeight());
        ConsoleBatchStatus status(devices, display, owner);
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
    } else {
        std::fputs("tesmara-cli: no recorder selected; nothing was sent\n", stderr);
    }
    summary.seconds = std::chrono::duration<double>(SteadyClock::now() - started).count();

    bool ok = !selected.devices.empty() && finishes == 1;
    if (!selected.devices.empty() && finishes != 1) {
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
