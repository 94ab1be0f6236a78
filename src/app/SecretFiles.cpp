#include "app/SecretFiles.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/SharedTypes.h"
#include "common/Text.h"
#include "config/IniFile.h"
#include "config/IniSections.h"
#include "config/IniStore.h"
#include "config/ServerList.h"
#include "windows/Output.h"

namespace zorl {
namespace {

namespace fs = std::filesystem;

// Every line of the section counts, not only the first of a key or the list
// up to a gap: a password the program would not use is still in the file.
template <typename IsPassword>
bool AnyLineOf(const IniLines& lines, std::string_view section, IsPassword isPassword) {
    const std::vector<std::size_t> positions = SectionPositions(lines, section);
    for (std::size_t p = 1; p < positions.size(); ++p) {
        const std::string_view line = lines[positions[p]];
        const std::string value = ValueOf(line);
        if (!value.empty() && isPassword(line.substr(0, line.find('=')), value)) return true;
    }
    return false;
}

bool ZorlIniHoldsPassword(const IniLines& lines) {
    return AnyLineOf(lines, "SERVER", [](std::string_view key, const std::string&) {
        return EqualsNoCase(key, "Password") || EqualsNoCase(key, "SaslPassword");
    });
}

bool ServersIniHoldsPassword(const IniLines& lines) {
    return AnyLineOf(lines, CServerList::kSection, [](std::string_view, const std::string& value) {
        const ServerEntry entry = ParseServerEntry(value);
        return !entry.password.empty() || !entry.extras.saslPassword.empty();
    });
}

struct SecretFile {
    const char* name;
    bool (*holdsPassword)(const IniLines&);
};

bool OpenToOthers(const fs::file_status& status) {
    constexpr fs::perms kOthers = fs::perms::group_all | fs::perms::others_all;
    return fs::is_regular_file(status) && (status.permissions() & kOthers) != fs::perms::none;
}

void MakePrivate(const std::string& path, const SecretFile& file, COutput& output) {
    std::error_code error;
    if (!OpenToOthers(fs::status(path, error))) return;
    IniText text;
    if (LoadIniText(path, text) != LoadResult::Read || !file.holdsPassword(text.lines)) return;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace,
                    error);
    const std::string name(file.name);
    if (error) {
        output.Status(Cls::UError, "** " + name +
                                       " holds a password and is open to other users, but could "
                                       "not be made private (0600): " +
                                       error.message());
    } else {
        output.Status(Cls::Info, "** " + name +
                                     " holds a password and was open to other users: it is now "
                                     "private (0600)");
    }
}

}  // namespace

void MakeSecretFilesPrivate(const CIniStore& ini, COutput& output) {
    const SecretFile files[] = {{CIniStore::kMainFile, ZorlIniHoldsPassword},
                                {CServerList::kFile, ServersIniHoldsPassword}};
    for (const SecretFile& file : files) MakePrivate(ini.PathOf(file.name), file, output);
}

}  // namespace zorl
