// The window's log file: one line per status line, in the file of its day, and a file that
// cannot be written said once.
#include <gtest/gtest.h>

#include <vector>

#include "app/StatusLogFile.h"

namespace tesmara {
namespace {

struct ScriptedFiles : FileAppender {
    bool Append(const std::wstring& folder, const std::wstring& name,
                std::string_view bytes) override {
        written.push_back(folder + L"|" + name + L"|" + std::wstring(bytes.begin(), bytes.end()));
        return works;
    }
    std::wstring PathText(const std::wstring& folder, const std::wstring& name) override {
        return folder + L"\\" + name;
    }
    bool works = true;
    std::vector<std::wstring> written;
};

TEST(StatusLogFile, EachLineGoesToTheFileOfItsDayWithTimeAndColourEscaped) {
    ScriptedFiles files;
    CalendarTime now{2027, 1, 2, 3, 4, 5};
    StatusLogFile log(L"C:\\logs", files, [&now] { return now; });
    EXPECT_FALSE(log.Record(L"Search completed!", StatusColour::kSuccess));
    now = {2027, 1, 3, 0, 0, 9};
    EXPECT_FALSE(
        log.Record(L"[10.0.0.2] a\r\n2027-01-03 00:00:09 [green] forged", StatusColour::kFailure));
    EXPECT_EQ(
        files.written,
        (std::vector<std::wstring>{
            L"C:\\logs|tesmara-2027-01-02.log|2027-01-02 03:04:05 [green] Search completed!\r\n",
            L"C:\\logs|tesmara-2027-01-03.log|2027-01-03 00:00:09 [red] [10.0.0.2] "
            L"a\\r\\n2027-01-03 00:00:09 [green] forged\r\n"}));
}

TEST(StatusLogFile, AFileThatCannotBeWrittenIsSaidOnceAndStillTried) {
    ScriptedFiles files;
    files.works = false;
    StatusLogFile log(L"C:\\logs", files, [] { return CalendarTime{2027, 1, 2, 3, 4, 5}; });
    EXPECT_EQ(log.Record(L"Searching...", StatusColour::kProgress),
              L"The log file could not be written: C:\\logs\\tesmara-2027-01-02.log");
    EXPECT_FALSE(log.Record(L"Search completed!", StatusColour::kSuccess));
    files.works = true;
    EXPECT_FALSE(log.Record(L"Searching...", StatusColour::kProgress));
    EXPECT_EQ(files.written.size(), 3u);
}

}  // namespace
}  // namespace tesmara
