#include "session/LineParser.h"

#include "common/TextSplit.h"

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

}  // namespace zorl
