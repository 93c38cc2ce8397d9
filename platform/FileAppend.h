// The port through which portable code appends to a file of its own (the window's log).
#pragma once

#include <string>
#include <string_view>

namespace tesmara {

class FileAppender {
  public:
    virtual ~FileAppender() = default;
    // Appends `bytes` to `folder`/`name`, making the folder and its parents first when missing.
    // True once the bytes are handed to the system: a crash of this program afterwards keeps
    // them.
    virtual bool Append(const std::wstring& folder, const std::wstring& name,
                        std::string_view bytes) = 0;
};

// The real files (Windows only: the console has no log file of its own).
FileAppender& SystemFileAppender();

}  // namespace tesmara
