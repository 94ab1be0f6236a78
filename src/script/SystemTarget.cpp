#include "script/SystemTarget.h"

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "common/Text.h"

namespace zorl {
namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// "scheme://...", with a scheme of RFC 3986 ("svn+ssh", "h323"), or the
// two forms the desktop reads without one.
bool IsLink(std::string_view name) {
    if (StartsWithNoCase(name, "www.") || StartsWithNoCase(name, "mailto:")) return true;
    const std::size_t end = name.find("://");
    if (end == std::string_view::npos || end == 0 || !IsLetter(name[0])) return false;
    return std::all_of(name.begin(), name.begin() + static_cast<long>(end), [](char c) {
        return IsLetter(c) || IsDigit(c) || c == '+' || c == '-' || c == '.';
    });
}

bool IsDocument(const std::string& name, const std::string& workingDir) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status =
        fs::status(name.starts_with('/') ? name : workingDir + name, error);
    if (error) return false;
    if (fs::is_directory(status)) return true;
    constexpr fs::perms kRunnable =
        fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    return fs::is_regular_file(status) && (status.permissions() & kRunnable) == fs::perms::none;
}

}  // namespace

bool OpensWithTheDesktop(const std::string& name, const std::string& workingDir) {
    return !name.empty() && (IsLink(name) || IsDocument(name, workingDir));
}

}  // namespace zorl
