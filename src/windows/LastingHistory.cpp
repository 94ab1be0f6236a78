#include "windows/LastingHistory.h"

#include <string_view>

#include "common/Text.h"
#include "common/TimeText.h"
#include "config/Settings.h"
#include "platform/Platform.h"
#include "windows/ChannelRecord.h"
#include "windows/WindowServices.h"
#include "windows/ZorlDoc.h"

namespace zorl {
namespace {

std::string_view WithoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    return line;
}

}  // namespace

HistoryKind HistoryKindOf(const std::string& command, const std::string& ctcp) {
    struct Row {
        const char* command;
        HistoryKind kind;
    };
    static constexpr Row kRows[] = {
        {"PRIVMSG", HistoryKind::Message}, {"NOTICE", HistoryKind::Notice},
        {"JOIN", HistoryKind::Join},       {"PART", HistoryKind::Part},
        {"QUIT", HistoryKind::Quit},       {"KICK", HistoryKind::Kick},
        {"NICK", HistoryKind::Nick},       {"MODE", HistoryKind::Mode},
        {"TOPIC", HistoryKind::Topic},
    };
    if (command == "PRIVMSG" && ctcp == "ACTION") return HistoryKind::Action;
    for (const Row& row : kRows)
        if (command == row.command) return row.kind;
    return HistoryKind::Other;
}

CLastingHistory::CLastingHistory(const WindowServices& services) : s_(services) {}

std::string CLastingHistory::Start() {
    IHistoryStore& store = s_.platform.history;
    if (s_.settings.History == 0) {
        store.Close();
        return {};
    }
    if (store.IsOpen()) return {};
    std::string notice;
    if (store.Open(s_.configDir + kFile, notice))
        store.Prune(s_.settings.HistoryDays, s_.settings.HistoryMegabytes, s_.platform.clock.Now());
    return notice;
}

void CLastingHistory::Stop() { s_.platform.history.Close(); }

bool CLastingHistory::Keeps(const ChannelRecord& record) const {
    if (s_.settings.History == 0 || !s_.platform.history.IsOpen()) return false;
    switch (record.type) {
        case kWindowChannel:
        case kWindowQuery:
        case kWindowDccQuery: return true;
        case kWindowStatus: return s_.settings.HistoryStatus != 0;
        default: return false;
    }
}

std::string CLastingHistory::NetworkName(const CIrcSocket* socket) const {
    return s_.host.NetworkOf(socket).name;
}

HistoryLine CLastingHistory::LineFor(const ChannelRecord& record, const std::string& line,
                                     std::time_t when) const {
    HistoryLine stored;
    stored.network = NetworkName(record.socket);
    stored.window = record.name;
    stored.time = when;
    stored.kind = own_ ? HistoryKind::Own : origin_.kind;
    stored.sender = own_ ? s_.host.OwnNick(record.socket) : origin_.sender;
    stored.text = WithoutLineEnd(line);
    stored.msgid = own_ ? std::string() : origin_.msgid;
    return stored;
}

void CLastingHistory::Keep(const ChannelRecord& record, Colour colour, const std::string& line,
                           std::time_t when) {
    if (!Keeps(record)) return;
    HistoryLine stored = LineFor(record, line, when);
    if (stored.text.empty()) return;
    stored.colour = colour;
    s_.platform.history.Add(stored);
}

bool CLastingHistory::Holds(const ChannelRecord& record, const std::string& line,
                            std::time_t when) {
    return Keeps(record) && s_.platform.history.Contains(LineFor(record, line, when));
}

void CLastingHistory::Restore(const ChannelRecord& record, CZorlDoc& doc) {
    if (!Keeps(record) || s_.settings.HistoryLines <= 0) return;
    const std::vector<HistoryLine> lines =
        s_.platform.history.Recent(NetworkName(record.socket), record.name,
                                   static_cast<std::size_t>(s_.settings.HistoryLines));
    if (lines.empty()) return;
    const Colour timeColour = s_.settings.Color.Time;
    const bool stamped = s_.settings.TimeStamp != 0;
    for (const HistoryLine& line : lines) {
        if (stamped) doc.AppendString(FormatLocalTime("[%#H:%M] ", line.time), timeColour, false);
        doc.AppendString(line.text + "\r\n", line.colour, false);
    }
    doc.AppendString(std::string(kMarker) + "\r\n", timeColour, false);
}

void CLastingHistory::Forget(const ChannelRecord& record) {
    s_.platform.history.Clear(NetworkName(record.socket), record.name);
}

std::string CLastingHistory::TakeProblem() { return s_.platform.history.TakeProblem(); }

}  // namespace zorl
