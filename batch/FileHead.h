// The start of a file that a run hands to the library, read without ever opening anything but a
// regular file: opening a FIFO blocks until a writer comes, and a device may never end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tesmara {

struct FileHead {
    bool regular = false;   // it exists and is a regular file
    bool readable = false;  // it opened and `bytes` could be read
    int64_t size = 0;
    std::vector<uint8_t> bytes;  // its first bytes, at most as many as asked for
};

// `path` as the library opens it (ANSI code page). The file type is checked before opening.
FileHead ReadFileHead(const std::string& path, size_t count);

}  // namespace tesmara
