#include "batch/RunFiles.h"

#include "batch/FileHead.h"
#include "quorn/FirmwareImage.h"
#include "quorn/Frame.h"

namespace tesmara {
namespace {

RunFileFault CheckFile(const FileHead& head, int64_t maxSize) {
    if (!head.regular) return RunFileFault::kNotRegular;
    if (!head.readable) return RunFileFault::kUnreadable;
    if (head.size <= 0) return RunFileFault::kEmpty;
    if (head.size > maxSize) return RunFileFault::kTooLarge;
    return RunFileFault::kNone;
}

}  // namespace

RunFileFault CheckFirmwareFile(const std::string& path) {
    const FileHead head = ReadFileHead(path, quorn::kImageHeaderSize);
    const RunFileFault fault = CheckFile(head, quorn::kMaxImageFileSize);
    if (fault != RunFileFault::kNone) return fault;
    if (head.bytes.size() < quorn::kImageHeaderSize ||
        !quorn::HeaderNamesFile(head.bytes.data(), head.size))
        return RunFileFault::kNotImage;
    return RunFileFault::kNone;
}

RunFileFault CheckConfigFile(const std::string& path) {
    // The library carries a configuration file in one frame; the device alone judges its content.
    return CheckFile(ReadFileHead(path, 0), quorn::kMaxPayload);
}

const char* RunFileFaultText(RunFileFault fault) {
    switch (fault) {
        case RunFileFault::kNone:
            return "is usable";
        case RunFileFault::kNotRegular:
            return "is not a regular file";
        case RunFileFault::kUnreadable:
            return "cannot be read";
        case RunFileFault::kEmpty:
            return "is empty";
        case RunFileFault::kTooLarge:
            return "is too large";
        case RunFileFault::kNotImage:
            return "is not a firmware image";
    }
    return "is not usable";
}

}  // namespace tesmara
