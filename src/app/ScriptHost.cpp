// What the scripts ask of the application object (script/ScriptHost.h);
// PlaySoundFile is in Sounds.cpp, where CTCP SOUND uses it too.
#include "app/CZorlApp.h"
#include "app/Dump.h"
#include "incoming/Ctcp.h"
#include "incoming/DccOffers.h"

namespace zorl {

void CZorlApp::ShowDump() { DumpVariables(*this); }

bool CZorlApp::AcceptDccFile(const std::string& nick, const std::string& fileName) {
    return ctcp.offers().AcceptFileFrom(nick, fileName);
}

}  // namespace zorl
