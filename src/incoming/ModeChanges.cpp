#include "incoming/ModeChanges.h"

#include "config/Settings.h"
#include "incoming/IncomingContext.h"
#include "incoming/IncomingText.h"
#include "session/ServerConnection.h"
#include "session/ServerSupport.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl {

namespace {

// The explanatory lines of one mode letter, as templates; nullptr: no line.
// Lines begin with two blanks so they stand in from the summary. Templates
// without "$" or "#" expand to themselves.
struct ModeLetter {
    char letter;
    const char* plus;
    const char* minus;
};

constexpr ModeLetter kUserModes[] = {
    {'i', "  user $1 made invisible", "  user $1 made visible"},
    {'s', "  user $1 enabled to receive server messages",
     "  user $1 disabled to receive server messages"},
    {'w', "  wallops enabled for user $1", "  wallops disabled for user $1"},
    {'r', "  connection for user $1 restricted", nullptr},
};

// Letters that change the channel itself; any of them asks for the new mode
// string. b, k and l always show the third parameter, wherever they stand.
constexpr ModeLetter kChannelModes[] = {
    {'b', "  ban mask added: $3", "  ban mask removed: $3"},
    {'k', "  channel password set to \"$3\"", "  channel password removed"},
    {'l', "  user limit set to $3", "  user limit cleared"},
    {'i', "  channel invite only", "  channel no longer invite only"},
    {'m', "  channel moderated", "  channel no longer moderated"},
    {'n', "  external messages not allowed", "  external messages allowed"},
    {'p', "  channel private", "  channel no longer private"},
    {'s', "  channel secret", "  channel no longer secret"},
    {'t', "  topic change limited", "  topic changeble for anyone"},
};

template <std::size_t N>
const ModeLetter* FindLetter(const ModeLetter (&table)[N], char letter) {
    for (const ModeLetter& row : table)
        if (row.letter == letter) return &row;
    return nullptr;
}

// The line shown with ExtMode for a change of a member's status.
const char* StatusText(char letter, bool plus) {
    switch (letter) {
        case 'o': return plus ? "  op rights given to " : "  op rights removed from ";
        case 'v': return plus ? "  voice given to " : "  voice removed from ";
        case 'h': return plus ? "  half-op rights given to " : "  half-op rights removed from ";
        case 'a': return plus ? "  admin rights given to " : "  admin rights removed from ";
        case 'q': return plus ? "  owner rights given to " : "  owner rights removed from ";
        default: return nullptr;
    }
}

}  // namespace

void CModeChanges::HandleMode(CIrcSocket* socket, const IrcMessage& message) {
    if (message.params.size() < 2) return;
    if (c_.Connection().Support().IsChannel(message.params[0]))
        ChannelModes(socket, message);
    else
        UserModes(message);
}

// :me MODE me :+iw-s
void CModeChanges::UserModes(const IrcMessage& m) {
    ShowExpanded(
        c_, nullptr, "", Cls::Info, m,
        m.nick.empty() ? "usermode for $1 set to: $2-" : "$nick sets usermode for $1 to: $2-");
    if (c_.settings.ExtMode == 0) return;
    bool plus = true;
    for (char c : m.params[1]) {
        if (c == '+' || c == '-') {
            plus = c == '+';
            continue;
        }
        const ModeLetter* row = FindLetter(kUserModes, c);
        const char* text = row ? (plus ? row->plus : row->minus) : nullptr;
        if (text) ShowExpanded(c_, nullptr, "", Cls::Info, m, text);
    }
}

// :alice!a@host MODE #a +ob-l bob *!*@spam
// The prefix modes (o and v, and those of the server's PREFIX) take their
// nicks from params[2] on, in turn, and so do the modes CHANMODES gives a
// parameter; a letter with no parameter left is skipped. The nick-list
// steps need the message to name its setter: a MODE without prefix changes
// no nick list.
void CModeChanges::ChannelModes(CIrcSocket* socket, const IrcMessage& m) {
    const std::string& channel = m.params[0];
    FrameId frame = 0;
    if (!m.nick.empty() && c_.registry.GetDocByNameSocket(channel, socket))
        frame = c_.registry.GetFrmByNameSocket(channel, socket);

    ShowExpanded(c_, socket, channel, Cls::Info, m, "$nick sets mode: $2-");
    const bool explain = c_.settings.ExtMode != 0;
    const CServerSupport& support = c_.Connection().Support();
    bool plus = true;
    bool changed = false;
    std::size_t next = 2;
    for (char c : m.params[1]) {
        if (c == '+' || c == '-') {
            plus = c == '+';
            continue;
        }
        if (support.IsPrefixMode(c)) {
            if (next >= m.params.size()) continue;
            const std::string& nick = m.params[next++];
            if (const char* what = explain ? StatusText(c, plus) : nullptr)
                c_.output.Print(socket, channel, Cls::Info, what + nick);
            // Looked up again: output or a dialog underneath may have closed it.
            CZorlDoc* doc = frame ? c_.registry.DocOf(frame) : nullptr;
            if (doc && support.ModeBits(c))
                doc->NickUpdate(plus ? kNickSet : kNickClear, nick, support.ModeBits(c));
            continue;
        }
        if (support.TakesParameter(c, plus) && next < m.params.size()) ++next;
        const ModeLetter* row = FindLetter(kChannelModes, c);
        if (!row) continue;
        if (explain) ShowExpanded(c_, socket, channel, Cls::Info, m, plus ? row->plus : row->minus);
        changed = true;
    }
    // One request per line: the answer holds every change, and one request
    // per letter lets a "+bbbb..." line make us flood the server.
    if (changed) c_.Connection().SendLine(socket, "MODE " + channel, false);
}

}  // namespace zorl
