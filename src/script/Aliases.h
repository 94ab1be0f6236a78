// The alias table (section "Aliases" of aliases.ini).
#pragma once

#include <map>
#include <string>

namespace zorl {

class CIniStore;

class CAliasTable {
public:
    static constexpr const char* kAliasFile = "aliases.ini";
    static constexpr const char* kAliasSection = "Aliases";

    explicit CAliasTable(const CIniStore& ini) : ini_(ini) {}

    void LoadAliases();
    // The replacement of a lower-cased alias name, or null.
    const std::string* Find(const std::string& name) const;
    const std::map<std::string, std::string>& All() const { return aliases_; }

private:
    const CIniStore& ini_;
    std::map<std::string, std::string> aliases_;
};

}  // namespace zorl
