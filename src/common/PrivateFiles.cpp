#include "common/PrivateFiles.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zorl {

bool CreatePrivateFolder(const std::string& path) { return ::mkdir(path.c_str(), 0700) == 0; }

bool CreatePrivateFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

std::FILE* OpenPrivateForAppend(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "ab");
    if (!file) ::close(fd);
    return file;
}

}  // namespace zorl
