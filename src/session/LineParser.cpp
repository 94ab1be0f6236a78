#include "session/LineParser.h"

#include "app/CZorlApp.h"
#include "app/Settings.h"
#include "common/Format.h"
#include "common/ScopedFlag.h"
#include "common/TextSplit.h"
#include "session/Timers.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {

const std::string& IrcMessage::Param(std::size_t i) const {
    static const std::string empty;
    return i < params.size() ? params[i] : empty;
}

namespace {

constexpr char kCtcpMark = '\x01';

void SplitPrefix(std::string_view prefix, IrcMessage& m) {
    Split parts = SplitAt(prefix, "!");
    if (!parts.found) parts = SplitAt(prefix, "@");
    m.nick = parts.head;
    m.sender = parts.tail;
}

bool IsIgnored(std::string_view prefix, const std::vector<std::string>& ignoreList) {
    for (const std::string& mask : ignoreList)
        if (MatchMask(prefix, mask)) return true;
    return false;
}

// Fills m.params, reusing the strings it holds: a record that is parsed into
// line after line allocates only when a line is longer than any before it.
void SplitParams(std::string_view rest, IrcMessage& m) {
    std::size_t count = 0;
    auto add = [&](std::string_view param) {
        if (count < m.params.size()) {
            m.params[count].assign(param);
        } else {
            m.params.emplace_back(param);
        }
        ++count;
    };
    while (!rest.empty()) {
        if (rest[0] == ':') {
            add(rest.substr(1));
            break;
        }
        Split word = SplitWord(rest);
        add(word.head);
        rest = word.tail;
    }
    m.params.resize(count);
}

//   PRIVMSG #chat :\x01ACTION waves\x01  ->  c_command ACTION, c_params waves
void SplitCtcp(IrcMessage& m) {
    if (m.params.size() < 2 || m.params[1].empty() || m.params[1][0] != kCtcpMark) return;
    const std::string& text = m.params[1];
    std::size_t close = text.find(kCtcpMark, 1);
    if (close == std::string::npos) return;
    Split word = SplitWord(std::string_view(text).substr(1, close - 1));
    m.c_command = word.head;
    m.c_params = word.tail;
}

}  // namespace

IrcMessage ParseMessage(std::string_view line, const std::string& myNick,
                        const std::vector<std::string>& ignoreList, bool& ignored) {
    IrcMessage m;
    ParseMessageInto(m, line, myNick, ignoreList, ignored);
    return m;
}

void ParseMessageInto(IrcMessage& m, std::string_view line, const std::string& myNick,
                      const std::vector<std::string>& ignoreList, bool& ignored) {
    // Every field is written, so that the strings keep their buffers.
    m.flags = kAllRecordFields;
    m.me = myNick;
    for (std::string* field :
         {&m.channel, &m.nick, &m.sender, &m.command, &m.c_command, &m.c_params})
        field->clear();
    ignored = false;
    std::string_view rest = line;
    if (!rest.empty() && rest[0] == ':') {
        Split prefix = SplitWord(rest.substr(1));
        SplitPrefix(prefix.head, m);
        ignored = IsIgnored(prefix.head, ignoreList);
        rest = prefix.tail;
    }
    Split command = SplitWord(rest);
    m.command = command.head;
    SplitParams(command.tail, m);
    SplitCtcp(m);
    if (!m.params.empty()) m.channel = m.params[0];
}

void CLineParser::ParseLine(CIrcSocket* socket, std::string_view line) {
    if (line.empty()) return;
    // A line parsed while another is still being handled (a dialog of a
    // script runs the event loop) gets a record of its own.
    IrcMessage nested;
    const ScopedFlag inUse(parsing_);
    IrcMessage& message = inUse.WasRaised() ? nested : record_;
    bool ignored = false;
    ParseMessageInto(message, line, app_.settings.m_user_mynick, app_.IgnoreList, ignored);
    ResetIdleTimerFor(socket, message);
    if (app_.settings.ExtDebug) DumpMessage(message);
    app_.DispatchIncoming(socket, message, ignored);
    app_.MatchEvents(socket, message, ignored);
}

void CLineParser::ResetIdleTimerFor(CIrcSocket* socket, const IrcMessage& message) {
    if (!app_.timers.IdleTimerOn()) return;
    const ChannelRecord* record = app_.registry.FindCR(message.channel, socket);
    if (record && record->frame == app_.timers.IdleTimerWindow()) app_.timers.ResetTimer(2);
}

// One line of labelled fields: "Nick:" joe "Sender:" ~j@host ...
void CLineParser::DumpMessage(const IrcMessage& m) {
    const Colour label = 0x000080;  // dark red
    const Colour value = 0x808080;  // grey
    app_.output.DebugOut(label, "Nick:", true);
    app_.output.DebugOut(value, m.nick + " ", false);
    app_.output.DebugOut(label, "Sender:", false);
    app_.output.DebugOut(value, m.sender + " ", false);
    app_.output.DebugOut(label, "Command:", false);
    app_.output.DebugOut(value, m.command + " ", false);
    for (std::size_t i = 0; i < m.params.size(); ++i) {
        app_.output.DebugOut(label, FormatBounded(64, "param[%d]:", static_cast<int>(i)), false);
        app_.output.DebugOut(value, m.params[i] + " ", false);
    }
    app_.output.DebugOut(value, "\r\n", false);
}

}  // namespace zorl
