#include "config/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <unordered_map>

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
        std::string_view ending = end == std::string_view::npos ? "" : "\n";
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
            ending = end == std::string_view::npos ? "\r" : "\r\n";
        }
        text.lines.emplace_back(line);
        text.read.emplace_back(std::string(line), std::string(ending));
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    }
    return text;
}

std::string JoinIniText(const IniText& text) {
    std::unordered_map<std::string_view, std::deque<std::string_view>> ends;
    for (const auto& [line, ending] : text.read) ends[line].push_back(ending);
    std::string bytes;
    for (std::size_t i = 0; i < text.lines.size(); ++i) {
        const std::string& line = text.lines[i];
        std::string_view ending = text.lineEnd;
        if (auto it = ends.find(line); it != ends.end() && !it->second.empty()) {
            ending = it->second.front();
            it->second.pop_front();
        }
        // A line that lost its place at the end needs an end now.
        if (i + 1 < text.lines.size() && (ending.empty() || ending == "\r")) {
            bytes += line;
            bytes += ending;
            bytes += ending.empty() ? text.lineEnd : "\n";
            continue;
        }
        bytes += line;
        bytes += ending;
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
