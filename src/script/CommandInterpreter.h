// Carries out one typed or scripted line in a window: aliases, plain text
// to the window's channel or peer, or a command of the command table
// (script/CommandTable.h).
#pragma once

#include <cstddef>
#include <string>

#include "common/SharedTypes.h"

namespace zorl {

struct ScriptContext;
class ScriptText;

struct CommandLine;

class CCommandInterpreter {
public:
    // Bounds on an alias chain ('/a /a $2' would go on for ever, '/a /a $1 $1'
    // doubles the line each round): far above any real definition.
    static constexpr int kMaxAliasDepth = 32;
    static constexpr std::size_t kMaxAliasText = 64 * 1024;

    explicit CCommandInterpreter(const ScriptContext& ctx) : ctx_(ctx) {}

    // Carries out `line` in the window of `frame`. Blank lines and a lone
    // "/" do nothing; an unregistered frame is reported.
    void SendString(FrameId frame, const std::string& line);
    // The same for a line of script text: a first word that holds data is
    // no command and no alias, the line goes out as plain text.
    void SendScript(FrameId frame, const ScriptText& line);

private:
    bool ApplyAliases(CommandLine& command, ScriptText text);
    void SendPlainText(CommandLine& command);
    void Dispatch(CommandLine& command);
    // "@label=z7 " for a question whose answer should come back to its
    // window (labeled-response); "" otherwise.
    std::string MarkQuestion(const CommandLine& command);
    static bool CommandWordIsData(const CommandLine& command);

    const ScriptContext& ctx_;  // the application's, which outlives this
};

}  // namespace zorl
