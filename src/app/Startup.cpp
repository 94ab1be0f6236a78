// Start-up: directories, ini files, settings, lists, the status window.
#include "app/CZorlApp.h"

namespace zorl {

void CZorlApp::InitInstance() { LoadSettings(); }

void CZorlApp::LoadSettings() {}

void CZorlApp::DebugOn() {}
void CZorlApp::DebugOff() {}
void CZorlApp::OpenLink(const std::string&) {}
void CZorlApp::LogFiles() {}

void CSettings::Load(const CIniStore&) {}
void ColourTables::Build() {}

}  // namespace zorl
