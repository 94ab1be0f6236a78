#include "config/IniStore.h"

#include <algorithm>
#include <optional>

#include "common/Format.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "config/IniFile.h"
#include "config/IniSections.h"
#include "platform/Dialogs.h"

namespace zorl {
namespace {

// Written names and values stay on one line: a line end inside them would
// split the entry and could forge a header or a key of its own, here or in
// an editor that ends lines at a lone CR. Every LF and CR becomes a blank.
std::string OneLine(std::string_view text) {
    std::string out(text);
    std::replace_if(
        out.begin(), out.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return out;
}

// The value of the first `key` line of the section read as a list of lines.
std::optional<std::string> LookupKey(const IniLines& lines, std::string_view section,
                                     std::string_view key) {
    std::optional<std::size_t> at = FindKeyLine(lines, SectionPositions(lines, section), key);
    if (!at) return {};
    return ValueOf(lines[*at]);
}

std::vector<std::string> ListValues(const IniLines& lines, std::string_view section) {
    std::vector<std::size_t> positions = SectionPositions(lines, section);
    std::vector<std::string> values;
    for (std::size_t i = 0;; ++i) {
        std::optional<std::size_t> at = FindKeyLine(lines, positions, ListKey(i));
        std::string value = at ? ValueOf(lines[*at]) : std::string();
        if (value.empty()) return values;
        values.push_back(std::move(value));
    }
}

}  // namespace

CIniStore::CIniStore(IDialogs& dialogs) : dialogs_(dialogs) {}

void CIniStore::SetDirectory(const std::string& directory) {
    directory_ = directory.empty() ? "./" : directory;
    if (directory_.back() != '/') directory_ += '/';
}

std::string CIniStore::PathOf(const std::string& file) const { return directory_ + file; }

LoadResult CIniStore::Load(const std::string& file, IniText& text, Missing missing) const {
    LoadResult result = LoadIniText(PathOf(file), text);
    if (result != LoadResult::Read && missing == Missing::Report)
        dialogs_.MessageBox(Format("Cant find file %s in dir %s", file.c_str(), directory_.c_str()),
                            BoxIcon::Exclamation);
    return result;
}

bool CIniStore::Save(const std::string& file, const IniText& text) const {
    return SaveIniText(PathOf(file), text, write_limit_);
}

template <typename Change>
bool CIniStore::Edit(const std::string& file, Change change) {
    IniText text;
    if (Load(file, text, Missing::Quiet) == LoadResult::Unreadable) return false;
    change(text.lines);
    return Save(file, text);
}

// ---- Profile-style values ----------------------------------------------------

std::string CIniStore::ReadString(const std::string& file, const std::string& section,
                                  const std::string& key, const std::string& def) const {
    IniText text;
    Load(file, text, Missing::Quiet);
    return LookupKey(text.lines, section, key).value_or(def);
}

int CIniStore::ReadInt(const std::string& file, const std::string& section, const std::string& key,
                       int def) const {
    IniText text;
    Load(file, text, Missing::Quiet);
    std::optional<std::string> value = LookupKey(text.lines, section, key);
    return value ? Atoi(*value) : def;
}

bool CIniStore::WriteString(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& value) {
    return WriteKey(file, section, key, value);
}

bool CIniStore::WriteInt(const std::string& file, const std::string& section,
                         const std::string& key, int value) {
    return WriteString(file, section, key, Format("%d", value));
}

// ---- Lines and keys ------------------------------------------------------------

bool CIniStore::ReadSectionLine(const std::string& file, const std::string& section, int index,
                                std::string& out) const {
    IniText text;
    if (Load(file, text, Missing::Report) != LoadResult::Read || index < 0) return false;
    std::vector<std::size_t> positions = SectionPositions(text.lines, section);
    if (static_cast<std::size_t>(index) >= positions.size()) return false;
    out = DecodeSectionLine(text.lines[positions[static_cast<std::size_t>(index)]]);
    return true;
}

std::string CIniStore::ReadKey(const std::string& file, const std::string& section,
                               const std::string& key, const std::string& def) const {
    IniText text;
    if (Load(file, text, Missing::Report) != LoadResult::Read) return def;
    return LookupKey(text.lines, section, key).value_or(def);
}

bool CIniStore::WriteKey(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& value) {
    return Edit(file, [&](IniLines& lines) {
        SetKey(lines, OneLine(section), OneLine(key), OneLine(value));
    });
}

bool CIniStore::AppendLine(const std::string& file, const std::string& section,
                           const std::string& line) {
    return Edit(file, [&](IniLines& lines) {
        AppendToSection(lines, OneLine(section), EncodeSectionLine(line));
    });
}

bool CIniStore::ReplaceSectionLines(const std::string& file, const std::string& section,
                                    const std::vector<std::string>& lines) {
    return Edit(file, [&](IniLines& text) {
        const std::string name = OneLine(section);
        EmptySectionLines(text, name);
        for (const std::string& line : lines) AppendToSection(text, name, EncodeSectionLine(line));
    });
}

// NOTE: an entry present with an empty value («n1=») ends the list; the new
// value fills that line in place. Appending a second «n1=» line after it, as
// for a missing entry, would hide the value from every reader.
bool CIniStore::AddListItem(const std::string& file, const std::string& section,
                            const std::string& value) {
    std::string item = OneLine(value);
    if (item.empty()) return true;
    IniText text;
    if (Load(file, text, Missing::Report) == LoadResult::Unreadable) return false;
    std::vector<std::size_t> positions = SectionPositions(text.lines, section);
    for (std::size_t i = 0;; ++i) {
        std::optional<std::size_t> at = FindKeyLine(text.lines, positions, ListKey(i));
        std::string current = at ? ValueOf(text.lines[*at]) : std::string();
        if (EqualsNoCase(Trim(current), item)) return true;
        if (current.empty()) {
            std::string entry = ListKey(i) + "=" + item;
            if (at)
                text.lines[*at] = entry;
            else
                AppendToSection(text.lines, OneLine(section), entry);
            return Save(file, text);
        }
    }
}

// ---- Sections -------------------------------------------------------------------

bool CIniStore::DeleteSection(const std::string& file, const std::string& section) {
    return Edit(file, [&](IniLines& lines) { DeleteSectionLines(lines, section); });
}

bool CIniStore::EmptySection(const std::string& file, const std::string& section) {
    return Edit(file, [&](IniLines& lines) { EmptySectionLines(lines, section); });
}

bool CIniStore::RenameSection(const std::string& file, const std::string& oldName,
                              const std::string& newName) {
    return Edit(file,
                [&](IniLines& lines) { RenameSectionHeader(lines, oldName, OneLine(newName)); });
}

// ---- Whole lists ----------------------------------------------------------------

std::vector<std::string> CIniStore::ReadList(const std::string& file,
                                             const std::string& section) const {
    IniText text;
    if (Load(file, text, Missing::Report) != LoadResult::Read) return {};
    return ListValues(text.lines, section);
}

void CIniStore::WriteList(const std::string& file, const std::string& section,
                          const std::vector<std::string>& values) {
    Edit(file, [&](IniLines& lines) {
        std::string name = OneLine(section);
        std::size_t count = 0;
        for (const std::string& value : values)
            if (!value.empty()) SetKey(lines, name, ListKey(count++), OneLine(value));
        DropListKeysFrom(lines, name, count);
    });
}

}  // namespace zorl
