// The in-memory main window, recording the message boxes it was asked to show and answering
// them with a scripted result.
#pragma once

#include <string>
#include <vector>

#include "view/InMemoryMainView.h"

namespace tesmara::testing {

struct ShownBox {
    std::wstring text;
    std::wstring caption;
    unsigned style;
};

class RecordingMainView : public InMemoryMainView {
  public:
    int ShowMessage(std::wstring_view text, std::wstring_view caption, unsigned style) override;

    std::vector<ShownBox> boxes;
    int nextBoxResult = kBoxResultOk;
};

}  // namespace tesmara::testing
