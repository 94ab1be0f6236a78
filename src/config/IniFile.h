// One ini file as lines of bytes, and its atomic rewrite.
//
// Lines are kept without their line ends. A file may use CR LF or LF; the
// first line end found decides which one new lines get (LF for a new or
// one-line file). Lines have no length limit and may hold any byte but LF;
// a CR at the very end of a line is part of the line end. A rewrite gives
// back every line it did not change with the line end it was read with, so
// a line "j\r" of an LF file keeps its CR.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorl {

struct IniText {
    std::vector<std::string> lines;
    std::string lineEnd = "\n";
    // The lines as read and the line end each had ("" for a last line
    // without one).
    std::vector<std::string> read;
    std::vector<std::string> readEnds;
};

// "a\r\nb\r\n" -> {{"a", "b"}, "\r\n"}. A last line without a line end is kept.
IniText SplitIniText(std::string_view bytes);
// Every line followed by its line end: the one it was read with while it
// is unchanged, else the text's.
std::string JoinIniText(const IniText& text);

enum class LoadResult { Read, Missing, Unreadable };
// Reads a whole file. Unless it was read, `out` is an empty text with LF
// line ends. Writers treat a missing file as empty but leave a file that
// exists and cannot be read alone: rewriting it would lose its content.
LoadResult LoadIniText(const std::string& path, IniText& out);

// Rewrites `path` through a temporary file in the same folder: write, fsync,
// rename over the old file. On any failure the old file stays exactly as it
// was, the temporary file is removed and the result is false.
// `deviceLimit` is a test seam: the device takes that many bytes of the new
// content and then reports a full disk.
bool SaveIniText(const std::string& path, const IniText& text, std::size_t deviceLimit = SIZE_MAX);

}  // namespace zorl
