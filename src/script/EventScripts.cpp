// Event scripts: the lines of section "Script" of script.ini, each
//   TYPE pattern : mask : commands
// matched against every server line after the dispatcher has handled it.
//   TEXTIN hello : *!*@* : /msg $channel hi $nick
#include "script/EventScripts.h"

#include "common/FormatCodes.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "config/Settings.h"
#include "script/ScriptContext.h"
#include "script/ScriptFile.h"
#include "script/ScriptText.h"
#include "script/VariableExpander.h"
#include "windows/WindowRegistry.h"

namespace zorl {
namespace {

// What an incoming line is to the event scripts: T text (a message or an
// action), C another CTCP, R a numeric reply, O any other command.
struct Event {
    char kind = 0;
    std::string text;  // the message text for T, lower-cased
};

Event Classify(const IrcMessage& m) {
    if (!m.c_command.empty()) {
        if (EqualsNoCase(m.c_command, "ACTION")) return {'T', ToLower(m.c_params)};
        return {'C', {}};
    }
    if (Atoi(m.command) != 0) return {'R', {}};
    if (!EqualsNoCase(m.command, "PRIVMSG")) return {'O', {}};
    return {'T', ToLower(m.Param(1))};
}

// TEXTWRD: the first occurrence of the pattern, standing as a whole word.
bool HoldsWord(std::string_view text, std::string_view pattern) {
    std::size_t at = text.find(pattern);
    if (at == std::string_view::npos) return false;
    std::size_t end = at + pattern.size();
    return (at == 0 || text[at - 1] == ' ') && (end == text.size() || text[end] == ' ');
}

}  // namespace

void CEventScripts::LoadScript() {
    script_.clear();
    for (const std::string& line : ReadSectionLines(ctx_.ini, kScriptFile, kScriptSection)) {
        std::string_view trimmed = Trim(line);
        if (!trimmed.empty() && trimmed[0] != ';') script_.emplace_back(trimmed);
    }
}

void CEventScripts::MatchEvents(CIrcSocket* socket, const IrcMessage& message, bool ignored) {
    if (script_.empty()) return;  // most users have none: no lookup per line
    // A private message fires in the query window of its sender.
    const std::string& name = message.channel != message.me ? message.channel : message.nick;
    const ChannelRecord* record = ctx_.registry.FindCR(name, socket);
    if (!record) return;
    const bool scripted = record->type == kWindowChannel ||
                          (record->type == kWindowQuery && ctx_.settings.ScriptsQuery);
    if (!scripted) return;
    const FrameId frame = record->frame;

    Event event = Classify(message);
    if (ignored && (event.kind == 'T' || event.kind == 'C')) return;

    // Each candidate's "mask : commands", copied: the script list may be
    // loaded anew while a dialog of a firing line is open.
    std::vector<std::string> candidates;
    bool stripped = false;
    for (const std::string& line : script_) {
        Split type = SplitWord(line);
        if (type.head.empty() || type.head[0] != event.kind) continue;
        Split rest = SplitAt(type.tail, ":");
        std::string pattern = ToLower(Trim(rest.head));
        bool hit = false;
        if (type.head == "ON" || type.head == "CTCP" || type.head == "RAW") {
            hit = EqualsNoCase(pattern, message.command);
        } else if (type.head == "TEXT" || type.head == "TEXTIN" || type.head == "TEXTWRD") {
            // "~hello" compares with the text as the pane shows it; the
            // stripped text stays for the lines after this one.
            if (pattern.starts_with('~')) {
                pattern.erase(0, 1);
                if (!stripped) event.text = StripFormatCodes(event.text);
                stripped = true;
            }
            if (type.head == "TEXT")
                hit = pattern == event.text;
            else if (type.head == "TEXTIN")
                hit = event.text.find(pattern) != std::string::npos;
            else
                hit = HoldsWord(event.text, pattern);
        }
        if (hit) candidates.emplace_back(rest.tail);
    }
    if (candidates.empty()) return;

    // The first candidate whose mask covers the sender fires, and only it.
    const std::string sender = message.nick + "!" + message.sender;
    for (const std::string& candidate : candidates) {
        Split parts = SplitAt(candidate, ":");
        std::string mask = ctx_.expander.ExpandVariables(message, std::string(Trim(parts.head)));
        if (!MatchMask(sender, mask)) continue;
        IrcMessage context = message;
        context.flags |= kGeneralVariables;
        ScriptText commands =
            ctx_.expander.ExpandScript(context, ScriptText::Own(TrimLeft(parts.tail)));
        RunCommandText(frame, commands, context);
        return;
    }
}

// A "~" pattern compares with the text as the pane shows it, so the codes
// are read by the pane's own scanner: "\x03" "042 apples" is "2 apples" in
// both places.
std::string StripFormatCodes(std::string_view text) { return VisibleText(text); }

}  // namespace zorl
