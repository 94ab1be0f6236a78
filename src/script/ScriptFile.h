// Line sections of the script file, as the script language reads them.
#pragma once

#include <string>
#include <vector>

namespace zorl {

class CIniStore;

constexpr const char* kScriptFile = "script.ini";

// Every line of a line section in file order: positions 1, 2, ... of the ini
// store's line reader until it reports no further line. Comment lines are
// kept; callers decide about them.
std::vector<std::string> ReadSectionLines(const CIniStore& ini, const std::string& file,
                                          const std::string& section);

}  // namespace zorl
