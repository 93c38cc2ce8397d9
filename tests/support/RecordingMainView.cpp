#include "tests/support/RecordingMainView.h"

namespace tesmara::testing {

int RecordingMainView::ShowMessage(std::wstring_view text, std::wstring_view caption,
                                   unsigned style) {
    Hold h(m_lock);
    boxes.push_back({std::wstring(text), std::wstring(caption), style});
    return nextBoxResult;
}

}  // namespace tesmara::testing
