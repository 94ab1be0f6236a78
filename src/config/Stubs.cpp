// Placeholder until the ini store is built.
#include "config/IniStore.h"

namespace zorl {

CIniStore::CIniStore(IDialogs& dialogs) : dialogs_(dialogs) {}
void CIniStore::SetDirectory(const std::string& directory) { directory_ = directory; }
std::string CIniStore::PathOf(const std::string& file) const { return directory_ + file; }
std::string CIniStore::ReadString(const std::string&, const std::string&, const std::string&, const std::string& def) const { return def; }
int CIniStore::ReadInt(const std::string&, const std::string&, const std::string&, int def) const { return def; }
bool CIniStore::WriteString(const std::string&, const std::string&, const std::string&, const std::string&) { return false; }
bool CIniStore::WriteInt(const std::string&, const std::string&, const std::string&, int) { return false; }
bool CIniStore::ReadSectionLine(const std::string&, const std::string&, int, std::string&) const { return false; }
std::string CIniStore::ReadKey(const std::string&, const std::string&, const std::string&, const std::string& def) const { return def; }
bool CIniStore::WriteKey(const std::string&, const std::string&, const std::string&, const std::string&) { return false; }
bool CIniStore::AppendLine(const std::string&, const std::string&, const std::string&) { return false; }
bool CIniStore::AddListItem(const std::string&, const std::string&, const std::string&) { return false; }
bool CIniStore::DeleteSection(const std::string&, const std::string&) { return false; }
bool CIniStore::EmptySection(const std::string&, const std::string&) { return false; }
bool CIniStore::RenameSection(const std::string&, const std::string&, const std::string&) { return false; }
std::vector<std::string> CIniStore::ReadList(const std::string&, const std::string&) const { return {}; }
void CIniStore::WriteList(const std::string&, const std::string&, const std::vector<std::string>&, std::size_t) {}

}  // namespace zorl
