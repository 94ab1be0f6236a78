// Sections, keys and lists on the lines of one ini file, in memory.
//
// Two ways of finding a section live side by side, as the file's users rely
// on both:
// - read as a list of lines (ReadSectionLine and the key readers): a header
//   is named by the text between "[" and its first "]", repeated sections
//   continue the count and a shared header «[Query]/» borrows the section
//   that follows it;
// - edited (the writers): a header is named by the text between its first
//   and its last character, so «[Query]/» is the section "Query]".
// Section names and keys compare without regard to case, keys untrimmed.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorl {

using IniLines = std::vector<std::string>;

bool IsHeader(std::string_view line);
// "[name]" -> "name"; "[Query]/" -> "Query]".
std::string_view InnerName(std::string_view header);
// "[Query]/" -> "Query"; "[name" -> "name".
std::string_view BracketName(std::string_view header);

// "n%d": the key of a list entry.
std::string ListKey(std::size_t index);

// ---- Reading a section as a list of lines ---------------------------------

// Indices into `lines` of the section's positions 0, 1, 2, ...; position 0
// is its header (for a shared header, the header of the section after it).
// Empty lines hold no position.
//   [Query]/      Query and Channel alike give
//   [Channel]       0 "[Channel]"
//   a               1 "a"
//   b               2 "b"
std::vector<std::size_t> SectionPositions(const IniLines& lines, std::string_view section);

// Index of the first line from position 1 on whose text before the first
// "=" equals `key`; a line without "=" matches when it equals the key.
std::optional<std::size_t> FindKeyLine(const IniLines& lines,
                                       const std::vector<std::size_t>& positions,
                                       std::string_view key);
// The text after the first "=" (empty when there is none).
std::string ValueOf(std::string_view line);

// ---- Lines that cannot stand as they are -----------------------------------

// A line written into a line section reads back exactly as it was given,
// and never adds a header or a line of its own. A line that begins with "["
// (it would read as a header) or "\", or holds CR or LF, is stored as "\"
// followed by the line with "\", CR and LF written as "\\", "\r", "\n":
//   "[ops]"          ->  "\[ops]"
//   "one<CR><LF>two" ->  "\one\r\ntwo"
// Every other line is stored unchanged.
std::string EncodeSectionLine(std::string_view line);
// The reverse. A stored line that is not in that form exactly (such as the
// hand-written "\o/ hello") is read as it stands.
std::string DecodeSectionLine(std::string_view stored);

// ---- Editing ----------------------------------------------------------------

// Sets «key=value» in the section: replaces the key's last line, else adds
// it after the section's last line with a key, else adds the section at the
// end (after one blank line when the file does not end in one). An empty
// value removes the key's last line instead.
void SetKey(IniLines& lines, std::string_view section, std::string_view key,
            std::string_view value);
// Adds `line` after the section's last non-empty line, creating the section
// at the end as SetKey does.
void AppendToSection(IniLines& lines, std::string_view section, std::string_view line);
// Removes every list key "n<index>" with index >= `first` from the section.
void DropListKeysFrom(IniLines& lines, std::string_view section, std::size_t first);

// The last header named `section` (InnerName) through the last non-empty line
// before the next header goes; blank lines after it stay.
void DeleteSectionLines(IniLines& lines, std::string_view section);
// As DeleteSectionLines, but the header (found by BracketName) stays.
void EmptySectionLines(IniLines& lines, std::string_view section);
// The first header named `oldName` (InnerName) becomes "[newName]".
void RenameSectionHeader(IniLines& lines, std::string_view oldName, std::string_view newName);

}  // namespace zorl
