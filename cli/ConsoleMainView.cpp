#include "cli/ConsoleMainView.h"

#include "platform/Clock.h"
#include "platform/Showable.h"
#include "platform/Text.h"

namespace tesmara::cli {
void ConsoleMainView::AppendStatusLine(std::wstring_view text, StatusColour colour) {
    Hold h(m_lock);
    InMemoryMainView::AppendStatusLine(text, colour);
    if (m_echo) {
        std::fprintf(m_echo, "[%s] %s\n", ColourTag(colour), WideToUtf8(Showable(text)).c_str());
        std::fflush(m_echo);
    }
}

void ConsoleMainView::ClearStatusLog() {
    Hold h(m_lock);
    InMemoryMainView::ClearStatusLog();
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

std::vector<std::wstring> ConsoleMainView::Messages() {
    Hold h(m_lock);
    return m_messages;
}

}  // namespace tesmara::cli
