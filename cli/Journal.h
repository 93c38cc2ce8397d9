// The journal of a console batch run: one JSON line per device, appended and written through to
// the disk the moment its outcome is known, so that a run cut short (a killed process, a dead
// battery) can be resumed without doing a finished device twice. Each line names its job: the
// command and the content of its firmware and configuration files.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "cli/BatchReport.h"
#include "platform/DurableFile.h"

namespace tesmara::cli {

struct JournalJob {
    std::string command;   // "upgrade", "configure" or "sync-time"
    std::string firmware;  // "sha256:<hex>" of the file, empty when the job has none
    std::string config;

    friend bool operator==(const JournalJob&, const JournalJob&) = default;
    // "upgrade, firmware sha256:1a2b3c4d..., configuration ..." for messages.
    std::string Describe() const;
};

// "sha256:<64 hex>" of the file's content; empty when it cannot be read.
std::string FileDigest(const std::string& path);

// How a device is known across runs: its MAC, or "ip:port" when it was dialled without one.
std::string JournalKey(const DeviceOutcome& device);

class JournalWriter {
  public:
    explicit JournalWriter(JournalJob job) : m_job(std::move(job)) {}
    // Opens the journal for appending; false (errno set) when it cannot be written.
    bool Open(const std::string& path) { return m_file.Open(path); }
    bool IsOpen() const { return m_file.IsOpen(); }
    // One device's line, on the disk when this returns; false when it could not be written.
    bool Append(const DeviceOutcome& device);

  private:
    std::string LineOf(const DeviceOutcome& device, const std::string& time) const;

    JournalJob m_job;
    DurableFile m_file;
};

struct JournalRecord {
    std::string error;                  // why the journal is refused; empty when usable
    std::vector<std::string> warnings;  // damaged lines that were skipped
    std::set<std::string> succeeded;    // JournalKey of every device done for the job
};

// Reads a journal of `job`. A line of another job refuses the whole journal; a line that is not
// a whole record (the last one, cut by a crash) is skipped with a warning.
JournalRecord ReadJournal(const std::string& text, const JournalJob& job);

}  // namespace tesmara::cli
