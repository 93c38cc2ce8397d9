// The window's log file: one line per status line, in the file of its day, and a file that
// cannot be written said once.
#include <gtest/gtest.h>

#include <vector>

#include "app/StatusLogFile.h"

namespace tesmara {
namespace {

struct ScriptedFiles : FileAppender {
    bool Append(const std::wstring&, const std::wstring& name, std::string_view bytes) override {
        written.push_back(name + L" " + std::wstring(bytes.begin(), bytes.end()));
        return works;
    }
    bool works = true;
    std::vector<std::wstring> written;
};

TEST(StatusLogFile, EachLineGoesToTheFileOfItsDayWithTimeAndColourAndCannotForgeAnother) {
    ScriptedFiles files;
    CalendarTime now{2027, 1, 2, 3, 4, 5};
    StatusLogFile log(L"C:\\logs", files, [&now] { return now; });
    log.Record(L"Search completed!", StatusColour::kSuccess);
    now = {2027, 1, 3, 0, 0, 9};
    log.Record(L"a\r\n2027 [green] b", StatusColour::kFailure);
    EXPECT_EQ(files.written,
              (std::vector<std::wstring>{
                  L"tesmara-2027-01-02.log 2027-01-02 03:04:05 [green] Search completed!\r\n",
                  L"tesmara-2027-01-03.log 2027-01-03 00:00:09 [red] a\\r\\n2027 [green] b\r\n"}));
}

TEST(StatusLogFile, AFileThatCannotBeWrittenIsSaidOnceAndStillTried) {
    ScriptedFiles files;
    files.works = false;
    StatusLogFile log(L"C:\\logs", files, [] { return CalendarTime{2027, 1, 2, 3, 4, 5}; });
    EXPECT_EQ(log.Record(L"Searching...", StatusColour::kProgress),
              L"The log file could not be written: C:\\logs\\tesmara-2027-01-02.log");
    EXPECT_FALSE(log.Record(L"Search completed!", StatusColour::kSuccess));
    EXPECT_EQ(files.written.size(), 2u);
}

}  // namespace
}  // namespace tesmara
