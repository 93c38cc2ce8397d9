// The window's status log kept on disk as well: each line as it is shown, with its local time and
// its colour's name, appended to one file per day. The log on screen is emptied by every search
// and gone with the window; the file is what is left to show when a recorder misbehaved.
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileAppend.h"
#include "platform/LocalTime.h"
#include "view/StatusColour.h"

namespace tesmara {

// "2026-12-08 15:20:01 [green] Search completed!" and CRLF (Notepad of Windows 7 shows nothing
// else as a line break); control characters of the text are escaped, so one status line is one
// line of the file.
std::string StatusLogFileLine(const CalendarTime& time, StatusColour colour,
                              std::wstring_view text);

// "tesmara-2026-12-08.log": the day the line was shown.
std::wstring StatusLogFileName(const CalendarTime& day);

class StatusLogFile {
  public:
    using LocalNow = std::function<CalendarTime()>;
    // `folder` (a Windows path, without a trailing backslash) is where the daily files go; empty
    // when there is no such place, and then every line fails.
    StatusLogFile(std::wstring folder, FileAppender& files, LocalNow now = SystemLocalNow);

    // Appends the line (any thread). The first line of this object's life that cannot be
    // written returns the red line the window shows for it, naming the file; every later
    // failure is quiet, and later lines are still tried.
    std::optional<std::wstring> Record(std::wstring_view text, StatusColour colour);

    static CalendarTime SystemLocalNow();

  private:
    const std::wstring m_folder;
    FileAppender& m_files;
    const LocalNow m_now;
    std::mutex m_lock;  // one line at a time, whole
    bool m_warned = false;
};

}  // namespace tesmara
