#include "app/StatusLogFile.h"

#include <utility>

#include "platform/Format.h"
#include "platform/Showable.h"
#include "platform/Text.h"

namespace tesmara {

std::string StatusLogFileLine(const CalendarTime& time, StatusColour colour,
                              std::wstring_view text) {
    return FormatNarrow("%04d-%02d-%02d %02d:%02d:%02d [%s] ", time.year, time.month, time.day,
                        time.hour, time.minute, time.second, ColourTag(colour)) +
           WideToUtf8(Showable(text)) + "\r\n";
}

std::wstring StatusLogFileName(const CalendarTime& day) {
    return Utf8ToWide(FormatNarrow("tesmara-%04d-%02d-%02d.log", day.year, day.month, day.day));
}

StatusLogFile::StatusLogFile(std::wstring folder, FileAppender& files, LocalNow now)
    : m_folder(std::move(folder)), m_files(files), m_now(std::move(now)) {}

std::optional<std::wstring> StatusLogFile::Record(std::wstring_view text, StatusColour colour) {
    const CalendarTime now = m_now();
    const std::wstring name = StatusLogFileName(now);
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_files.Append(m_folder, name, StatusLogFileLine(now, colour, text)) || m_warned) {
        return std::nullopt;
    }
    m_warned = true;
    if (m_folder.empty()) {
        return L"The log file could not be written: no folder for it (LOCALAPPDATA is not set)";
    }
    return L"The log file could not be written: " + m_folder + L"\\" + name;
}

CalendarTime StatusLogFile::SystemLocalNow() {
    CalendarTime now;
    ToLocalCalendar(UtcSecondsNow(), now);
    return now;
}

}  // namespace tesmara
