// The runners: every script text (event, timer, start-up list, EXEC, IF,
// XLAT) reaches the command interpreter through RunCommandText.
#include "common/Format.h"
#include "common/TextSplit.h"
#include "config/IniStore.h"
#include "config/Settings.h"
#include "script/CommandInterpreter.h"
#include "script/EventScripts.h"
#include "script/ScriptContext.h"
#include "script/ScriptText.h"
#include "script/VariableExpander.h"
#include "session/ServerConnection.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {
namespace {

// A " | " of the author's own, outside any group, ends a command; "{" and
// "}" of the author's switch grouping on and off and are dropped. Text in a
// group stays the author's but can no longer separate, so a group keeps its
// " | " however often the command is expanded again. Data is copied as it is.
//   "/msg $nick hi | /join #x"  ->  "/msg $nick hi", "/join #x"
//   "{/echo a | b}"             ->  "/echo a | b"
std::vector<ScriptText> SplitCommands(const ScriptText& text) {
    auto own = [&](std::size_t i) { return text.At(i) == Origin::kOwn; };
    std::vector<ScriptText> parts(1);
    bool grouped = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (own(i) && (c == '{' || c == '}')) {
            grouped = c == '{';
            continue;
        }
        if (!grouped && own(i) && c == '|' && i > 0 && i + 1 < text.size() && text[i - 1] == ' ' &&
            own(i - 1) && text[i + 1] == ' ' && own(i + 1)) {
            parts.emplace_back();
            continue;
        }
        parts.back().Append(c, grouped && own(i) ? Origin::kGrouped : text.At(i));
    }
    return parts;
}

}  // namespace

// Counts the runners on the stack; the outermost one starts a fresh budget.
class CEventScripts::RunScope {
public:
    explicit RunScope(CEventScripts& scripts) : s_(scripts) {
        if (s_.depth_++ == 0) {
            s_.commands_ = 0;
            s_.cut_ = false;
        }
    }
    ~RunScope() { --s_.depth_; }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

    // False when this runner must do nothing.
    bool MayRun() {
        if (s_.cut_) return false;
        if (s_.depth_ <= kMaxNesting) return true;
        s_.Cut(Format("ERROR: RunCommandText: scripts nested more than %d deep, rest dropped",
                      kMaxNesting));
        return false;
    }

private:
    CEventScripts& s_;
};

void CEventScripts::Cut(const std::string& error) {
    cut_ = true;
    ctx_.output.Print(nullptr, "", Cls::Error, error);
}

bool CEventScripts::StartCommand() {
    if (cut_) return false;
    if (++commands_ <= kMaxCommandsPerRun) return true;
    Cut(Format("ERROR: RunCommandText: more than %d commands in one run, rest dropped",
               kMaxCommandsPerRun));
    return false;
}

// Each part is expanded; a part that expansion changed is run again as a
// command text (the author's leftovers such as "##" -> "#" -> the channel
// are expanded until nothing changes; data never is, so this ends at once
// for anything a stranger wrote).
void CEventScripts::RunCommandText(FrameId frame, const ScriptText& text, const IrcMessage& message,
                                   const OwnedFields* fields) {
    RunScope scope(*this);
    if (!scope.MayRun()) return;
    for (const ScriptText& part : SplitCommands(text)) {
        if (cut_) return;
        ScriptText command = part.Trimmed();
        ScriptText expanded = ctx_.expander.ExpandScript(message, command, fields);
        if (!(expanded == command.Text())) {
            RunCommandText(frame, expanded, message, fields);
            continue;
        }
        if (!StartCommand()) return;
        ctx_.interpreter.SendScript(frame, expanded);
    }
}

// "/msg #x :hello there" in #chan: $command "/msg", $1 "#x", $2 "hello there",
// $channel "#chan", and the local variables.
void CEventScripts::RunScriptLine(FrameId frame, const std::string& line) {
    RunScriptLine(frame, ScriptText::Own(line));
}

void CEventScripts::RunScriptLine(FrameId frame, const ScriptText& line) {
    IrcMessage message;
    message.flags = kHasChannel | kHasMe | kHasParams | kGeneralVariables;
    message.me = ctx_.Connection().Nick();
    if (const ChannelRecord* record = ctx_.registry.FindByFrame(frame))
        message.channel = record->name;

    OwnedFields fields;
    TakeWords(message, fields, line);
    RunCommandText(frame, line, message, &fields);
}

// "/msg $nick hi :there all" -> command "/msg", $1 "$nick", $2 "hi", $3
// "there all": words up to one that starts with ":", which takes the rest.
void CEventScripts::TakeWords(IrcMessage& message, OwnedFields& fields, const ScriptText& line) {
    Split word = SplitWord(line.Text());
    message.command = word.head;
    for (std::string_view rest = word.tail; !rest.empty();) {
        if (rest[0] == ':') {
            fields.params.push_back(line.Of(rest.substr(1)));
            break;
        }
        word = SplitWord(rest);
        fields.params.push_back(line.Of(word.head));
        rest = word.tail;
    }
    for (const ScriptText& param : fields.params) message.params.push_back(param.Text());
}

// In the command «/msg $nick welcome back», $nick is the nick as the server
// wrote it (data, like every value a message puts in) and $me the own nick;
// there is no $channel. The command's own words are $1 $2 ...
void CEventScripts::RunNotifyCommand(const std::string& nick, const std::string& commandText) {
    const ScriptText command = ScriptText::Own(commandText);
    IrcMessage message;
    message.flags = kGeneralVariables | kHasNick | kHasMe | kHasParams;
    message.me = ctx_.Connection().Nick();
    message.nick = nick;
    OwnedFields fields;
    fields.nick = ScriptText::Data(nick);
    TakeWords(message, fields, command);
    RunCommandText(ctx_.registry.StatusFrameOf(nullptr), command, message, &fields);
}

// [STARTUP]
// n0=/join #x
// n1=/msg nickserv identify secret
void CEventScripts::RunStartup() {
    for (const std::string& entry : ctx_.ini.ReadList(CIniStore::kMainFile, kStartupSection)) {
        if (entry.starts_with(';')) continue;
        // Looked up again each time: a command may close windows.
        RunScriptLine(ctx_.registry.StatusFrameOf(nullptr), entry);
    }
}

}  // namespace zorl
