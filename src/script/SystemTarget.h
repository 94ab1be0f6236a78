// What SYSTEM does with the name it is given, as the desktop's shell would:
// a link or a document opens with its default handler, anything else starts
// as a program.
//
//   "https://example.org", "mailto:joe@example.org", "www.example.org"   links
//   "notes.txt", "/home/me/report.pdf", "log/"   existing files without an
//                                                execute bit, and folders
//   "xterm", "./run.sh"                          programs
#pragma once

#include <string>

namespace zorl {

// Relative names are looked up in `workingDir` (ending in "/").
bool OpensWithTheDesktop(const std::string& name, const std::string& workingDir);

}  // namespace zorl
