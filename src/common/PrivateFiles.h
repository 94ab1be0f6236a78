// Files and folders that may hold passwords or conversations belong to the
// user alone from the moment they exist, whatever the umask: they are
// created with their final mode, never created open and narrowed later,
// when another user could already have opened them. An existing file or
// folder keeps its mode.
#pragma once

#include <cstdio>
#include <string>

namespace zorl {

// A new folder, 0700; false when it was not made (it exists, or no access).
bool CreatePrivateFolder(const std::string& path);
// A new empty file, 0600; false when nothing was made, an existing file or
// link of that name included.
bool CreatePrivateFile(const std::string& path);
// The file opened for appending, made 0600 when it is new; null on failure.
std::FILE* OpenPrivateForAppend(const std::string& path);

}  // namespace zorl
