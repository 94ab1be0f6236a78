// What the scripts ask of the application object (script/ScriptHost.h);
// PlaySoundFile is in Sounds.cpp, where CTCP SOUND uses it too.
#include "app/CZorlApp.h"
#include "app/Dump.h"

namespace zorl {

void CZorlApp::ShowDump() { DumpVariables(*this); }

}  // namespace zorl
