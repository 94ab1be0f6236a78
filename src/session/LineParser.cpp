#include "session/LineParser.h"

#include "common/TextSplit.h"

namespace zorl {

const std::string& IrcMessage::Param(std::size_t i) const {
    static const std::string empty;
    return i < params.size() ? params[i] : empty;
}

const std::string* IrcMessage::Tag(std::string_view key) const {
    for (const MessageTag& tag : tags)
        if (tag.key == key) return &tag.value;
    return nullptr;
}

// \: is ";", \s a blank, \\ a backslash, \r and \n CR and LF; a backslash
// before any other character is dropped, and one at the end is dropped.
std::string UnescapeTagValue(std::string_view escaped) {
    std::string value;
    value.reserve(escaped.size());
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] != '\\') {
            value += escaped[i];
            continue;
        }
        if (++i == escaped.size()) break;
        switch (escaped[i]) {
            case ':': value += ';'; break;
            case 's': value += ' '; break;
            case 'r': value += '\r'; break;
            case 'n': value += '\n'; break;
            default: value += escaped[i]; break;
        }
    }
    return value;
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

// "a=1;+b;c=x\sy": empty entries are skipped; a key given twice keeps its
// last value, as the tag specification says.
void SplitTags(std::string_view section, IrcMessage& m) {
    while (!section.empty()) {
        const std::size_t end = section.find(';');
        const std::string_view entry = section.substr(0, end);
        section = end == std::string_view::npos ? std::string_view() : section.substr(end + 1);
        if (entry.empty()) continue;
        const std::size_t equals = entry.find('=');
        const std::string_view key = entry.substr(0, equals);
        if (key.empty()) continue;
        std::string value = equals == std::string_view::npos
                                ? std::string()
                                : UnescapeTagValue(entry.substr(equals + 1));
        bool known = false;
        for (MessageTag& tag : m.tags)
            if (tag.key == key) {
                tag.value = std::move(value);
                known = true;
            }
        if (!known) m.tags.push_back({std::string(key), std::move(value)});
    }
}

}  // namespace

IrcMessage ParseMessage(std::string_view line, const std::string& myNick,
                        const std::vector<std::string>& ignoreList, bool& ignored) {
    IrcMessage m;
    ParseMessageInto(m, line, myNick, ignoreList, ignored);
    return m;
}

bool ParseMessageInto(IrcMessage& m, std::string_view line, const std::string& myNick,
                      const std::vector<std::string>& ignoreList, bool& ignored) {
    // Every field is written, so that the strings keep their buffers.
    m.flags = kAllRecordFields;
    m.me = myNick;
    for (std::string* field :
         {&m.channel, &m.nick, &m.sender, &m.command, &m.c_command, &m.c_params})
        field->clear();
    ignored = false;
    m.tags.clear();
    std::string_view rest = line;
    if (!rest.empty() && rest[0] == '@') {
        const std::size_t blank = rest.find(' ');
        const std::size_t length = blank == std::string_view::npos ? rest.size() : blank + 1;
        if (length > kMaxTagSection) {
            m.params.clear();
            return false;
        }
        SplitTags(rest.substr(1, length - (blank == std::string_view::npos ? 1 : 2)), m);
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
        while (!rest.empty() && rest[0] == ' ') rest.remove_prefix(1);
    }
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
    return true;
}

}  // namespace zorl
