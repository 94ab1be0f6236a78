#include "script/VariableExpander.h"

#include <algorithm>
#include <climits>

#include "app/CZorlApp.h"
#include "common/Format.h"
#include "common/Random.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "common/TimeText.h"
#include "config/IniStore.h"
#include "platform/Platform.h"
#include "script/ScriptFile.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl {
namespace {

// The value of a digit run, saturating at INT_MAX ("$99999999999" is simply
// a parameter that does not exist).
int DigitValue(std::string_view digits) {
    long long value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
        if (value > INT_MAX) return INT_MAX;
    }
    return static_cast<int>(value);
}

}  // namespace

// One pass over one template. At each position "$$" is tested first, then
// the rules of kRules in their order, then the "#" rule; text that none of
// them takes is copied. Only "$" and "#" can begin a rule, so the text up to
// the next of them is copied in one piece: a template without variables
// costs one copy.
class ExpansionScan {
public:
    ExpansionScan(CVariableExpander& owner, const IrcMessage& message)
        : owner_(owner), app_(owner.app_), m_(message) {}

    std::string Run(const std::string& text);

private:
    struct Produced {
        enum Kind {
            kNoMatch,    // the rule does not apply here
            kValue,      // a value subject to the required mark
            kUnchecked,  // appended without the test; clears the mark
        } kind = kNoMatch;
        // A view of the message, the template, a literal or computed_; it is
        // used before the next rule runs, so nothing can change what it shows.
        std::string_view text;
        bool computed = false;   // `text` is computed_
        std::size_t length = 0;  // characters of the template consumed
    };
    // `at` is the template from the current position; it begins with `name`.
    using Producer = Produced (ExpansionScan::*)(std::string_view at, std::size_t name);
    struct Rule {
        std::string_view name;
        int flags;  // every bit must be set in the message
        Producer produce;
    };
    static const Rule kRules[];

    static Produced View(std::string_view value, std::size_t length) {
        return {Produced::kValue, value, false, length};
    }
    Produced Value(std::string value, std::size_t length) {
        computed_ = std::move(value);
        return {Produced::kValue, computed_, true, length};
    }
    static Produced Unchecked(std::string_view value, std::size_t length) {
        return {Produced::kUnchecked, value, false, length};
    }

    Produced Apply(std::string_view at);
    Produced HashRule(std::string_view at) const;

    Produced Channel(std::string_view, std::size_t n) { return View(m_.channel, n); }
    Produced Me(std::string_view, std::size_t n) { return View(m_.me, n); }
    Produced Nick(std::string_view, std::size_t n) { return View(m_.nick, n); }
    Produced Sender(std::string_view, std::size_t n) { return View(m_.sender, n); }
    Produced Command(std::string_view, std::size_t n) { return View(m_.command, n); }
    Produced CCommand(std::string_view, std::size_t n) { return View(m_.c_command, n); }
    Produced CParams(std::string_view, std::size_t n) { return View(m_.c_params, n); }
    Produced Ask(std::string_view, std::size_t n);
    Produced Time(std::string_view, std::size_t n);
    Produced Date(std::string_view, std::size_t n);
    Produced DayOfWeek(std::string_view, std::size_t n);
    Produced NewLine(std::string_view, std::size_t n) { return View("\r\n", n); }
    Produced CtcpMark(std::string_view, std::size_t n) { return View("\x01", n); }
    Produced RandLine(std::string_view at, std::size_t n);
    Produced GetLine(std::string_view at, std::size_t n);
    Produced RandNick(std::string_view, std::size_t n);
    Produced LastNick(std::string_view, std::size_t n);
    Produced Random(std::string_view at, std::size_t n);
    Produced UserVar(std::string_view at, std::size_t n);
    Produced Param(std::string_view at, std::size_t n);

    std::string Expand(const std::string& text) { return owner_.ExpandVariables(m_, text); }
    bool Cut() const { return owner_.cut_; }

    CVariableExpander& owner_;
    CZorlApp& app_;
    const IrcMessage& m_;
    std::string computed_;  // the value of the last rule that had to compute one
};

// In the order the rules are tried. Names compare without regard to case and
// need nothing after them: "$me" also takes the start of "$message".
const ExpansionScan::Rule ExpansionScan::kRules[] = {
    {"$channel", kHasChannel, &ExpansionScan::Channel},
    {"$me", kHasMe, &ExpansionScan::Me},
    {"$nick", kHasNick, &ExpansionScan::Nick},
    {"$sender", kHasSender, &ExpansionScan::Sender},
    {"$command", kHasCommand, &ExpansionScan::Command},
    {"$c_command", kHasCCommand, &ExpansionScan::CCommand},
    {"$c_params", kHasCParams, &ExpansionScan::CParams},
    {"$?", kGeneralVariables, &ExpansionScan::Ask},
    {"$time", kGeneralVariables, &ExpansionScan::Time},
    {"$date", kGeneralVariables, &ExpansionScan::Date},
    {"$dayofweek", kGeneralVariables, &ExpansionScan::DayOfWeek},
    {"$nl", 0, &ExpansionScan::NewLine},
    {"$!", 0, &ExpansionScan::CtcpMark},
    {"$randline", kGeneralVariables, &ExpansionScan::RandLine},
    {"$getline", kGeneralVariables, &ExpansionScan::GetLine},
    {"$randnick", kGeneralVariables | kHasChannel, &ExpansionScan::RandNick},
    {"$lastnick", kGeneralVariables | kHasChannel, &ExpansionScan::LastNick},
    {"$random", kGeneralVariables, &ExpansionScan::Random},
    {"$x", kGeneralVariables, &ExpansionScan::UserVar},
    {"$", kHasParams, &ExpansionScan::Param},
};

std::string ExpansionScan::Run(const std::string& text) {
    std::string out;
    bool required = false;
    const char* const starts = (m_.flags & kHasChannel) ? "$#" : "$";
    std::size_t i = 0;
    while (i < text.size()) {
        // Plain text leaves the required mark as it is.
        const std::size_t next = std::min(text.find_first_of(starts, i), text.size());
        out.append(text, i, next - i);
        i = next;
        if (i == text.size()) break;
        std::string_view at(text.data() + i, text.size() - i);
        // Only the first "$" is taken, so "$$$nick" is the mark and "$$nick".
        if (at.starts_with("$$")) {
            required = true;
            ++i;
            continue;
        }
        Produced p = Apply(at);
        if (Cut()) return {};
        switch (p.kind) {
            case Produced::kNoMatch:
                out += text[i];
                ++i;
                continue;
            case Produced::kValue:
                if (required && p.text.empty()) return {};
                break;
            case Produced::kUnchecked: break;
        }
        if (out.empty() && p.computed) {
            out = std::move(computed_);  // "$3-" alone: the joined text is the result
        } else {
            out += p.text;
        }
        required = false;
        i += p.length;
    }
    return out;
}

ExpansionScan::Produced ExpansionScan::Apply(std::string_view at) {
    if (at.front() == '$') {
        // Each name but the parameters' bare "$" differs from most others in
        // its second character: a cheap test before the whole comparison.
        const char second = at.size() > 1 ? ToLower(at[1]) : '\0';
        // No name has a digit there: "$2" can only be a parameter.
        if (IsDigit(second)) return (m_.flags & kHasParams) ? Param(at, 1) : Produced{};
        for (const Rule& rule : kRules) {
            if ((m_.flags & rule.flags) != rule.flags) continue;
            if (rule.name.size() > 1 && rule.name[1] != second) continue;
            if (!StartsWithNoCase(at, rule.name)) continue;
            Produced p = (this->*rule.produce)(at, rule.name.size());
            if (p.kind != Produced::kNoMatch || Cut()) return p;
        }
        return {};
    }
    if ((m_.flags & kHasChannel) && at.front() == '#') return HashRule(at);
    return {};
}

// "#" alone or before a blank is the channel; "##" is a literal "#"; any
// other "#" stays itself. The required mark is cleared, never tested.
//   "JOIN #" -> "JOIN #chan",  "##" -> "#",  "#x" -> "#x"
ExpansionScan::Produced ExpansionScan::HashRule(std::string_view at) const {
    if (at.size() == 1 || at[1] == ' ') return Unchecked(m_.channel, 1);
    if (at[1] == '#') return Unchecked("#", 2);
    return Unchecked("#", 1);
}

// Asks the user; the answer is itself a template. Cancel appends nothing and
// clears the mark without testing it.
ExpansionScan::Produced ExpansionScan::Ask(std::string_view, std::size_t n) {
    std::string answer;
    if (!owner_.AskUser(answer)) return Unchecked("", n);
    return Value(Expand(answer), n);
}

ExpansionScan::Produced ExpansionScan::Time(std::string_view, std::size_t n) {
    return Value(FormatLocalTime("%X", app_.platform.clock.Now()), n);
}

ExpansionScan::Produced ExpansionScan::Date(std::string_view, std::size_t n) {
    return Value(FormatLocalTime("%d-%b-%Y", app_.platform.clock.Now()), n);
}

ExpansionScan::Produced ExpansionScan::DayOfWeek(std::string_view, std::size_t n) {
    return Value(ToLower(FormatLocalTime("%a", app_.platform.clock.Now())), n);
}

// "$randline greetings": one of the section's lines (comments and empty
// lines left out), picked at random and expanded.
ExpansionScan::Produced ExpansionScan::RandLine(std::string_view at, std::size_t n) {
    std::size_t pos = SkipBlanks(at, n);
    const std::string section(TakeWord(at, pos));
    std::vector<std::string> kept;
    for (std::string& line : ReadSectionLines(app_.ini, kScriptFile, section))
        if (!line.empty() && line[0] != ';') kept.push_back(std::move(line));
    if (kept.empty()) return Value("", pos);
    std::size_t pick = static_cast<std::size_t>(app_.random.Below(static_cast<int>(kept.size())));
    return Value(Expand(kept[pick]), pos);
}

// "$getline table key": the rest of the first line whose head word matches
// the key (both expanded, any letter case) or is "*"; a "*" line before the
// key's own line therefore wins. Lines are read only up to the hit.
ExpansionScan::Produced ExpansionScan::GetLine(std::string_view at, std::size_t n) {
    std::size_t pos = SkipBlanks(at, n);
    const std::string section(TakeWord(at, pos));
    pos = SkipBlanks(at, pos);
    const std::string key = Expand(std::string(TakeWord(at, pos)));
    std::string line;
    for (int index = 1; !Cut() && app_.ini.ReadSectionLine(kScriptFile, section, index, line);
         ++index) {
        Split parts = SplitWord(line);
        std::string head = Expand(std::string(parts.head));
        if (Cut()) break;
        if (head == "*" || EqualsNoCase(head, key))
            return Value(Expand(std::string(parts.tail)), pos);
    }
    return Value("", pos);
}

ExpansionScan::Produced ExpansionScan::RandNick(std::string_view, std::size_t n) {
    CZorlDoc* doc = app_.registry.GetChannelDoc(m_.channel);
    return Value(doc ? doc->RandomNick() : std::string(), n);
}

ExpansionScan::Produced ExpansionScan::LastNick(std::string_view, std::size_t n) {
    CZorlDoc* doc = app_.registry.GetChannelDoc(m_.channel);
    return Value(doc ? doc->LastSpeaker() : std::string(), n);
}

// "$random 6" is 1 to 6 (7 when the generator gives its maximum); a missing
// or non-numeric word counts as 0 and gives 1.
ExpansionScan::Produced ExpansionScan::Random(std::string_view at, std::size_t n) {
    std::size_t pos = SkipBlanks(at, n);
    std::string_view word = TakeWord(at, pos);
    long long limit = DigitValue(word.substr(0, DigitRun(word)));
    long long r = app_.random.Next();
    return Value(Format("%lld", limit * r / 32767 + 1), pos);
}

ExpansionScan::Produced ExpansionScan::UserVar(std::string_view at, std::size_t n) {
    std::size_t digits = DigitRun(at.substr(n));
    int slot = DigitValue(at.substr(n, digits));
    if (digits == 0 || slot < 1 || slot > static_cast<int>(app_.UserVars.size())) return {};
    return View(app_.UserVars[static_cast<std::size_t>(slot - 1)], n + digits);
}

// "$3" is parameter 3 (numbered from 1; "$12" is twelve). "$3-" joins
// parameters 3 to the last with a blank after each non-empty one but the
// last: a, "", b, c gives "b c".
ExpansionScan::Produced ExpansionScan::Param(std::string_view at, std::size_t n) {
    std::size_t digits = DigitRun(at.substr(n));
    std::size_t first = static_cast<std::size_t>(DigitValue(at.substr(n, digits)));
    if (digits == 0 || first == 0) return {};
    std::size_t length = n + digits;
    const std::vector<std::string>& params = m_.params;
    if (length < at.size() && at[length] == '-') {
        // From the last parameter on there is nothing to join.
        if (first >= params.size())
            return View(first == params.size() ? params.back() : std::string_view(), length + 1);
        std::size_t size = 0;
        for (std::size_t k = first; k <= params.size(); ++k) size += params[k - 1].size() + 1;
        std::string joined;
        joined.reserve(size);
        for (std::size_t k = first; k <= params.size(); ++k) {
            joined += params[k - 1];
            if (!params[k - 1].empty() && k != params.size()) joined += ' ';
        }
        return Value(std::move(joined), length + 1);
    }
    return View(first <= params.size() ? std::string_view(params[first - 1]) : std::string_view(),
                length);
}

std::string CVariableExpander::ExpandVariables(const IrcMessage& message, const std::string& text) {
    if (cut_) return {};
    if (depth_ >= kMaxDepth) {
        cut_ = true;
        app_.output.PrintF(nullptr, "", Cls::Error,
                           "ERROR: ExpandVariables: variables nested more than %d deep, line "
                           "dropped",
                           kMaxDepth);
        return {};
    }
    ++depth_;
    std::string result = ExpansionScan(*this, message).Run(text);
    --depth_;
    if (!cut_) return result;
    if (depth_ == 0) cut_ = false;  // the chain has unwound: the next call starts afresh
    return {};
}

bool CVariableExpander::AskUser(std::string& answer) {
    int depth = depth_;
    bool cut = cut_;
    depth_ = 0;
    cut_ = false;
    bool accepted = app_.platform.dialogs.InputRequest("Input request", "", answer);
    depth_ = depth;
    cut_ = cut;
    return accepted;
}

}  // namespace zorl
