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

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "session/IrcMessage.h"

namespace zorl {

struct Platform;
class CIniStore;
class CRandom;
class CWindowRegistry;
class COutput;
class ScriptText;
struct OwnedFields;
enum class Origin : uint8_t;

class CVariableExpander {
public:
    // Bound on the chains the language allows: $?, $randline and $getline
    // expand text that may hold the same variable again.
    static constexpr int kMaxDepth = 16;
    // $x1 ... $x10, filled by SET.
    static constexpr std::size_t kUserVars = 10;

    // `platform`: the clock of $time and the input box of $?; `ini`: the
    // script file of $randline and $getline; `registry`: the nick lists of
    // $randnick and $lastnick; `output`: the error line of a cut chain.
    CVariableExpander(Platform& platform, const CIniStore& ini, CRandom& random,
                      CWindowRegistry& registry, COutput& output)
        : platform_(platform), ini_(ini), random_(random), registry_(registry), output_(output) {}

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

    // User variable `n` (1 to kUserVars; any other n does nothing). With
    // `fromMessage` its value came from a message, and XLAT keeps it data.
    void SetUserVar(std::size_t n, std::string value, bool fromMessage = false);
    const std::string& UserVar(std::size_t n) const;

private:
    friend class ExpansionScan;

    std::string Expand(const IrcMessage& message, std::string_view text, const Origin* origins,
                       const OwnedFields* fields, std::vector<Origin>* outOrigins);

    // Runs a modal input request with the chain state set aside, so that
    // expansions started by events inside the dialog count on their own.
    bool AskUser(std::string& answer);

    Platform& platform_;
    const CIniStore& ini_;
    CRandom& random_;
    CWindowRegistry& registry_;
    COutput& output_;
    // Slot n-1 holds $xn, and whether its value came from a message.
    std::array<std::string, kUserVars> user_vars_;
    std::array<bool, kUserVars> user_var_from_message_{};
    int depth_ = 0;
    bool cut_ = false;  // a nested expansion hit kMaxDepth; unwind to the top
};

}  // namespace zorl
