#include "config/ServerList.h"

#include <algorithm>
#include <cstddef>

#include "common/Text.h"
#include "common/TextSplit.h"
#include "config/IniStore.h"
#include "config/Passwords.h"
#include "platform/Dialogs.h"

namespace zorl {

// "NetASERVER:server-a:6667,7000GROUP:Europe" -> NetA, server-a,
// 6667,7000, no password, Europe.
ServerEntry ParseServerEntry(std::string_view stored) {
    ServerEntry entry;
    std::string value(stored);
    entry.extras = TakeServerExtras(value);
    const Split name = SplitAt(value, "SERVER:");
    entry.name = name.head;
    const Split address = SplitAt(name.tail, ":");
    entry.address = address.head;
    const Split group = SplitAt(address.tail, "GROUP:");
    entry.group = group.tail;
    const Split ports = SplitAt(group.head, ":");
    entry.ports = ports.head;
    entry.password = ports.tail;
    return entry;
}

std::string FormatServerEntry(const ServerEntry& entry) {
    std::string value = entry.name + "SERVER:" + entry.address + ":" + entry.ports;
    if (!entry.password.empty()) value += ":" + entry.password;
    if (!entry.group.empty()) value += "GROUP:" + entry.group;
    return WithServerExtras(value, entry.extras);
}

// The stored value is cut at the first "SERVER:", then at the first ":",
// then at the first "GROUP:": a field holding one of those would move the
// cut and come back as some other field.
std::string ServerEntryProblem(const ServerEntry& entry) {
    if (entry.name.find("SERVER:") != std::string::npos)
        return "The name must not contain \"SERVER:\".";
    if (entry.address.find(':') != std::string::npos) return "The address must not contain \":\".";
    if (entry.ports.find(':') != std::string::npos) return "The ports must not contain \":\".";
    for (const std::string* field : {&entry.name, &entry.address, &entry.ports, &entry.password})
        if (field->find("GROUP:") != std::string::npos) return "No field may contain \"GROUP:\".";
    for (const char* marker : kServerExtrasMarkers)
        if (entry.password.find(marker) != std::string::npos)
            return std::string("The password must not contain \"") + marker + "\".";
    return ServerExtrasProblem(entry.extras);
}

void CServerList::LoadList() {
    const std::string* selected = SelectedName();
    const std::string remembered = selected ? *selected : result.name;
    names_.clear();
    entries_.clear();
    selected_ = -1;
    for (const std::string& value : ini_.ReadList(kFile, kSection)) {
        ServerEntry entry = ParseServerEntry(value);
        names_.push_back(entry.name);
        entries_[entry.name] = std::move(entry);
    }
    SelectName(remembered);
}

void CServerList::Select(int index) {
    selected_ = index >= 0 && index < static_cast<int>(names_.size()) ? index : -1;
}

const ServerEntry* CServerList::Find(const std::string& name) const {
    auto it = entries_.find(name);
    return it == entries_.end() ? nullptr : &it->second;
}

void CServerList::Add() {
    ServerEntry entry;
    if (!AskEntry(entry) || entry.name.empty() || entry.address.empty()) return;
    Store(entry);
    names_.push_back(entry.name);
    SaveList();
    SelectName(entry.name);
}

void CServerList::Edit() {
    const std::string* name = SelectedName();
    const ServerEntry* found = name ? Find(*name) : nullptr;
    if (!found) {
        dialogs_.MessageBox("Edit: name not found", BoxIcon::Error);
        return;
    }
    const int position = selected_;
    const std::string oldName = found->name;
    ServerEntry entry = *found;
    if (!AskEntry(entry)) return;
    entries_.erase(oldName);
    Store(entry);
    names_.erase(names_.begin() + position);
    names_.push_back(entry.name);
    SaveList();
    SelectName(entry.name);
}

void CServerList::Delete() {
    const std::string* name = SelectedName();
    if (!name || !Find(*name)) {
        dialogs_.MessageBox("Delete: name not found", BoxIcon::Error);
        return;
    }
    const int position = selected_;
    const std::string doomed = *name;
    if (dialogs_.MessageBox("Delete server. Are you sure?", BoxIcon::Question, true) !=
        BoxAnswer::Yes)
        return;
    entries_.erase(doomed);
    names_.erase(names_.begin() + position);
    SaveList();
    Select(position < static_cast<int>(names_.size()) ? position : 0);
}

void CServerList::TakeSelection() {
    const std::string* name = SelectedName();
    if (const ServerEntry* found = name ? Find(*name) : nullptr) result = *found;
}

bool CServerList::AskEntry(ServerEntry& entry) {
    if (passwords_) passwords_->RevealEntry(entry);
    while (dialogs_.EditServer(entry)) {
        const std::string problem = ServerEntryProblem(entry);
        if (problem.empty()) {
            entry.extras.fingerprint = NormalFingerprint(entry.extras.fingerprint);
            if (passwords_) passwords_->KeepEntry(entry);
            return true;
        }
        dialogs_.MessageBox(problem, BoxIcon::Exclamation);
    }
    return false;
}

void CServerList::Store(const ServerEntry& entry) { entries_[entry.name] = entry; }

// By group, then by name, letter case aside; the ungrouped first.
void CServerList::SaveList() {
    std::vector<const ServerEntry*> order;
    for (const auto& [name, entry] : entries_) order.push_back(&entry);
    std::stable_sort(order.begin(), order.end(), [](const ServerEntry* a, const ServerEntry* b) {
        const std::string groupA = ToLower(a->group), groupB = ToLower(b->group);
        if (groupA != groupB) return groupA < groupB;
        return ToLower(a->name) < ToLower(b->name);
    });
    std::vector<std::string> values;
    for (const ServerEntry* entry : order) values.push_back(FormatServerEntry(*entry));
    ini_.WriteList(kFile, kSection, values);
}

void CServerList::SelectName(const std::string& name) {
    for (std::size_t i = 0; i < names_.size(); ++i) {
        if (StartsWithNoCase(names_[i], name)) {
            selected_ = static_cast<int>(i);
            return;
        }
    }
    selected_ = names_.empty() ? -1 : 0;
}

const std::string* CServerList::SelectedName() const {
    return selected_ >= 0 && selected_ < static_cast<int>(names_.size())
               ? &names_[static_cast<std::size_t>(selected_)]
               : nullptr;
}

}  // namespace zorl
