#include "script/Aliases.h"

#include "common/Text.h"
#include "common/TextSplit.h"
#include "config/IniStore.h"

namespace zorl {

// aliases.ini holds a numbered list, one definition per entry:
//   [Aliases]
//   n0=/J /JOIN $nick
//   n1=/MSG /PRIVMSG $2
// The first word is the name (any case; looked up lower-cased), the rest the
// replacement text. A later definition of the same name wins.
void CAliasTable::LoadAliases() {
    aliases_.clear();
    for (const std::string& entry : ini_.ReadList(kAliasFile, kAliasSection)) {
        if (entry.starts_with(';')) continue;
        Split parts = SplitWord(entry);
        if (parts.head.empty()) continue;
        aliases_[ToLower(parts.head)] = parts.tail;
    }
}

const std::string* CAliasTable::Find(const std::string& name) const {
    auto it = aliases_.find(name);
    return it == aliases_.end() ? nullptr : &it->second;
}

}  // namespace zorl
