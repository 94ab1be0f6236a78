#include "config/IniSections.h"

#include "common/Format.h"
#include "common/Numbers.h"
#include "common/Text.h"

namespace zorl {
namespace {

using NameOf = std::string_view (*)(std::string_view);

// The key part of «key=value»; the whole line when it has no "=".
std::string_view HeadOf(std::string_view line) { return line.substr(0, line.find('=')); }

// Calls `visit(index)` for every line of the section as the writers see it,
// headers included, through all its repetitions. True when the section exists.
template <typename Visit>
bool ForEachInSection(const IniLines& lines, std::string_view section, Visit visit) {
    bool exists = false;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (IsHeader(lines[i])) {
            inSection = EqualsNoCase(InnerName(lines[i]), section);
            exists = exists || inSection;
        }
        if (inSection) visit(i);
    }
    return exists;
}

void AddSectionAtEnd(IniLines& lines, std::string_view section, std::string_view line) {
    if (!lines.empty() && !lines.back().empty()) lines.emplace_back();
    lines.push_back("[" + std::string(section) + "]");
    lines.emplace_back(line);
}

std::optional<std::size_t> LastHeaderNamed(const IniLines& lines, std::string_view section,
                                           NameOf nameOf) {
    std::optional<std::size_t> found;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (IsHeader(lines[i]) && EqualsNoCase(nameOf(lines[i]), section)) found = i;
    return found;
}

// The last non-empty line from `header` up to the next header.
std::size_t LastNonEmptyAfter(const IniLines& lines, std::size_t header) {
    std::size_t last = header;
    for (std::size_t i = header + 1; i < lines.size() && !IsHeader(lines[i]); ++i)
        if (!lines[i].empty()) last = i;
    return last;
}

// "n12" -> 12. Only the spelling ListKey makes counts ("n012" does not).
std::optional<std::size_t> ListIndexOf(std::string_view key) {
    if (key.size() < 2 || key.size() > 10 || (key[0] != 'n' && key[0] != 'N')) return {};
    std::string_view digits = key.substr(1);
    if (!IsAllDigits(digits) || (digits.size() > 1 && digits[0] == '0')) return {};
    return static_cast<std::size_t>(Atoi(digits));
}

}  // namespace

bool IsHeader(std::string_view line) { return !line.empty() && line[0] == '['; }

std::string_view InnerName(std::string_view header) {
    return header.size() < 2 ? std::string_view{} : header.substr(1, header.size() - 2);
}

std::string_view BracketName(std::string_view header) {
    if (header.empty()) return {};
    std::size_t close = header.find(']', 1);
    return header.substr(1, close == std::string_view::npos ? close : close - 1);
}

std::string ListKey(std::size_t index) { return Format("n%zu", index); }

std::vector<std::size_t> SectionPositions(const IniLines& lines, std::string_view section) {
    std::vector<std::size_t> positions;
    bool inSection = false;
    bool shareNext = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty()) continue;
        if (!IsHeader(line)) {
            if (inSection) positions.push_back(i);
        } else if (!EqualsNoCase(BracketName(line), section)) {
            // Another section; it is ours only when a shared header lent it.
            inSection = shareNext;
            if (shareNext) positions.push_back(i);
            shareNext = false;
        } else if (line.back() == '/') {
            shareNext = true;
            if (inSection) positions.push_back(i);
        } else {
            inSection = true;
            positions.push_back(i);
        }
    }
    return positions;
}

std::optional<std::size_t> FindKeyLine(const IniLines& lines,
                                       const std::vector<std::size_t>& positions,
                                       std::string_view key) {
    for (std::size_t p = 1; p < positions.size(); ++p)
        if (EqualsNoCase(HeadOf(lines[positions[p]]), key)) return positions[p];
    return {};
}

std::string ValueOf(std::string_view line) {
    std::size_t at = line.find('=');
    return at == std::string_view::npos ? std::string() : std::string(line.substr(at + 1));
}

namespace {

bool NeedsEncoding(std::string_view line) {
    return !line.empty() &&
           (line[0] == '[' || line[0] == '\\' || line.find_first_of("\r\n") != line.npos);
}

}  // namespace

std::string EncodeSectionLine(std::string_view line) {
    if (!NeedsEncoding(line)) return std::string(line);
    std::string stored = "\\";
    for (char c : line) {
        switch (c) {
            case '\\': stored += "\\\\"; break;
            case '\r': stored += "\\r"; break;
            case '\n': stored += "\\n"; break;
            default: stored += c;
        }
    }
    return stored;
}

std::string DecodeSectionLine(std::string_view stored) {
    if (stored.empty() || stored[0] != '\\') return std::string(stored);
    std::string line;
    for (std::size_t i = 1; i < stored.size(); ++i) {
        if (stored[i] != '\\') {
            line += stored[i];
            continue;
        }
        if (++i == stored.size()) return std::string(stored);
        switch (stored[i]) {
            case '\\': line += '\\'; break;
            case 'r': line += '\r'; break;
            case 'n': line += '\n'; break;
            default: return std::string(stored);
        }
    }
    // Only a line that had to be encoded is ever written in this form.
    return NeedsEncoding(line) ? line : std::string(stored);
}

void SetKey(IniLines& lines, std::string_view section, std::string_view key,
            std::string_view value) {
    std::optional<std::size_t> keyLine;
    std::size_t lastKeyed = 0;
    bool exists = ForEachInSection(lines, section, [&](std::size_t i) {
        std::string_view head = HeadOf(lines[i]);
        if (!head.empty()) lastKeyed = i;
        if (EqualsNoCase(head, key)) keyLine = i;
    });
    if (value.empty()) {
        if (keyLine) lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*keyLine));
        return;
    }
    std::string line = std::string(key) + "=" + std::string(value);
    if (keyLine)
        lines[*keyLine] = line;
    else if (exists)
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastKeyed + 1), line);
    else
        AddSectionAtEnd(lines, section, line);
}

void AppendToSection(IniLines& lines, std::string_view section, std::string_view line) {
    std::size_t lastNonEmpty = 0;
    bool exists = ForEachInSection(lines, section, [&](std::size_t i) {
        if (!lines[i].empty()) lastNonEmpty = i;
    });
    if (exists)
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastNonEmpty + 1),
                     std::string(line));
    else
        AddSectionAtEnd(lines, section, line);
}

void DropListKeysFrom(IniLines& lines, std::string_view section, std::size_t first) {
    std::vector<bool> drop(lines.size(), false);
    ForEachInSection(lines, section, [&](std::size_t i) {
        std::optional<std::size_t> index = ListIndexOf(HeadOf(lines[i]));
        drop[i] = !IsHeader(lines[i]) && index && *index >= first;
    });
    IniLines kept;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!drop[i]) kept.push_back(std::move(lines[i]));
    lines = std::move(kept);
}

void DeleteSectionLines(IniLines& lines, std::string_view section) {
    std::optional<std::size_t> header = LastHeaderNamed(lines, section, InnerName);
    if (!header) return;
    std::size_t last = LastNonEmptyAfter(lines, *header);
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*header),
                lines.begin() + static_cast<std::ptrdiff_t>(last + 1));
}

void EmptySectionLines(IniLines& lines, std::string_view section) {
    std::optional<std::size_t> header = LastHeaderNamed(lines, section, BracketName);
    if (!header) return;
    std::size_t last = LastNonEmptyAfter(lines, *header);
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*header + 1),
                lines.begin() + static_cast<std::ptrdiff_t>(last + 1));
}

void RenameSectionHeader(IniLines& lines, std::string_view oldName, std::string_view newName) {
    for (std::string& line : lines) {
        if (IsHeader(line) && EqualsNoCase(InnerName(line), oldName)) {
            line = "[" + std::string(newName) + "]";
            return;
        }
    }
}

}  // namespace zorl
