// The firmware and configuration files of a run, checked before any device is logged in to, by
// the rules the library applies to them (which it could only apply after each login).
#pragma once

#include <string>

namespace tesmara {

enum class RunFileFault {
    kNone,
    kNotRegular,  // missing, a folder, a device, a FIFO
    kUnreadable,
    kEmpty,
    kTooLarge,
    kNotImage,  // firmware: no sound image header naming the rest of the file
};

// `path` as handed to the library (ANSI code page).
RunFileFault CheckFirmwareFile(const std::string& path);
RunFileFault CheckConfigFile(const std::string& path);

// What is wrong with the file, after its name: "is not a regular file", ...
const char* RunFileFaultText(RunFileFault fault);

}  // namespace tesmara
