#include "config/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace zorl {
namespace {

bool ReadAll(int fd, std::string& bytes) {
    char buffer[8192];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;  // EISDIR, EIO, ...
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

// Writes all of `data`, but gives up once `limit` bytes went out, as a full
// device would.
bool WriteAll(int fd, std::string_view data, std::size_t limit) {
    std::size_t written = 0;
    while (!data.empty()) {
        if (written >= limit) return false;
        std::size_t chunk = std::min(data.size(), limit - written);
        ssize_t n = ::write(fd, data.data(), chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
        written += static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the rename itself durable; a failure here loses nothing.
void SyncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// The new file keeps the old one's permissions; a new file stays private
// (0600, as the temporary file is created), since it may hold passwords.
void CopyPermissions(const std::string& from, int toFd) {
    struct stat old;
    if (::stat(from.c_str(), &old) == 0) ::fchmod(toFd, old.st_mode & 07777);
}

}  // namespace

IniText SplitIniText(std::string_view bytes) {
    IniText text;
    std::size_t firstEnd = bytes.find('\n');
    if (firstEnd != std::string_view::npos && firstEnd > 0 && bytes[firstEnd - 1] == '\r')
        text.lineEnd = "\r\n";
    while (!bytes.empty()) {
        std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        std::string_view lineEnd = end == std::string_view::npos ? "" : "\n";
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
            lineEnd = lineEnd.empty() ? "\r" : "\r\n";
        }
        text.lines.emplace_back(line);
        text.readEnds.emplace_back(lineEnd);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    }
    text.read = text.lines;
    return text;
}

std::string JoinIniText(const IniText& text) {
    std::string bytes;
    // Edits insert, replace or remove a few lines: each line is looked for
    // among the read lines from just after the last one found.
    std::size_t next = 0;
    for (const std::string& line : text.lines) {
        std::size_t at = next;
        while (at < text.read.size() && text.read[at] != line) ++at;
        bytes += line;
        if (at == text.read.size() || text.readEnds[at].empty()) {
            bytes += text.lineEnd;
        } else {
            // A last line that ended in a lone CR gets its LF.
            bytes += text.readEnds[at];
            if (!text.readEnds[at].ends_with('\n')) bytes += '\n';
        }
        if (at < text.read.size()) next = at + 1;
    }
    return bytes;
}

LoadResult LoadIniText(const std::string& path, IniText& out) {
    out = IniText{};
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? LoadResult::Missing : LoadResult::Unreadable;
    std::string bytes;
    bool ok = ReadAll(fd, bytes);
    ::close(fd);
    if (!ok) return LoadResult::Unreadable;
    out = SplitIniText(bytes);
    return LoadResult::Read;
}

bool SaveIniText(const std::string& path, const IniText& text, std::size_t deviceLimit) {
    std::string temp = path + ".XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    CopyPermissions(path, fd);
    bool ok = WriteAll(fd, JoinIniText(text), deviceLimit) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(FolderOf(path));
    return true;
}

}  // namespace zorl
