// The local commands that make the client scriptable: output, sounds and
// boxes, running script text, user variables, programs and the ignore list.
#include <optional>

#include "app/CZorlApp.h"
#include "app/Dump.h"
#include "app/Settings.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "config/IniStore.h"
#include "incoming/IgnoreNotify.h"
#include "platform/Platform.h"
#include "script/CommandLine.h"
#include "script/CommandTable.h"
#include "script/EventScripts.h"
#include "script/ScriptFile.h"
#include "windows/Output.h"

namespace zorl {
namespace {

// EXEC, IF and XLAT run lines that may run them again: a section that
// executes itself, or a few that execute each other many times over. The
// nesting and the lines one typed or scripted command may run are bounded,
// far above what a real script does.
constexpr int kMaxNesting = 16;
constexpr int kMaxLinesPerCommand = 4096;
int nesting = 0;
int linesRun = 0;

void RunNested(CommandLine& command, const char* name, const std::string& line) {
    if (nesting == 0) linesRun = 0;
    if (nesting >= kMaxNesting || linesRun >= kMaxLinesPerCommand) {
        if (nesting >= kMaxNesting || linesRun++ == kMaxLinesPerCommand)
            command.app.output.PrintF(nullptr, "", Cls::Error,
                                      "ERROR: %s: scripts run too deep or too long, line dropped",
                                      name);
        return;
    }
    ++linesRun;
    ++nesting;
    command.app.events.RunScriptLine(command.frame, line);
    --nesting;
}

// An operand of a condition: «"a b" rest» or «word rest». Null when the
// quote is not closed or, for a word, no blank follows it.
struct Operand {
    std::string text;
    std::string_view rest;
};

std::optional<Operand> TakeOperand(std::string_view text, bool needsRest) {
    if (text.starts_with('"')) {
        std::size_t close = text.find('"', 1);
        if (close == std::string_view::npos) return {};
        return Operand{std::string(text.substr(1, close - 1)), TrimLeft(text.substr(close + 1))};
    }
    Split word = SplitWord(text);
    if (needsRest && !word.found) return {};
    return Operand{std::string(word.head), word.tail};
}

// "abc" < "ABD" and the like compare as lower-case texts.
int CompareNoCase(const std::string& a, const std::string& b) {
    return ToLower(a).compare(ToLower(b));
}

}  // namespace

// NOTIFY: the notify list is asked at once and reported in full.
void NotifyCommand(CommandLine& command) { command.app.ignoreNotify.RequestIson(true); }

void BeepCommand(CommandLine& command) { command.app.platform.sound.Beep(); }

void MboxCommand(CommandLine& command) {
    command.app.platform.dialogs.MessageBox(command.Expand(command.Args()), BoxIcon::Information);
}

// ECHO [colour] [#window] text: '/ECHO 4 #chan hello' prints "hello" in
// colour 4 into #chan. A first word that is not a non-zero number is text
// ('/ECHO 0 hello' prints "0 hello").
void EchoCommand(CommandLine& command) {
    std::string window = command.Channel();
    Colour colour = 1;
    std::string text = command.Args();
    Split first = SplitWord(text);
    if (Atoi(first.head) != 0) {
        auto found = command.app.colours.irc.find(std::string(first.head));
        if (found != command.app.colours.irc.end()) colour = found->second;
        text = std::string(first.tail);
    }
    if (text.starts_with('#') || text.starts_with('&')) {
        Split name = SplitWord(text);
        window = std::string(name.head);
        text = std::string(name.tail);
    }
    command.app.output.Print(command.socket, window, colour, command.Expand(text));
}

// EXEC section: each line of the section of script.ini that is not empty
// and not a ";" comment runs as a script line in this window.
void ExecCommand(CommandLine& command) {
    for (const std::string& line :
         ReadSectionLines(command.app.ini, kScriptFile, command.Target())) {
        if (line.empty() || line[0] == ';') continue;
        RunNested(command, "EXEC", line);
    }
}

// IF (left op right) command, such as '/IF ($nick = joe) /PRIVMSG $channel hi'.
// Operands are words or "quoted texts"; the operators compare without regard
// to case, except "*" (contains) and "@" (a nick!user@host matches a mask).
void IfCommand(CommandLine& command) {
    const std::string& args = command.Args();
    const std::size_t open = args.find('(');
    const std::size_t close = args.find(')');
    if (open == std::string::npos || close == std::string::npos || close < open) return;
    const std::string body(TrimLeft(std::string_view(args).substr(close + 1)));
    const std::string_view condition =
        Trim(std::string_view(args).substr(open + 1, close - open - 1));

    std::optional<Operand> left = TakeOperand(condition, true);
    if (!left) return;
    Split op = SplitWord(left->rest);
    if (!op.found) return;
    std::optional<Operand> right = TakeOperand(op.tail, false);
    if (!right || op.head.size() != 1) return;

    const std::string& a = left->text;
    const std::string& b = right->text;
    bool holds = false;
    switch (op.head[0]) {
        case '=': holds = EqualsNoCase(a, b); break;
        case '!': holds = !EqualsNoCase(a, b); break;
        case '<': holds = CompareNoCase(a, b) < 0; break;
        case '>': holds = CompareNoCase(a, b) > 0; break;
        case '~': holds = StartsWithNoCase(a, b); break;
        case '*': holds = a.find(b) != std::string::npos; break;
        case '@': holds = MatchMask(command.Expand(a), command.Expand(b)); break;
        default: break;
    }
    if (holds) RunNested(command, "IF", body);
}

// SET xN value: user variable N (1 to 10), read as $xN by scripts.
void SetCommand(CommandLine& command) {
    Split name = SplitWord(command.Args());
    if (name.head.size() < 2 || (name.head[0] != 'x' && name.head[0] != 'X')) return;
    const int n = Atoi(name.head.substr(1));
    if (n < 1 || n > 10) return;
    command.app.UserVars[static_cast<std::size_t>(n - 1)] = std::string(name.tail);
}

void DumpCommand(CommandLine& command) { DumpVariables(command.app); }

// XLAT command: the text is expanded and run as a script line; only with
// the Master setting, as it lets a line build and run any other.
void XlatCommand(CommandLine& command) {
    if (command.app.settings.Master == 0) return;
    RunNested(command, "XLAT", command.Expand(command.Args()));
}

// SYSTEM program [parameters]: the parameters are split at blanks and each
// word reaches the program as it is; no shell sees any of it.
void SystemCommand(CommandLine& command) {
    if (command.Args().empty()) return;
    const std::string program = command.Target();
    std::vector<std::string> arguments;
    ForEachWord(command.ArgsAfterTarget(),
                [&](std::string_view word) { arguments.emplace_back(word); });
    if (!command.app.platform.shell.Execute(program, arguments))
        command.app.output.PrintF(nullptr, "", Cls::UError, "Cannot start %s", program.c_str());
}

// IGNORE mask: ignored from now on and in zorl.ini for the next start.
void IgnoreCommand(CommandLine& command) {
    if (command.Args().empty()) return;
    command.app.IgnoreList.push_back(command.Target());
    command.app.ini.AddListItem(CIniStore::kMainFile, "IGNORE", command.Target());
}

}  // namespace zorl
