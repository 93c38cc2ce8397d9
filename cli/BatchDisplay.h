// How a console batch run shows itself while it goes on. On a terminal: the status lines as
// they come, under them one line per device rewritten in place (or, when the devices do not fit
// the window, one bar for the whole run) and the counters. Elsewhere: plain lines only, each
// status line and each device's progress in steps of a quarter. With --json: nothing until the
// end.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "batch/BatchCounters.h"
#include "cli/BatchReport.h"
#include "view/InMemoryMainView.h"

namespace tesmara::cli {

enum class DisplayStyle { kTerminal, kLines, kQuiet };

class BatchDisplay {
  public:
    // For `count` devices; `height` is the terminal's line count.
    BatchDisplay(DisplayStyle style, std::FILE* out, size_t count, int height);

    // On each event of the run (at most every 200 ms): shows what changed since the last call.
    // `log` holds the run's lines, `states[i]` the "Upgrade Status" text of `devices[i]`.
    void Update(const std::vector<StatusLine>& log, const std::vector<std::wstring>& states,
                const std::vector<DeviceOutcome>& devices, const BatchTally& tally);
    // The run is over: the live lines give way to the last status lines and the counters.
    void Finish(const std::vector<StatusLine>& log, const std::vector<std::wstring>& states,
                const std::vector<DeviceOutcome>& devices, const BatchTally& tally);

  private:
    std::vector<std::string> LiveLines(const std::vector<std::wstring>& states,
                                       const std::vector<DeviceOutcome>& devices,
                                       const BatchTally& tally) const;
    void PrintNewLines(const std::vector<StatusLine>& log);
    void EraseLive();

    DisplayStyle m_style;
    std::FILE* m_out;
    size_t m_count;
    int m_height;
    size_t m_printed = 0;                   // status lines already printed
    int m_liveLines = 0;                    // lines of the live part now on screen
    std::vector<std::string> m_lastStatus;  // per device, for the plain lines
    std::chrono::steady_clock::time_point m_lastDraw{};
};

// The Upgrade Status text a device shows, or for the modes without one its last line's state.
std::string DeviceState(const std::wstring& status, const DeviceOutcome& device);

}  // namespace tesmara::cli
