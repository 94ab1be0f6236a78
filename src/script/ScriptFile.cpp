#include "script/ScriptFile.h"

#include "config/IniStore.h"

namespace zorl {

std::vector<std::string> ReadSectionLines(const CIniStore& ini, const std::string& file,
                                          const std::string& section) {
    std::vector<std::string> lines;
    std::string line;
    for (int index = 1; ini.ReadSectionLine(file, section, index, line); ++index)
        lines.push_back(line);
    return lines;
}

}  // namespace zorl
