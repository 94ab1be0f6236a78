// Event scripts of script.ini that fire on incoming messages, the start-up
// command list run after the message of the day, and the two runners that
// every script text goes through on its way to the command interpreter.
//
// Runners for the other script users (timers, EXEC, IF, XLAT, the notify
// list): RunScriptLine with the author's own line, or with a ScriptText when
// the line holds data (IF runs its command from the marked $3 of its
// CommandLine; XLAT alone turns data into script, and only the user's own
// values of its expanded text, ScriptText::WithUserValuesOwn). Whatever
// calls them, one run is bounded: at most kMaxNesting runners deep and
// kMaxCommandsPerRun commands, so a timer or an event that triggers itself
// costs bounded work per tick or line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/SharedTypes.h"
#include "session/IrcMessage.h"

namespace zorl {

struct ScriptContext;
class ScriptText;
struct OwnedFields;

class CIrcSocket;

class CEventScripts {
public:
    static constexpr const char* kScriptSection = "Script";
    static constexpr const char* kStartupSection = "STARTUP";
    // Far above any real script: EXEC of a section that EXECs itself, or an
    // event line with a few hundred commands, is cut here with one error.
    static constexpr int kMaxNesting = 8;
    static constexpr int kMaxCommandsPerRun = 256;

    explicit CEventScripts(const ScriptContext& ctx) : ctx_(ctx) {}

    void LoadScript();
    // The script lines, trimmed, comments left out.
    const std::vector<std::string>& ScriptLines() const { return script_; }

    void MatchEvents(CIrcSocket* socket, const IrcMessage& message, bool ignored);
    void RunStartup();

    // Runs one line in the window of `frame`: its words are $1 $2 ..., the
    // local variables and $channel (the window's name) are there.
    void RunScriptLine(FrameId frame, const std::string& line);
    void RunScriptLine(FrameId frame, const ScriptText& line);
    // Splits `text` at the author's " | " outside "{ }", expands each part
    // against `message` and hands it to the interpreter. `fields` says which
    // of the message's fields the author wrote (null: all are data).
    void RunCommandText(FrameId frame, const ScriptText& text, const IrcMessage& message,
                        const OwnedFields* fields = nullptr);
    // The command of a notify list entry, run in the status window when
    // `nick` comes on IRC.
    void RunNotifyCommand(const std::string& nick, const std::string& command);

private:
    class RunScope;
    static void TakeWords(IrcMessage& message, OwnedFields& fields, const ScriptText& line);
    bool StartCommand();
    void Cut(const std::string& error);

    const ScriptContext& ctx_;  // the application's, which outlives this
    std::vector<std::string> script_;
    int depth_ = 0;     // runners on the stack
    int commands_ = 0;  // commands carried out by the outermost run
    bool cut_ = false;  // the outermost run hit a bound: drop the rest
};

// The text with the formatting codes that the output pane hides removed:
//   "\x02hi\x02 \x03" "04,12there" -> "hi there"
std::string StripFormatCodes(std::string_view text);

}  // namespace zorl
