// Placeholders until the registry, output and logging are built.
#include "app/CZorlApp.h"

namespace zorl {

const char* WindowTypeName(int) { return "unknown"; }

CZorlDoc::CZorlDoc(CZorlApp& app, std::string name, int type)
    : app_(app), name_(std::move(name)), type_(type) {}
bool CZorlDoc::AppendString(const std::string&, Colour, bool) { return true; }
void CZorlDoc::UpdateAllViews(int) {}
int CZorlDoc::NickUpdate(int, const std::string&, int) { return 1; }
int CZorlDoc::NickFlags(const std::string&) const { return kNickAbsent; }
std::string CZorlDoc::RandomNick() const { return {}; }
void CZorlDoc::ExecuteLine(const std::string&) {}

CWindowRegistry::CWindowRegistry(CZorlApp& app) : app_(app) {}
ChannelRecord* CWindowRegistry::NewWindow(const std::string&, int, CIrcSocket*, bool) { return nullptr; }
ChannelRecord* CWindowRegistry::FindCR(const std::string&, const CIrcSocket*) { return nullptr; }
int CWindowRegistry::CRExists(const std::string&, const CIrcSocket*) { return 0; }
FrameId CWindowRegistry::GetFrmByNameSocket(const std::string&, const CIrcSocket*) { return 0; }
int CWindowRegistry::IsFrameRegistered(FrameId) const { return 0; }
ChannelRecord* CWindowRegistry::GetCRbyFrm(FrameId) { return nullptr; }
std::string CWindowRegistry::GetNameByFrm(FrameId) { return {}; }
CZorlDoc* CWindowRegistry::GetDocByNameSocket(const std::string&, const CIrcSocket*) { return nullptr; }
CZorlDoc* CWindowRegistry::GetChannelDoc(const std::string&) { return nullptr; }
ChannelRecord* CWindowRegistry::FindCRBySocket(const CIrcSocket*) { return nullptr; }
CZorlDoc* CWindowRegistry::DocOf(FrameId) { return nullptr; }
void CWindowRegistry::UpdateCR(FrameId, const std::string&, int) {}
void CWindowRegistry::UpdateWindowTitle(FrameId) {}
void CWindowRegistry::SetActiveWindow(FrameId) {}
void CWindowRegistry::DeleteChannel(FrameId) {}
void CWindowRegistry::DeleteCR(std::size_t) {}
void CWindowRegistry::CloseAllWindows() {}
void CWindowRegistry::RebuildButtons() {}
bool CWindowRegistry::ShouldMaximize() { return false; }
void CWindowRegistry::UpdateAllTitles() {}
void CWindowRegistry::HighlightButton(const ChannelRecord&, bool) {}
void CWindowRegistry::ActivateButton(int) {}

Colour COutput::ColourOf(Cls) const { return 0; }
void COutput::Print(CIrcSocket*, const std::string&, Colour, const std::string&) {}
void COutput::PrintF(CIrcSocket*, const std::string&, Cls, const char*, ...) {}
void COutput::DoOutput(CIrcSocket*, const std::string&, Colour, bool, const std::string&) {}
void COutput::DebugOut(Colour, const std::string&, bool) {}
void COutput::ShowOwn(CIrcSocket*, const std::string&, const std::string&, int, const std::string&) {}
void COutput::ShowIncoming(CIrcSocket*, const std::string&, const std::string&, int, const std::string&) {}
void COutput::Trace(const std::string&) {}

void CLogger::WriteLog(FrameId, const std::string&) {}
std::string CLogger::LogPath(const std::string&) const { return {}; }
std::string CLogger::SessionStartLine(std::time_t) { return {}; }
std::string CLogger::SessionCloseLine(std::time_t) { return {}; }

}  // namespace zorl
