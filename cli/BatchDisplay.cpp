#include "cli/BatchDisplay.h"

#include <cwchar>

#include "cli/ConsoleMainView.h"
#include "platform/Showable.h"
#include "platform/Text.h"
#include "view/DeviceRow.h"

namespace tesmara::cli {
namespace {

constexpr auto kRedrawEvery = std::chrono::milliseconds(200);
constexpr int kBarWidth = 30;

const char* AnsiColour(StatusColour colour) {
    switch (colour) {
        case StatusColour::kFailure:
            return "\x1b[31m";
        case StatusColour::kSuccess:
            return "\x1b[32m";
        case StatusColour::kProgress:
            break;
    }
    return "";
}

// A percentage the Upgrade Status cell shows ("37%"), or -1.
int PercentOf(const std::string& state) {
    if (state.size() < 2 || state.size() > 4 || state.back() != '%') return -1;
    int value = 0;
    for (size_t i = 0; i + 1 < state.size(); ++i) {
        if (state[i] < '0' || state[i] > '9') return -1;
        value = value * 10 + (state[i] - '0');
    }
    return value;
}

std::string Counters(const BatchTally& tally) {
    char text[96];
    std::snprintf(text, sizeof text, "Totals: %d  Success: %d  Fail: %d", tally.total,
                  tally.success, tally.fail);
    return text;
}

}  // namespace

std::string DeviceState(const std::wstring& status, const DeviceOutcome& device) {
    const std::string cell = WideToUtf8(status);
    if (device.finished) return device.succeeded ? "done" : "failed";
    if (!cell.empty() && cell != kNoValue) return cell;
    return device.lastLine.empty() ? "waiting" : "working";
}

BatchDisplay::BatchDisplay(DisplayStyle style, std::FILE* out, size_t count, int height)
    : m_style(style), m_out(out), m_count(count), m_height(height) {
    m_lastStatus.resize(m_count);
}

std::vector<std::string> BatchDisplay::LiveLines(const std::vector<std::wstring>& states,
                                                 const std::vector<DeviceOutcome>& devices,
                                                 const BatchTally& tally) const {
    std::vector<std::string> lines;
    const bool perDevice = static_cast<int>(m_count) + 2 < m_height;
    int percentSum = 0, finished = 0;
    for (size_t i = 0; i < m_count && i < devices.size() && i < states.size(); ++i) {
        const std::string state = DeviceState(states[i], devices[i]);
        const int percent = PercentOf(state);
        finished += devices[i].finished ? 1 : 0;
        percentSum += devices[i].finished ? 100 : percent > 0 ? percent : 0;
        if (perDevice) {
            char text[160];
            std::snprintf(text, sizeof text, "  %-15s %s", ShowableUtf8(devices[i].ip).c_str(),
                          ShowableUtf8(state).c_str());
            lines.push_back(text);
        }
    }
    if (!perDevice && m_count > 0) {
        const int average = percentSum / static_cast<int>(m_count);
        const int filled = average * kBarWidth / 100;
        std::string bar(static_cast<size_t>(filled), '#');
        bar.append(static_cast<size_t>(kBarWidth - filled), '.');
        char text[160];
        std::snprintf(text, sizeof text, "  [%s] %3d%%  %d of %zu devices finished", bar.c_str(),
                      average, finished, m_count);
        lines.push_back(text);
    }
    lines.push_back("  " + Counters(tally));
    return lines;
}

void BatchDisplay::PrintNewLines(const std::vector<StatusLine>& log) {
    for (; m_printed < log.size(); ++m_printed) {
        const StatusLine& line = log[m_printed];
        const std::string text = WideToUtf8(Showable(line.text));
        if (m_style == DisplayStyle::kTerminal) {
            std::fprintf(m_out, "%s%s\x1b[0m\n", AnsiColour(line.colour), text.c_str());
        } else {
            std::fprintf(m_out, "[%s] %s\n", ColourTag(line.colour), text.c_str());
        }
    }
}

void BatchDisplay::EraseLive() {
    if (m_liveLines > 0) std::fprintf(m_out, "\x1b[%dA\x1b[J", m_liveLines);
    m_liveLines = 0;
}

void BatchDisplay::Update(const std::vector<StatusLine>& log,
                          const std::vector<std::wstring>& states,
                          const std::vector<DeviceOutcome>& devices, const BatchTally& tally) {
    if (m_style == DisplayStyle::kQuiet) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastDraw < kRedrawEvery) return;
    m_lastDraw = now;
    if (m_style == DisplayStyle::kTerminal) {
        EraseLive();
        PrintNewLines(log);
        for (const std::string& line : LiveLines(states, devices, tally)) {
            std::fprintf(m_out, "\x1b[2K%s\n", line.c_str());
            ++m_liveLines;
        }
    } else {
        PrintNewLines(log);
        // Progress as plain lines: each device at 25, 50 and 75 % and each other state once.
        for (size_t i = 0; i < m_count && i < devices.size() && i < states.size(); ++i) {
            if (devices[i].finished) continue;
            std::string state = DeviceState(states[i], devices[i]);
            const int percent = PercentOf(state);
            if (percent >= 0) state = std::to_string(percent / 25 * 25) + "%";
            if (state == m_lastStatus[i] || state == "waiting" || state == "0%" ||
                state == "100%") {
                continue;
            }
            m_lastStatus[i] = state;
            std::fprintf(m_out, "[progress] %s %s\n", ShowableUtf8(devices[i].ip).c_str(),
                         ShowableUtf8(state).c_str());
        }
    }
    std::fflush(m_out);
}

void BatchDisplay::Finish(const std::vector<StatusLine>& log,
                          const std::vector<std::wstring>& states,
                          const std::vector<DeviceOutcome>& devices, const BatchTally& tally) {
    if (m_style == DisplayStyle::kQuiet) return;
    m_lastDraw = {};
    Update(log, states, devices, tally);
    if (m_style == DisplayStyle::kTerminal) {
        EraseLive();
        PrintNewLines(log);
    }
    std::fprintf(m_out, "%s\n", Counters(tally).c_str());
    std::fflush(m_out);
}

}  // namespace tesmara::cli
