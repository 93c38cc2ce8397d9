#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "batch/FileHead.h"

namespace tesmara {

FileHead ReadFileHead(const std::string& path, size_t count) {
    FileHead head;
    struct stat found {};
    if (::stat(path.c_str(), &found) != 0 || !S_ISREG(found.st_mode)) return head;
    // Without blocking, and checked again once open: a FIFO put in the file's place meanwhile
    // then fails the check instead of holding the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        head.regular = true;
        return head;
    }
    struct stat opened {};
    head.regular = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode);
    if (head.regular) {
        head.size = opened.st_size;
        head.bytes.resize(count);
        size_t got = 0;
        ssize_t n = 0;
        while (got < count) {
            n = ::read(fd, head.bytes.data() + got, count - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        head.bytes.resize(got);
        head.readable = n >= 0;
    }
    ::close(fd);
    return head;
}

}  // namespace tesmara
