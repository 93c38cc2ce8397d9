// What a console batch run leaves behind per device: its outcome from the run's events, as a CSV
// report and as JSON.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "view/InMemoryMainView.h"

namespace tesmara::cli {

struct DeviceOutcome {
    std::string mac;  // empty when dialled without a search
    std::string ip;
    uint16_t port = 0;
    std::string versionBefore;  // from the search; empty without one
    std::string versionAfter;   // from the search after the run (--verify)
    bool finished = false;      // the run counted it
    bool succeeded = false;     // ... as a success
    std::string problem;        // why the device failed where the run does not tell
    std::string lastLine;       // the device's last status line (UTF-8)
    std::string cause;          // why the library failed its upgrade; empty when it did not
    double seconds = 0;         // from its first line to its last
    bool notStarted = false;    // left out once the run's failure limit was reached
    bool doneBefore = false;    // a resumed run's journal has it as done: not run again

    bool Succeeded() const { return problem.empty() && (doneBefore || (finished && succeeded)); }
    // "success", "failed", "not started", "done before", "unfinished", or the problem.
    std::string Result() const;
};

// The code table's meaning of a library failure code, for people ("code 99" when unknown).
std::string FailureText(int32_t code);

// One CSV field: quoted when it holds a comma, quote or line break, and a leading character that
// spreadsheets would run as a formula is neutralised with an apostrophe (texts come from devices).
std::string CsvField(const std::string& text);

// Header and one row per device: mac, ip, version_before, [version_after,] result, cause,
// last_line, seconds. Lines end with CRLF, as RFC 4180 has them.
std::string ReportCsv(const std::vector<DeviceOutcome>& devices, bool withVersionAfter);

// The lines the console prints after a run, one per device: mac, ip, result, seconds, version
// (-> version after) and cause, with every device text escaped for the terminal.
std::string SummaryText(const std::vector<DeviceOutcome>& devices, bool withVersionAfter);

struct BatchSummary {
    std::string command;
    bool ok = false;
    int32_t total = 0, success = 0, fail = 0, notStarted = 0;
    std::vector<std::wstring> completions;  // message boxes the run showed
    uint64_t progressMessages = 0;
    double seconds = 0;
};

// {"ok", "command", "total", "success", "fail", "notStarted", "completions", "progressMessages",
// "seconds",
//  "log": [{"colour", "text"}...], "devices": [{"mac", "ip", "port", "versionBefore",
//  ["versionAfter",] "result", "cause", "lastLine", "seconds"}...]}
std::string BatchJson(const BatchSummary& summary, const std::vector<StatusLine>& log,
                      const std::vector<DeviceOutcome>& devices, bool withVersionAfter);

}  // namespace tesmara::cli
