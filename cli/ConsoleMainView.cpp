#include "cli/ConsoleMainView.h"

#include "app/MainDialogState.h"
#include "batch/UpgradeProgress.h"
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
    if (m_echo) {
        std::fprintf(m_echo, "[%s] %s\n", ColourTag(colour), WideToUtf8(text).c_str());
        std::fflush(m_echo);
    }
}

int ConsoleMainView::ShowMessage(std::wstring_view text, std::wstring_view, unsigned style) {
    std::fprintf(stderr, "[message] %s\n", WideToUtf8(text).c_str());
    if ((style & 0xF) == kBoxYesNo) return kBoxResultYes;
    return kBoxResultOk;
}

void ConsoleMainView::HandlePosted(MainDialogState& dialog) {
    for (const PostedProgress& posted : TakePosted()) {
        OnUpgradeProgress(dialog, posted.kind, posted.device, posted.value);
    }
}

void ConsoleMainView::RunUntilWorkersEnd(MainDialogState& dialog) {
    while (dialog.m_workers.Running() > 0) {
        HandlePosted(dialog);
        dialog.m_clock.SleepMs(kLoopPauseMs);
    }
    dialog.m_workers.JoinAll();
    HandlePosted(dialog);
}

}  // namespace tesmara::cli
