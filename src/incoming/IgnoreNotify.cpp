#include "incoming/IgnoreNotify.h"

#include "app/CZorlApp.h"
#include "common/Text.h"
#include "config/IniStore.h"

namespace zorl {

void CIgnoreNotify::LoadIgnoreList() {
    app_.IgnoreList.clear();
    for (const std::string& value : app_.ini.ReadList(CIniStore::kMainFile, "IGNORE")) {
        if (value[0] == ';') continue;
        const std::string mask(Trim(value));
        if (mask.empty()) continue;  // an empty mask would ignore everybody
        app_.IgnoreList.push_back(mask);
    }
}

void CIgnoreNotify::LoadNotifyList() {}

void CIgnoreNotify::RequestIson(bool) {}

void CIgnoreNotify::HandleIsonReply(const IrcMessage&) {}

void CIgnoreNotify::StartNotify() {}

}  // namespace zorl
