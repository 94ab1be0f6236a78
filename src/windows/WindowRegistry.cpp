#include "windows/WindowRegistry.h"

#include <array>
#include <cstdint>
#include <string>

#include "common/Format.h"
#include "common/Text.h"
#include "config/IniStore.h"
#include "config/Settings.h"
#include "platform/Platform.h"
#include "session/IrcSocket.h"
#include "windows/LastingHistory.h"
#include "windows/Logger.h"
#include "windows/Output.h"
#include "windows/WindowServices.h"
#include "windows/ZorlDoc.h"

namespace zorl {

const char* WindowTypeName(WindowType type) {
    switch (type) {
        case kWindowDefault: return "Default";
        case kWindowStatus: return "Status";
        case kWindowChannel: return "Channel";
        case kWindowQuery: return "Query";
        case kWindowDccQuery: return "DccQuery";
        case kWindowDccSend: return "DccSend";
    }
    return "unknown";
}

CWindowRegistry::CWindowRegistry(const WindowServices& services, COutput& output, CLogger& logger)
    : s_(services), output_(output), logger_(logger) {}

CWindowRegistry::~CWindowRegistry() = default;

// NOTE: the record returned points into the registry's array. It is valid
// until the next call that can create or remove a window (output, dialogs).
ChannelRecord* CWindowRegistry::NewWindow(const std::string& name, WindowType type,
                                          CIrcSocket* socket, bool show) {
    if (ChannelRecord* existing = FindCR(name, socket)) return existing;

    auto doc = std::make_unique<CZorlDoc>(s_, name, type);
    doc->SetCaseMapping(MappingOf(socket));
    const bool maximize = show && ShouldMaximize();
    const FrameId frame = s_.platform.surface.CreateFrame(type, *doc, show, maximize);
    if (frame == 0 || docs_.count(frame) != 0) return nullptr;  // the surface refused
    doc->SetFrame(frame);
    doc->UpdateAllViews(kHintLineLimit | kHintFont | kHintBackground);
    docs_[frame] = std::move(doc);

    const NetworkInfo network = s_.host.NetworkOf(socket);
    ChannelRecord record;
    record.frame = frame;
    record.socket = socket;
    record.name = ToLower(name);
    record.title = name;
    record.logfile = record.name;
    record.type = type;
    // Windows beyond the fiftieth get no button; a later removal may give
    // them one (see RenumberButtons).
    if (buttoncount < kMaxButtons) {
        record.buttonnr = buttoncount++;
        highlighted_[static_cast<std::size_t>(record.buttonnr)] = 0;
        s_.platform.surface.SetButton(record.buttonnr, name, network.id);
    }
    by_frame_[frame] = records_.size();
    records_.push_back(std::move(record));
    IndexName(records_.back());
    output_.Lasting().Restore(records_.back(), *docs_[frame]);

    s_.platform.surface.SetCaption(frame,
                                   network.network.empty() ? name : network.network + " / " + name);
    s_.platform.surface.PlaceWindow(frame, network.id, network.name, name);
    if (show) SetActiveWindow(frame);
    logger_.WriteLog(frame, CLogger::SessionStartLine(s_.platform.clock.Now()));
    return FindByFrame(frame);
}

CaseMapping CWindowRegistry::MappingOf(const CIrcSocket* socket) const {
    auto it = mappings_.find(socket);
    return it == mappings_.end() ? CaseMapping::Ascii : it->second;
}

// The names of a network's windows are keyed anew under its mapping, and
// each of its nick tables folds by it.
void CWindowRegistry::SetCaseMapping(const CIrcSocket* socket, CaseMapping mapping) {
    if (MappingOf(socket) == mapping) return;
    mappings_[socket] = mapping;
    by_name_.clear();
    for (const ChannelRecord& record : records_) {
        IndexName(record);
        if (record.socket != socket) continue;
        if (CZorlDoc* doc = DocOf(record.frame)) doc->SetCaseMapping(mapping);
    }
}

std::string CWindowRegistry::NameKey(std::string_view name, const CIrcSocket* socket) const {
    // The socket's address as its raw bytes: no number to format on every
    // lookup, and a server line looks up windows several times.
    std::string key = FoldCase(name, MappingOf(socket));
    key += '\0';
    key.append(reinterpret_cast<const char*>(&socket), sizeof socket);
    return key;
}

void CWindowRegistry::IndexName(const ChannelRecord& record) {
    by_name_.emplace(NameKey(record.name, record.socket), record.frame);
}

// Another window with the same name and socket (a rename can make one)
// takes the key over.
void CWindowRegistry::UnindexName(const ChannelRecord& record) {
    const std::string key = NameKey(record.name, record.socket);
    auto it = by_name_.find(key);
    if (it == by_name_.end() || it->second != record.frame) return;
    by_name_.erase(it);
    for (const ChannelRecord& other : records_)
        if (other.frame != record.frame && other.socket == record.socket &&
            NameKey(other.name, other.socket) == key) {
            by_name_.emplace(key, other.frame);
            return;
        }
}

ChannelRecord* CWindowRegistry::FindCR(const std::string& name, const CIrcSocket* socket) {
    auto it = by_name_.find(NameKey(name, socket));
    return it == by_name_.end() ? nullptr : FindByFrame(it->second);
}

FrameId CWindowRegistry::GetFrmByNameSocket(const std::string& name, const CIrcSocket* socket) {
    const ChannelRecord* record = FindCR(name, socket);
    return record ? record->frame : 0;
}

ChannelRecord* CWindowRegistry::GetCRbyFrm(FrameId frame) {
    if (ChannelRecord* record = FindByFrame(frame)) return record;
    output_.PrintF(nullptr, "", Cls::Error, "ERROR: GetCRbyFrm: Frm not found (%s)",
                   HexId(frame).c_str());
    return nullptr;
}

std::string CWindowRegistry::GetNameByFrm(FrameId frame) {
    if (const ChannelRecord* record = FindByFrame(frame)) return record->name;
    output_.PrintF(nullptr, "", Cls::Error, "ERROR: GetNameByFrm: Frm not found (%s)",
                   HexId(frame).c_str());
    return {};
}

CZorlDoc* CWindowRegistry::GetDocByNameSocket(const std::string& name, const CIrcSocket* socket) {
    const std::string socketId = HexId(socket ? socket->Id() : 0);
    const ChannelRecord* record = FindCR(name, socket);
    if (!record) {
        output_.PrintF(nullptr, "", Cls::Error,
                       "ERROR: GetDocByNameSocket (CR) returns NULL (%s, %s)", name.c_str(),
                       socketId.c_str());
        return nullptr;
    }
    if (CZorlDoc* doc = DocOf(record->frame)) return doc;
    output_.PrintF(nullptr, "", Cls::Error,
                   "ERROR: GetDocByNameSocket (pDoc) returns NULL (%s, %s)", name.c_str(),
                   socketId.c_str());
    return nullptr;
}

CZorlDoc* CWindowRegistry::GetChannelDoc(const std::string& name) {
    for (auto it = records_.rbegin(); it != records_.rend(); ++it) {
        if (it->type == kWindowChannel && SameFolded(it->name, name, MappingOf(it->socket)))
            return DocOf(it->frame);
    }
    return nullptr;
}

void CWindowRegistry::MoveToSocket(ChannelRecord& record, CIrcSocket* socket) {
    UnindexName(record);
    record.socket = socket;
    IndexName(record);
}

ChannelRecord* CWindowRegistry::FindCRBySocket(const CIrcSocket* socket) {
    if (!socket) return nullptr;
    const SocketType kind = socket->type;
    if (kind != kSocketDccChat && kind != kSocketDccSendIn && kind != kSocketDccSendOut) {
        return nullptr;
    }
    for (ChannelRecord& record : records_) {
        if (record.socket == socket) return &record;
    }
    return nullptr;
}

CZorlDoc* CWindowRegistry::DocOf(FrameId frame) {
    auto it = docs_.find(frame);
    return it == docs_.end() ? nullptr : it->second.get();
}

ChannelRecord* CWindowRegistry::FindByFrame(FrameId frame) {
    const int index = IndexOf(frame);
    return index < 0 ? nullptr : &records_[static_cast<std::size_t>(index)];
}

int CWindowRegistry::IndexOf(FrameId frame) const {
    if (frame == 0) return -1;
    auto it = by_frame_.find(frame);
    return it == by_frame_.end() ? -1 : static_cast<int>(it->second);
}

void CWindowRegistry::UpdateCR(FrameId frame, const std::string& value, UpdateCode code) {
    ChannelRecord* record = FindByFrame(frame);
    if (!record) {
        output_.PrintF(nullptr, "", Cls::Error, "ERROR: UpdateCR: Frm not found (%s)",
                       HexId(frame).c_str());
        return;
    }
    switch (code) {
        case kUpdateName:
            UnindexName(*record);
            record->title = value;
            record->name = ToLower(value);
            IndexName(*record);
            if (CZorlDoc* doc = DocOf(frame)) doc->SetName(value);
            UpdateWindowTitle(frame);
            SetButtonCaption(frame);
            break;
        case kUpdateTitle: {
            record->title = value;
            UpdateWindowTitle(frame);
            SetButtonCaption(frame);
            const NetworkInfo network = s_.host.NetworkOf(record->socket);
            s_.platform.surface.PlaceWindow(frame, network.id, network.name, value);
            break;
        }
        case kUpdateLogfile: record->logfile = value; break;
        case kUpdateSender:
            record->sender = value;
            UpdateWindowTitle(frame);
            break;
        case kUpdateTopic:
            record->topic = value;
            UpdateWindowTitle(frame);
            s_.platform.surface.UpdateViews(frame, kHintTopic);
            break;
        case kUpdateFlags:
            record->flags = value;
            UpdateWindowTitle(frame);
            break;
        case kUpdateJoined: record->joined = value == "1"; break;
        case kUpdateBackScroll:
            record->BackScroll = value == "1";
            if (!record->BackScroll) HighlightButton(*record, false);
            break;
    }
}

void CWindowRegistry::UpdateWindowTitle(FrameId frame) {
    const ChannelRecord* record = FindByFrame(frame);
    if (!record) {
        output_.PrintF(nullptr, "", Cls::Error, "ERROR: UpdateWindowTitle: Frm not found (%s)",
                       HexId(frame).c_str());
        return;
    }
    const NetworkInfo network = s_.host.NetworkOf(record->socket);
    // With several networks open, each caption begins with its network's.
    std::string caption =
        network.network.empty() ? record->title : network.network + " / " + record->title;
    switch (record->type) {
        case kWindowStatus:
            if (!AddConnectionTo(caption, network)) return;  // an unknown state leaves it alone
            break;
        case kWindowChannel:
            // "#x [+nt] : hi", "#x: hi", "#x"
            if (!record->flags.empty()) caption += " [" + record->flags + "] ";
            if (!record->topic.empty()) caption += ": " + record->topic;
            break;
        case kWindowQuery:
        case kWindowDccQuery:
            if (!record->sender.empty()) caption += " (" + record->sender + ")";
            break;
        case kWindowDefault:
        case kWindowDccSend: break;
    }
    s_.platform.surface.SetCaption(frame, caption);
}

// "Status", "Status: joe", "Status: joe on irc.example"; false for a state
// it does not know.
bool CWindowRegistry::AddConnectionTo(std::string& caption, const NetworkInfo& network) const {
    switch (network.state) {
        case IDLE: return true;
        case STARTING:
        case CONNECTING: caption += ": " + network.nick; return true;
        case CONNECTED: caption += ": " + network.nick + " on " + network.server; return true;
    }
    return false;
}

// Status windows are registered under the empty name, so this is a lookup
// of the name index, not a walk through every window.
ChannelRecord* CWindowRegistry::StatusOf(const CIrcSocket* socket) {
    for (const CIrcSocket* each : {socket, s_.host.CurrentSocket()}) {
        ChannelRecord* record = each ? FindCR("", each) : nullptr;
        if (record && record->type == kWindowStatus) return record;
    }
    ChannelRecord* first = FindByFrame(pStatusFrm);
    return first && first->type == kWindowStatus ? first : nullptr;
}

void CWindowRegistry::UpdateAllTitles() {
    for (std::size_t i = 0; i < records_.size(); ++i) UpdateWindowTitle(records_[i].frame);
}

// A network's name can change (the server tells its own in ISUPPORT).
void CWindowRegistry::PlaceAllWindows() {
    for (const ChannelRecord& record : records_) {
        const NetworkInfo network = s_.host.NetworkOf(record.socket);
        s_.platform.surface.PlaceWindow(record.frame, network.id, network.name, record.title);
    }
}

void CWindowRegistry::SetActiveWindow(FrameId frame) {
    ChannelRecord* record = FindByFrame(frame);
    if (!record) return;
    pLastFrm = frame;
    s_.host.OnWindowActivated(record->socket);
    if (DocOf(frame) && !record->BackScroll) HighlightButton(*record, false);
}

void CWindowRegistry::MarkLeft(ChannelRecord& record, bool rejoin) {
    SetPresence(record, Presence::Out, rejoin);
}

void CWindowRegistry::MarkRejoined(ChannelRecord& record) {
    SetPresence(record, Presence::In, false);
}

// Either way the nick list starts empty, and the names of the next join
// fill it again.
void CWindowRegistry::SetPresence(ChannelRecord& record, Presence presence, bool rejoin) {
    record.presence = presence;
    record.rejoin = rejoin;
    record.joined = false;
    if (CZorlDoc* doc = DocOf(record.frame)) doc->NickUpdate(kNickClearAll, "", 0);
}

void CWindowRegistry::DeleteChannel(FrameId frame) {
    const int index = IndexOf(frame);
    if (index < 0) {
        output_.PrintF(nullptr, "", Cls::Error, "ERROR: DeleteChannel: Frm not found (%s)",
                       HexId(frame).c_str());
        return;
    }
    // The script and idle timers die with the window they run in.
    s_.host.OnWindowClosing(frame);
    DeleteCR(static_cast<std::size_t>(IndexOf(frame)));
}

void CWindowRegistry::DeleteCR(std::size_t index) {
    if (index >= records_.size()) return;
    const FrameId frame = records_[index].frame;
    logger_.WriteLog(frame, CLogger::SessionCloseLine(s_.platform.clock.Now()));

    // Writing the log may have reported an error, which can open windows:
    // find the record again.
    if (IndexOf(frame) < 0) return;
    DeleteFrame(frame);
    const int at = IndexOf(frame);
    if (at < 0) return;
    // The record keeps its own number while the later ones move down.
    const int button = records_[static_cast<std::size_t>(at)].buttonnr;
    if (button >= 0) RenumberButtons(button);
    const std::size_t gone = static_cast<std::size_t>(IndexOf(frame));
    const ChannelRecord record = std::move(records_[gone]);
    records_.erase(records_.begin() + static_cast<long>(gone));
    by_frame_.erase(frame);
    for (std::size_t i = gone; i < records_.size(); ++i) by_frame_[records_[i].frame] = i;
    UnindexName(record);
    if (pLastFrm == frame) pLastFrm = 0;
    if (pStatusFrm == frame) pStatusFrm = 0;
}

bool CWindowRegistry::DeleteFrame(FrameId frame) {
    if (IndexOf(frame) < 0) {
        output_.PrintF(nullptr, "", Cls::Error, "ERROR: DeleteFrame: Frm not found (%s)",
                       HexId(frame).c_str());
        return false;
    }
    auto doc = docs_.find(frame);
    if (doc == docs_.end()) {
        output_.PrintF(nullptr, "", Cls::Error, "ERROR: (DeleteFrame) Cant delete NULL doc");
    }
    // The frame goes first: its views refer to the document until then.
    if (!s_.platform.surface.DestroyFrame(frame)) {
        // The frame lives on and still uses its document, so the document stays.
        output_.PrintF(nullptr, "", Cls::Error, "ERROR: (DeleteFrame) Cant destroy frame(%s)",
                       HexId(frame).c_str());
        return false;
    }
    docs_.erase(frame);
    return true;
}

// Buttons from `from` on are destroyed and handed out again, in registry
// order, to the windows that had a later button or none at all.
void CWindowRegistry::RenumberButtons(int from) {
    std::array<Colour, kMaxButtons> previous = highlighted_;
    for (int n = from; n < buttoncount; ++n) {
        s_.platform.surface.RemoveButton(n);
        highlighted_[static_cast<std::size_t>(n)] = 0;
    }
    buttoncount = from;
    for (ChannelRecord& record : records_) {
        const bool later = record.buttonnr > from;
        const bool waiting = record.buttonnr == kNoButton;
        if (!later && !waiting) continue;
        if (buttoncount >= kMaxButtons) {
            record.buttonnr = kNoButton;
            continue;
        }
        const Colour lit = later ? previous[static_cast<std::size_t>(record.buttonnr)] : 0;
        record.buttonnr = buttoncount++;
        s_.platform.surface.SetButton(record.buttonnr, record.title,
                                      s_.host.NetworkOf(record.socket).id);
        if (lit) SetButtonColour(record, lit);
    }
}

void CWindowRegistry::CloseAllWindows() {
    // From the last to the first, so that the status window is still there
    // to show any error of the others' log writes.
    while (!records_.empty()) DeleteCR(records_.size() - 1);
}

void CWindowRegistry::RebuildButtons() {
    for (auto it = records_.rbegin(); it != records_.rend(); ++it) {
        if (it->buttonnr < 0) continue;
        s_.platform.surface.SetButton(it->buttonnr, it->title, s_.host.NetworkOf(it->socket).id);
        if (const Colour lit = highlighted_[static_cast<std::size_t>(it->buttonnr)]) {
            s_.platform.surface.SetButtonHighlight(it->buttonnr, lit);
        }
    }
}

bool CWindowRegistry::ShouldMaximize() {
    if (records_.empty()) return s_.ini.ReadInt("POSITION", "Maximized", 0) == 1;
    for (const ChannelRecord& record : records_) {
        if (s_.platform.surface.IsMaximized(record.frame)) return true;
    }
    return false;
}

void CWindowRegistry::HighlightButton(const ChannelRecord& record, bool on) {
    if (on && IsHighlighted(record)) return;
    SetButtonColour(record, on ? kHighlight : 0);
}

void CWindowRegistry::MentionButton(const ChannelRecord& record) {
    SetButtonColour(record, kMention);
}

void CWindowRegistry::SetButtonColour(const ChannelRecord& record, Colour colour) {
    s_.platform.surface.SetWindowMark(record.frame, colour);
    if (record.buttonnr < 0 || record.buttonnr >= kMaxButtons) return;
    highlighted_[static_cast<std::size_t>(record.buttonnr)] = colour;
    s_.platform.surface.SetButtonHighlight(record.buttonnr, colour);
}

bool CWindowRegistry::IsHighlighted(const ChannelRecord& record) const {
    return record.buttonnr >= 0 && record.buttonnr < kMaxButtons &&
           highlighted_[static_cast<std::size_t>(record.buttonnr)] != 0;
}

void CWindowRegistry::ActivateButton(int n) {
    if (n < 0 || n >= kMaxButtons) return;
    for (const ChannelRecord& record : records_) {
        if (record.buttonnr == n) {
            s_.platform.surface.Activate(record.frame);
            return;
        }
    }
}

void CWindowRegistry::SetButtonCaption(FrameId frame) {
    const ChannelRecord* record = FindByFrame(frame);
    if (!record || record->buttonnr < 0) return;
    s_.platform.surface.SetButton(record->buttonnr, record->title,
                                  s_.host.NetworkOf(record->socket).id);
    // Replacing the caption keeps the button lit.
    if (IsHighlighted(*record)) {
        s_.platform.surface.SetButtonHighlight(record->buttonnr, kHighlight);
    }
}

}  // namespace zorl
