// What conversation windows show, kept in the history store: each line
// shown in a channel, query or DCC chat window is stored with its network,
// time, kind, sender and msgid, and a window opened again shows its last
// stored lines above a marker line before the live ones.
#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "common/SharedTypes.h"
#include "platform/History.h"

namespace zorl {

struct WindowServices;
struct ChannelRecord;
class CZorlDoc;
class CIrcSocket;

// Who and what the line being handled is: set while a server line is
// handled, so that the lines it prints are stored with it.
struct LineOrigin {
    HistoryKind kind = HistoryKind::Other;
    std::string sender;
    std::string msgid;
};

// The kind of a server line by its command ("PRIVMSG", and "ACTION" for the
// CTCP inside one).
HistoryKind HistoryKindOf(const std::string& command, const std::string& ctcp);

class CLastingHistory {
public:
    static constexpr const char* kFile = "history.db";
    static constexpr const char* kMarker =
        "\xE2\x80\x94\xE2\x80\x94 history \xE2\x80\x94\xE2\x80\x94";

    explicit CLastingHistory(const WindowServices& services);

    // Opens the store when the option asks for it; returns the line to tell
    // the user (empty: nothing to say).
    std::string Start();
    void Stop();

    void SetOrigin(LineOrigin origin) { origin_ = std::move(origin); }
    void ClearOrigin() { origin_ = LineOrigin(); }
    // For one own line: stored as the user's.
    void SetOwn(bool own) { own_ = own; }

    // Whether the window of `name` keeps what it shows.
    bool Keeps(const ChannelRecord& record) const;
    // A line shown in `record`'s window, CR LF at its end or not.
    void Keep(const ChannelRecord& record, Colour colour, const std::string& line,
              std::time_t when);
    // A line of a server's playback that the store holds already.
    bool Holds(const ChannelRecord& record, const std::string& line, std::time_t when);
    // Shows a newly opened window's last stored lines, then the marker.
    void Restore(const ChannelRecord& record, CZorlDoc& doc);
    // Forgets a window's lines.
    void Forget(const ChannelRecord& record);

    // What the store had to say since last asked (a full disk); empty: nothing.
    std::string TakeProblem();

private:
    HistoryLine LineFor(const ChannelRecord& record, const std::string& line,
                        std::time_t when) const;
    std::string NetworkName(const CIrcSocket* socket) const;

    const WindowServices& s_;
    LineOrigin origin_;
    bool own_ = false;
};

}  // namespace zorl
