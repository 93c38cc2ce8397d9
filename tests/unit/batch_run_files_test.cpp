// The files of a run, judged by the library's rules before any login, and never opened unless
// regular: a FIFO would hang the check itself.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "batch/RunFiles.h"
#include "quorn/FirmwareImage.h"
#include "quorn/Frame.h"
#include "tests/support/BatchFixture.h"

namespace tesmara {
namespace {

TEST(RunFiles, OnlyWhatTheLibraryTakesPasses) {
    namespace fs = std::filesystem;
    const std::string dir = ::testing::TempDir() + "run-files/";
    fs::remove_all(dir);
    fs::create_directories(dir);
    auto file = [&](const char* name, uintmax_t size) {
        const std::string path = testing::WriteImageFile(dir + name);
        fs::resize_file(path, size);  // sparse beyond the header
        return path;
    };
    ASSERT_EQ(0, mkfifo((dir + "fifo").c_str(), 0600));
    using enum RunFileFault;
    const struct {
        RunFileFault (*check)(const std::string&);
        std::string path;
        RunFileFault fault;
    } cases[] = {
        {CheckFirmwareFile, file("image", quorn::kImageHeaderSize), kNone},
        {CheckFirmwareFile, file("longer", quorn::kImageHeaderSize + 1), kNotImage},
        {CheckFirmwareFile, file("cut", quorn::kImageHeaderSize - 1), kNotImage},
        {CheckFirmwareFile, file("huge", quorn::kMaxImageFileSize + 1), kTooLarge},
        {CheckFirmwareFile, file("empty", 0), kEmpty},
        {CheckFirmwareFile, dir + "fifo", kNotRegular},
        {CheckFirmwareFile, "/dev/zero", kNotRegular},
        {CheckFirmwareFile, dir, kNotRegular},
        {CheckFirmwareFile, dir + "missing", kNotRegular},
        {CheckConfigFile, file("one", 1), kNone},
        {CheckConfigFile, file("most", quorn::kMaxPayload), kNone},
        {CheckConfigFile, file("more", quorn::kMaxPayload + 1), kTooLarge},
        {CheckConfigFile, file("none", 0), kEmpty},
        {CheckConfigFile, dir + "fifo", kNotRegular},
    };
    for (const auto& c : cases) EXPECT_EQ(c.fault, c.check(c.path)) << c.path;
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tesmara
