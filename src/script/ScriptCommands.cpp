// The local commands that make the client scriptable: output, sounds and
// boxes, running script text, user variables, programs and the ignore list.
#include <string>
#include <vector>

#include "common/Numbers.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "config/IniStore.h"
#include "config/Settings.h"
#include "incoming/IgnoreNotify.h"
#include "platform/Platform.h"
#include "script/CommandLine.h"
#include "script/CommandTable.h"
#include "script/EventScripts.h"
#include "script/ScriptContext.h"
#include "script/ScriptFile.h"
#include "script/ScriptHost.h"
#include "script/ScriptText.h"
#include "script/SystemTarget.h"
#include "script/VariableExpander.h"
#include "windows/Output.h"

namespace zorl {
namespace {

// The words of script text split at the author's blanks only: a value a
// message put in stays one word, however many blanks it holds.
//   own "-e " + data "a b"  ->  "-e", "a b"
std::vector<ScriptText> OwnWords(const ScriptText& text) {
    std::vector<ScriptText> words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' && !text.IsData(i)) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !(text[end] == ' ' && !text.IsData(end))) ++end;
        words.push_back(text.Sub(i, end - i));
        i = end;
    }
    return words;
}

// The condition of IF, read from the author's own quotes and blanks: a
// value a message put in is one operand at most, never the operator.
class Condition {
public:
    explicit Condition(const ScriptText& text) : t_(text) {}

    // «"a b" rest» or «word rest». False when a quote is not closed or, with
    // `needsRest`, no blank follows the word.
    bool TakeOperand(std::string& operand, bool needsRest) {
        if (pos_ < t_.size() && t_[pos_] == '"' && !t_.IsData(pos_)) {
            const std::size_t close = FindOwn('"', pos_ + 1);
            if (close == std::string::npos) return false;
            operand = t_.Text().substr(pos_ + 1, close - pos_ - 1);
            pos_ = close + 1;
        } else {
            const std::size_t blank = FindOwn(' ', pos_);
            if (blank == std::string::npos && needsRest) return false;
            const std::size_t end = blank == std::string::npos ? t_.size() : blank;
            operand = t_.Text().substr(pos_, end - pos_);
            pos_ = end;
        }
        while (pos_ < t_.size() && t_[pos_] == ' ') ++pos_;
        return true;
    }
    // One character of the author's own, followed by a blank.
    bool TakeOperator(char& op) {
        const std::size_t blank = FindOwn(' ', pos_);
        if (blank != pos_ + 1 || t_.IsData(pos_)) return false;
        op = t_[pos_];
        pos_ = blank;
        while (pos_ < t_.size() && t_[pos_] == ' ') ++pos_;
        return true;
    }

private:
    std::size_t FindOwn(char c, std::size_t from) const {
        for (std::size_t i = from; i < t_.size(); ++i)
            if (t_[i] == c && !t_.IsData(i)) return i;
        return std::string::npos;
    }

    const ScriptText& t_;
    std::size_t pos_ = 0;
};

// "abc" < "ABD" and the like compare as lower-case texts.
int CompareNoCase(const std::string& a, const std::string& b) {
    return ToLower(a).compare(ToLower(b));
}

// Expands the author's own variables of `text` against the command line;
// what a message put in is shown as it is.
ScriptText ExpandOwnText(CommandLine& command, const ScriptText& text) {
    return command.ctx.expander.ExpandScript(command.message, text, &command.fields);
}

std::string ExpandOwn(CommandLine& command, const ScriptText& text) {
    return ExpandOwnText(command, text).Text();
}

}  // namespace

// NOTIFY: the notify list is asked at once and reported in full.
void NotifyCommand(CommandLine& command) { command.ctx.ignoreNotify.RequestIson(true); }

// PLAY ding: ding.WAV of wav/, else of the system's sound folder.
void PlayCommand(CommandLine& command) { command.ctx.host.PlaySoundFile(command.Args()); }

void BeepCommand(CommandLine& command) { command.ctx.platform.sound.Beep(); }

void MboxCommand(CommandLine& command) {
    command.ctx.platform.dialogs.MessageBox(ExpandOwn(command, command.ArgsText()),
                                            BoxIcon::Information);
}

// ECHO [colour] [#window] text: '/ECHO 4 #chan hello' prints "hello" in
// colour 4 into #chan. A first word that is not a non-zero number is text
// ('/ECHO 0 hello' prints "0 hello").
void EchoCommand(CommandLine& command) {
    std::string window = command.Channel();
    Colour colour = 1;
    ScriptText text = command.ArgsText();
    Split first = SplitWord(text.Text());
    if (Atoi(first.head) != 0 && !text.Of(first.head).HasData()) {
        auto found = command.ctx.colours.irc.find(std::string(first.head));
        if (found != command.ctx.colours.irc.end()) colour = found->second;
        ScriptText rest = text.Of(first.tail);
        text = std::move(rest);
    }
    if (!text.empty() && (text[0] == '#' || text[0] == '&') && !text.IsData(0)) {
        Split name = SplitWord(text.Text());
        window = std::string(name.head);
        ScriptText rest = text.Of(name.tail);
        text = std::move(rest);
    }
    command.ctx.output.Print(command.socket, window, colour, ExpandOwn(command, text));
}

// EXEC section: each line of the section of script.ini that is not empty
// and not a ";" comment runs as a script line in this window.
void ExecCommand(CommandLine& command) {
    for (const std::string& line :
         ReadSectionLines(command.ctx.ini, kScriptFile, command.Target())) {
        if (line.empty() || line[0] == ';') continue;
        command.ctx.events.RunScriptLine(command.frame, line);
    }
}

// IF (left op right) command, such as '/IF ($nick = joe) /PRIVMSG $channel hi'.
// Operands are words or "quoted texts"; the operators compare without regard
// to case, except "*" (contains) and "@" (a nick!user@host matches a mask).
void IfCommand(CommandLine& command) {
    const ScriptText& args = command.ArgsText();
    std::size_t open = std::string::npos, close = std::string::npos;
    for (std::size_t i = 0; i < args.size() && close == std::string::npos; ++i) {
        if (args.IsData(i)) continue;
        if (args[i] == '(' && open == std::string::npos) open = i;
        if (args[i] == ')') close = i;
    }
    if (open == std::string::npos || close == std::string::npos) return;
    const ScriptText body = args.Sub(close + 1).Trimmed();
    const ScriptText text = args.Sub(open + 1, close - open - 1).Trimmed();

    Condition condition(text);
    std::string a, b;
    char op = 0;
    if (!condition.TakeOperand(a, true) || !condition.TakeOperator(op) ||
        !condition.TakeOperand(b, false))
        return;
    bool holds = false;
    switch (op) {
        case '=': holds = EqualsNoCase(a, b); break;
        case '!': holds = !EqualsNoCase(a, b); break;
        case '<': holds = CompareNoCase(a, b) < 0; break;
        case '>': holds = CompareNoCase(a, b) > 0; break;
        case '~': holds = StartsWithNoCase(a, b); break;
        case '*': holds = a.find(b) != std::string::npos; break;
        case '@': holds = MatchMask(command.Expand(a), command.Expand(b)); break;
        default: break;
    }
    if (holds) command.ctx.events.RunScriptLine(command.frame, body);
}

// SET xN value: user variable N (1 to 10), read as $xN by scripts.
void SetCommand(CommandLine& command) {
    const ScriptText& args = command.ArgsText();
    Split name = SplitWord(args.Text());
    if (name.head.size() < 2 || (name.head[0] != 'x' && name.head[0] != 'X')) return;
    const int n = Atoi(name.head.substr(1));
    if (n < 1 || n > static_cast<int>(CVariableExpander::kUserVars)) return;
    command.ctx.expander.SetUserVar(static_cast<std::size_t>(n), std::string(name.tail),
                                    args.Of(name.tail).HasMessageData());
}

void DumpCommand(CommandLine& command) { command.ctx.host.ShowDump(); }

// XLAT command: the text is expanded and run as a script line; only with
// the Master setting, as it lets a line build and run any other. The user's
// own values become script; what came from a message stays data, so a
// stranger's text never runs as a command.
void XlatCommand(CommandLine& command) {
    if (command.ctx.settings.Master == 0) return;
    const ScriptText line = ExpandOwnText(command, command.ArgsText());
    command.ctx.events.RunScriptLine(command.frame, line.WithUserValuesOwn());
}

// SYSTEM program [parameters]: the parameters are split at blanks and each
// word reaches the program as it is; no shell sees any of it. A link or a
// document opens with the desktop's default handler instead (SystemTarget.h).
// Neither name may come from a message.
void SystemCommand(CommandLine& command) {
    if (command.Args().empty()) return;
    const std::string program = command.Target();
    const ScriptContext& ctx = command.ctx;
    const bool document = OpensWithTheDesktop(program, ctx.configDir);
    if (command.fields.nick.HasData()) {
        ctx.output.PrintF(nullptr, "", Cls::UError,
                          document ? "Not opened: %s (the name comes from a message)"
                                   : "Not started: %s (the program name comes from a message)",
                          program.c_str());
        return;
    }
    if (document) {
        if (!ctx.platform.shell.Open(program))
            ctx.output.PrintF(nullptr, "", Cls::UError, "Cannot open %s", program.c_str());
        return;
    }
    std::vector<std::string> arguments;
    for (const ScriptText& word : OwnWords(command.ArgsAfterTargetText()))
        arguments.push_back(word.Text());
    if (!ctx.platform.shell.Execute(program, arguments))
        ctx.output.PrintF(nullptr, "", Cls::UError, "Cannot start %s", program.c_str());
}

// IGNORE mask: ignored from now on and in zorl.ini for the next start.
void IgnoreCommand(CommandLine& command) {
    if (command.Args().empty()) return;
    command.ctx.ignoreList.push_back(command.Target());
    command.ctx.ini.AddListItem(CIniStore::kMainFile, "IGNORE", command.Target());
}

}  // namespace zorl
