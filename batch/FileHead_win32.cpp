#include <sys/stat.h>

#include <cstdio>

#include "batch/FileHead.h"

namespace tesmara {

FileHead ReadFileHead(const std::string& path, size_t count) {
    FileHead head;
    // The C runtime takes narrow paths in the ANSI code page, as the library's own fopen does.
    struct _stat64 found {};
    if (::_stat64(path.c_str(), &found) != 0 || (found.st_mode & _S_IFMT) != _S_IFREG) return head;
    head.regular = true;
    head.size = found.st_size;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return head;
    head.bytes.resize(count);
    head.bytes.resize(std::fread(head.bytes.data(), 1, count, file));
    head.readable = std::ferror(file) == 0;
    std::fclose(file);
    return head;
}

}  // namespace tesmara
