// A file that lines are appended to and written through to the disk one at a time: a journal
// whose every line must outlive the process being killed, or the battery dying, right after.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tesmara {

class DurableFile {
  public:
    DurableFile() = default;
    ~DurableFile();
    DurableFile(const DurableFile&) = delete;
    DurableFile& operator=(const DurableFile&) = delete;

    // Opens `path` (in the system's narrow encoding, as the other file options) for appending,
    // creating it; false when it cannot be.
    bool Open(const std::string& path);
    bool IsOpen() const { return m_handle != kClosed; }
    // Appends `bytes` whole and returns once they are on the disk; false when either failed.
    bool AppendDurably(std::string_view bytes);

  private:
    static constexpr intptr_t kClosed = -1;
    intptr_t m_handle = kClosed;  // a descriptor, or a Windows file handle
};

}  // namespace tesmara
