// Web addresses inside chat text, for the output pane to underline and open.
//
// An address starts with "http://" or "https://" (any letter case) at the
// start of the text or after a character that is not a letter or digit, and
// runs to the next blank, control character, "<", ">" or '"'. Punctuation
// that ends a sentence is not part of it, nor is a ")" that closes a
// bracket opened before the address:
//   "see https://example.org/a_(b)." -> "https://example.org/a_(b)"
//   "(https://example.org)"          -> "https://example.org"
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zorl {

struct LinkSpan {
    std::size_t start = 0;
    std::size_t length = 0;
    bool operator==(const LinkSpan&) const = default;
};

// `withFiles` also finds local file links, "file:///..." (what zorl prints
// for a received file), which are opened as their folder.
std::vector<LinkSpan> FindWebLinks(std::string_view text, bool withFiles = false);

// True when the whole text is one such address: what may be handed to the
// desktop to open.
bool IsWebLink(std::string_view text);

// The folder a whole-text file link lies in, as a link ending in "/";
// "" for anything else. A click on a file link opens its folder, never the
// file: the text may come from a stranger, and a file can be a program.
//   "file:///home/u/download/notes.txt" -> "file:///home/u/download/"
std::string FolderLinkOf(std::string_view text);

// The link of a local file, every byte a link may not hold in %XX form:
//   "/home/u/my notes.txt" -> "file:///home/u/my%20notes.txt"
std::string FileLink(std::string_view path);

}  // namespace zorl
