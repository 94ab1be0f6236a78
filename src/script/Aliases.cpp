#include "script/Aliases.h"

#include "app/CZorlApp.h"

namespace zorl {

void CAliasTable::LoadAliases() { aliases_.clear(); }

const std::string* CAliasTable::Find(const std::string& name) const {
    auto it = aliases_.find(name);
    return it == aliases_.end() ? nullptr : &it->second;
}

}  // namespace zorl
