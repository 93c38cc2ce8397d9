#include "cli/ReportFile.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace tesmara::cli {

ReportFile::~ReportFile() {
    if (!m_file) return;
    std::fclose(m_file);
    std::remove(m_temp.c_str());
}

bool ReportFile::Open(const std::string& path) {
    m_path = path;
    m_temp = path + ".tesmara-tmp";
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {  // the rename at the end would fail
        errno = EISDIR;
        return false;
    }
    m_file = std::fopen(m_temp.c_str(), "wb");
    return m_file != nullptr;
}

bool ReportFile::Commit(const std::string& text) {
    bool written = std::fwrite(text.data(), 1, text.size(), m_file) == text.size();
    written = std::fclose(m_file) == 0 && written;
    m_file = nullptr;
    std::error_code error;
    if (written) std::filesystem::rename(m_temp, m_path, error);
    if (!written || error) std::remove(m_temp.c_str());
    return written && !error;
}

}  // namespace tesmara::cli
