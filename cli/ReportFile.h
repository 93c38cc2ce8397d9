// A file the console writes whole at the end of a command (a batch run's report, a search's
// table): opened before anything is sent, so that a file that cannot be written is refused first,
// written beside its final name and renamed over it once whole: a command that ends early or
// fails to write leaves whatever was there before.
#pragma once

#include <cstdio>
#include <string>

namespace tesmara::cli {

class ReportFile {
  public:
    ReportFile() = default;
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;
    ~ReportFile();

    // False (errno says why) when the file cannot be made.
    bool Open(const std::string& path);
    bool IsOpen() const { return m_file != nullptr; }
    // Writes `text` and puts the file in its place; false when either failed.
    bool Commit(const std::string& text);

  private:
    std::string m_path, m_temp;
    std::FILE* m_file = nullptr;
};

}  // namespace tesmara::cli
