// The $-variable template language: every display template and command
// line is expanded against an IrcMessage context.
//
// A left-to-right scan; at each position the first variable whose name the
// text begins with (any letter case, nothing required after the name) and
// whose flag bits the message carries is replaced, anything else is copied:
//   "$nick has left $channel"  ->  "joe has left #x"
//   "$2 $6 $7 $3@$4 $8-"       ->  parameters 2, 6, 7, "p3@p4", then 8 to the end
// "$$" marks the next variable as required: when it turns out empty the whole
// result is "" ('/PRIVMSG $channel $$3' sends nothing without a $3).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script/ScriptText.h"
#include "session/IrcMessage.h"

namespace zorl {

class CZorlApp;

class CVariableExpander {
public:
    // Bound on the chains the language allows: $?, $randline and $getline
    // expand text that may hold the same variable again.
    static constexpr int kMaxDepth = 16;

    explicit CVariableExpander(CZorlApp& app) : app_(app) {}

    // Never fails: unknown or unavailable variables stay literal text. A chain
    // cut at kMaxDepth reports one error line, and the outermost call then
    // returns "".
    std::string ExpandVariables(const IrcMessage& message, const std::string& text);

    // The same expansion of script text (ScriptText.h): only the author's
    // own bytes are scanned, data is copied as it is, and every value put in
    // is data, except nick and parameters that `fields` says the author
    // wrote.
    ScriptText ExpandScript(const IrcMessage& message, const ScriptText& text,
                            const OwnedFields* fields = nullptr);

private:
    friend class ExpansionScan;

    std::string Expand(const IrcMessage& message, std::string_view text, const Origin* origins,
                       const OwnedFields* fields, std::vector<Origin>* outOrigins);

    // Runs a modal input request with the chain state set aside, so that
    // expansions started by events inside the dialog count on their own.
    bool AskUser(std::string& answer);

    CZorlApp& app_;
    int depth_ = 0;
    bool cut_ = false;  // a nested expansion hit kMaxDepth; unwind to the top
};

}  // namespace zorl
