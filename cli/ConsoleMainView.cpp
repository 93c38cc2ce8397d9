#include "cli/ConsoleMainView.h"

#include "app/MainDialogState.h"
#include "batch/UpgradeProgress.h"
#include "cli/Showable.h"
#include "platform/Clock.h"
#include "platform/Text.h"

namespace tesmara::cli {
namespace {

constexpr uint32_t kLoopPauseMs = 20;

}  // namespace

const char* ColourTag(StatusColour colour) {
    switch (colour) {
        case StatusColour::kFailure:
            return "red";
        case StatusColour::kSuccess:
            return "green";
        case StatusColour::kProgress:
            break;
    }
    return "white";
}

void ConsoleMainView::AppendStatusLine(std::wstring_view text, StatusColour colour) {
    Hold h(m_lock);
    InMemoryMainView::AppendStatusLine(text, colour);
    m_lineTimes.resize(log.size(), std::chrono::steady_clock::now());
    if (m_echo) {
        std::fprintf(m_echo, "[%s] %s\n", ColourTag(colour), WideToUtf8(Showable(text)).c_str());
        std::fflush(m_echo);
    }
}

void ConsoleMainView::ClearStatusLog() {
    Hold h(m_lock);
    InMemoryMainView::ClearStatusLog();
    m_lineTimes.clear();
}

int ConsoleMainView::ShowMessage(std::wstring_view text, std::wstring_view, unsigned style) {
    {
        Hold h(m_lock);
        m_messages.emplace_back(text);
    }
    if (m_echoMessages) {
        std::fprintf(stderr, "[message] %s\n", WideToUtf8(Showable(text)).c_str());
    }
    if ((style & 0xF) == kBoxYesNo) return kBoxResultYes;
    return kBoxResultOk;
}

std::vector<std::chrono::steady_clock::time_point> ConsoleMainView::LineTimes() {
    Hold h(m_lock);
    return m_lineTimes;
}

std::vector<std::wstring> ConsoleMainView::Messages() {
    Hold h(m_lock);
    return m_messages;
}

void ConsoleMainView::HandlePosted(MainDialogState& dialog) {
    for (const PostedProgress& posted : TakePosted()) {
        ++m_progressHandled;
        OnUpgradeProgress(dialog, posted.kind, posted.device, posted.value);
    }
}

void ConsoleMainView::RunUntilWorkersEnd(MainDialogState& dialog,
                                         const std::function<void()>& tick) {
    while (dialog.m_workers.Running() > 0 || !dialog.m_counters.Ended()) {
        HandlePosted(dialog);
        if (tick) tick();
        dialog.m_clock.SleepMs(kLoopPauseMs);
    }
    dialog.m_workers.JoinAll();
    HandlePosted(dialog);
    if (tick) tick();
}

}  // namespace tesmara::cli
