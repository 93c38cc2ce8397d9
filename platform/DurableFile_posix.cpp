#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/DurableFile.h"

namespace tesmara {

DurableFile::~DurableFile() {
    if (IsOpen()) ::close(static_cast<int>(m_handle));
}

bool DurableFile::Open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    m_handle = fd;
    return true;
}

bool DurableFile::AppendDurably(std::string_view bytes) {
    if (!IsOpen()) return false;
    const int fd = static_cast<int>(m_handle);
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return ::fdatasync(fd) == 0;
}

}  // namespace tesmara
