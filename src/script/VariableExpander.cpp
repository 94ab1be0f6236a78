#include "script/VariableExpander.h"

#include <algorithm>
#include <climits>

#include "common/Format.h"
#include "common/Random.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "common/TimeText.h"
#include "config/IniStore.h"
#include "platform/Platform.h"
#include "script/ScriptFile.h"
#include "script/ScriptText.h"
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
//
// On script text (ScriptText.h) only the author's own bytes are scanned: a
// variable name must lie wholly in one run of them, data is copied as it is,
// and what a rule puts in is data: a message's (fields, nicks, the window's
// name) or the user's own value (the user variables, "$?", script-file
// lines, time and chance). The author's "$nl", "$!" and "##" stay the
// author's; nick and parameters keep the origin OwnedFields gives them.
// Plain templates are all the author's own.
class ExpansionScan {
public:
    ExpansionScan(CVariableExpander& owner, const IrcMessage& message, const OwnedFields* fields)
        : owner_(owner), m_(message), fields_(fields) {}

    // `origins` null: every byte is the author's. `outOrigins` null: the
    // caller wants the text only.
    std::string Run(std::string_view text, const Origin* origins, std::vector<Origin>* outOrigins);

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
        Origin origin = Origin::kData;
        std::vector<Origin> origins;  // per byte when not all `origin`
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
        return {Produced::kValue, value, false, length, Origin::kData, {}};
    }
    static Produced OwnView(std::string_view value, std::size_t length) {
        return {Produced::kValue, value, false, length, Origin::kOwn, {}};
    }
    Produced Value(std::string value, std::size_t length, Origin origin = Origin::kData) {
        computed_ = std::move(value);
        return {Produced::kValue, computed_, true, length, origin, {}};
    }
    Produced UserValue(std::string value, std::size_t length) {
        return Value(std::move(value), length, Origin::kUserValue);
    }
    static Produced Unchecked(std::string_view value, std::size_t length,
                              Origin origin = Origin::kData) {
        return {Produced::kUnchecked, value, false, length, origin, {}};
    }
    // A message field whose origin `own` may know (null: data).
    static Produced Field(std::string_view value, const ScriptText* own, std::size_t length);

    // `at` runs to the end of the author's text at hand; `next` is the byte
    // after it, whoever wrote it (a blank at the end), and `nextIsOwn` says who.
    Produced Apply(std::string_view at, char next, bool nextIsOwn);
    Produced HashRule(char next, bool nextIsOwn) const;

    Produced Channel(std::string_view, std::size_t n) { return View(m_.channel, n); }
    Produced Me(std::string_view, std::size_t n) { return View(m_.me, n); }
    Produced Nick(std::string_view, std::size_t n) {
        return Field(m_.nick, fields_ ? &fields_->nick : nullptr, n);
    }
    Produced Sender(std::string_view, std::size_t n) { return View(m_.sender, n); }
    Produced Command(std::string_view, std::size_t n) { return View(m_.command, n); }
    Produced CCommand(std::string_view, std::size_t n) { return View(m_.c_command, n); }
    Produced CParams(std::string_view, std::size_t n) { return View(m_.c_params, n); }
    Produced Ask(std::string_view, std::size_t n);
    Produced Time(std::string_view, std::size_t n);
    Produced Date(std::string_view, std::size_t n);
    Produced DayOfWeek(std::string_view, std::size_t n);
    Produced NewLine(std::string_view, std::size_t n) { return OwnView("\r\n", n); }
    Produced CtcpMark(std::string_view, std::size_t n) { return OwnView("\x01", n); }
    Produced RandLine(std::string_view at, std::size_t n);
    Produced GetLine(std::string_view at, std::size_t n);
    Produced RandNick(std::string_view, std::size_t n);
    Produced LastNick(std::string_view, std::size_t n);
    Produced Random(std::string_view at, std::size_t n);
    Produced UserVar(std::string_view at, std::size_t n);
    Produced Param(std::string_view at, std::size_t n);

    std::string Expand(const std::string& text) { return owner_.ExpandVariables(m_, text); }
    bool Cut() const { return owner_.cut_; }

    const ScriptText* OwnParam(std::size_t k) const {
        return fields_ && k < fields_->params.size() ? &fields_->params[k] : nullptr;
    }

    CVariableExpander& owner_;
    const IrcMessage& m_;
    const OwnedFields* fields_;
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

std::string ExpansionScan::Run(std::string_view text, const Origin* origins,
                               std::vector<Origin>* outOrigins) {
    auto isData = [&](std::size_t k) { return origins && IsDataOrigin(origins[k]); };
    std::string out;
    // Appends `length` bytes of the template from `from`, with their origins.
    auto copy = [&](std::size_t from, std::size_t length) {
        out.append(text, from, length);
        if (!outOrigins) return;
        if (origins)
            outOrigins->insert(outOrigins->end(), origins + from, origins + from + length);
        else
            outOrigins->insert(outOrigins->end(), length, Origin::kOwn);
    };
    bool required = false;
    const char* const starts = (m_.flags & kHasChannel) ? "$#" : "$";
    std::size_t i = 0;
    std::size_t runEnd = 0;  // end of the author's run that holds i
    while (i < text.size()) {
        if (isData(i)) {
            std::size_t end = i;
            while (end < text.size() && isData(end)) ++end;
            copy(i, end - i);
            i = end;
            continue;
        }
        if (runEnd <= i) {
            runEnd = i;
            while (runEnd < text.size() && !isData(runEnd)) ++runEnd;
        }
        // Plain text leaves the required mark as it is.
        const std::size_t next = std::min(text.substr(0, runEnd).find_first_of(starts, i), runEnd);
        copy(i, next - i);
        i = next;
        if (i == runEnd) continue;
        std::string_view at = text.substr(i, runEnd - i);
        // Only the first "$" is taken, so "$$$nick" is the mark and "$$nick".
        if (at.starts_with("$$")) {
            required = true;
            ++i;
            continue;
        }
        const bool last = i + 1 == text.size();
        Produced p = Apply(at, last ? ' ' : text[i + 1], last || !isData(i + 1));
        if (Cut()) return {};
        switch (p.kind) {
            case Produced::kNoMatch:
                copy(i, 1);
                ++i;
                continue;
            case Produced::kValue:
                if (required && p.text.empty()) {
                    if (outOrigins) outOrigins->clear();
                    return {};
                }
                break;
            case Produced::kUnchecked: break;
        }
        if (outOrigins) {
            if (!p.origins.empty())
                outOrigins->insert(outOrigins->end(), p.origins.begin(), p.origins.end());
            else
                outOrigins->insert(outOrigins->end(), p.text.size(), p.origin);
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

ExpansionScan::Produced ExpansionScan::Apply(std::string_view at, char next, bool nextIsOwn) {
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
    if ((m_.flags & kHasChannel) && at.front() == '#') return HashRule(next, nextIsOwn);
    return {};
}

ExpansionScan::Produced ExpansionScan::Field(std::string_view value, const ScriptText* own,
                                             std::size_t length) {
    Produced p = View(value, length);
    if (own && own->Text() == value) p.origins.assign(own->Origins(), own->Origins() + own->size());
    return p;
}

// "#" alone or before a blank is the channel; "##" is a literal "#"; any
// other "#" stays itself. The required mark is cleared, never tested. The
// byte after the "#" is looked at even when it is data, but a data "#" is
// never taken with it.
//   "JOIN #" -> "JOIN #chan",  "##" -> "#",  "#x" -> "#x"
ExpansionScan::Produced ExpansionScan::HashRule(char next, bool nextIsOwn) const {
    if (next == ' ') return Unchecked(m_.channel, 1);
    if (next == '#' && nextIsOwn) return Unchecked("#", 2, Origin::kOwn);
    return Unchecked("#", 1, Origin::kOwn);
}

// Asks the user; the answer is itself a template. Cancel appends nothing and
// clears the mark without testing it.
ExpansionScan::Produced ExpansionScan::Ask(std::string_view, std::size_t n) {
    std::string answer;
    if (!owner_.AskUser(answer)) return Unchecked("", n);
    return UserValue(Expand(answer), n);
}

ExpansionScan::Produced ExpansionScan::Time(std::string_view, std::size_t n) {
    return UserValue(FormatLocalTime("%X", owner_.platform_.clock.Now()), n);
}

ExpansionScan::Produced ExpansionScan::Date(std::string_view, std::size_t n) {
    return UserValue(FormatLocalTime("%d-%b-%Y", owner_.platform_.clock.Now()), n);
}

ExpansionScan::Produced ExpansionScan::DayOfWeek(std::string_view, std::size_t n) {
    return UserValue(ToLower(FormatLocalTime("%a", owner_.platform_.clock.Now())), n);
}

// "$randline greetings": one of the section's lines (comments and empty
// lines left out), picked at random and expanded.
ExpansionScan::Produced ExpansionScan::RandLine(std::string_view at, std::size_t n) {
    std::size_t pos = SkipBlanks(at, n);
    const std::string section(TakeWord(at, pos));
    std::vector<std::string> kept;
    for (std::string& line : ReadSectionLines(owner_.ini_, kScriptFile, section))
        if (!line.empty() && line[0] != ';') kept.push_back(std::move(line));
    if (kept.empty()) return UserValue("", pos);
    std::size_t pick =
        static_cast<std::size_t>(owner_.random_.Below(static_cast<int>(kept.size())));
    return UserValue(Expand(kept[pick]), pos);
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
    for (int index = 1; !Cut() && owner_.ini_.ReadSectionLine(kScriptFile, section, index, line);
         ++index) {
        Split parts = SplitWord(line);
        std::string head = Expand(std::string(parts.head));
        if (Cut()) break;
        if (head == "*" || EqualsNoCase(head, key))
            return UserValue(Expand(std::string(parts.tail)), pos);
    }
    return UserValue("", pos);
}

ExpansionScan::Produced ExpansionScan::RandNick(std::string_view, std::size_t n) {
    CZorlDoc* doc = owner_.registry_.GetChannelDoc(m_.channel);
    return Value(doc ? doc->RandomNick() : std::string(), n);
}

ExpansionScan::Produced ExpansionScan::LastNick(std::string_view, std::size_t n) {
    CZorlDoc* doc = owner_.registry_.GetChannelDoc(m_.channel);
    return Value(doc ? doc->LastSpeaker() : std::string(), n);
}

// "$random 6" is 1 to 6 (7 when the generator gives its maximum); a missing
// or non-numeric word counts as 0 and gives 1.
ExpansionScan::Produced ExpansionScan::Random(std::string_view at, std::size_t n) {
    std::size_t pos = SkipBlanks(at, n);
    std::string_view word = TakeWord(at, pos);
    long long limit = DigitValue(word.substr(0, DigitRun(word)));
    long long r = owner_.random_.Next();
    return UserValue(Format("%lld", limit * r / 32767 + 1), pos);
}

ExpansionScan::Produced ExpansionScan::UserVar(std::string_view at, std::size_t n) {
    std::size_t digits = DigitRun(at.substr(n));
    int slot = DigitValue(at.substr(n, digits));
    if (digits == 0 || slot < 1 || slot > static_cast<int>(CVariableExpander::kUserVars)) return {};
    const auto index = static_cast<std::size_t>(slot - 1);
    Produced p = View(owner_.user_vars_[index], n + digits);
    // SET with a message's text keeps it a message's.
    if (!owner_.user_var_from_message_[index]) p.origin = Origin::kUserValue;
    return p;
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
        if (first >= params.size()) {
            if (first > params.size()) return View(std::string_view(), length + 1);
            return Field(params.back(), OwnParam(first - 1), length + 1);
        }
        std::size_t size = 0;
        for (std::size_t k = first; k <= params.size(); ++k) size += params[k - 1].size() + 1;
        std::string joined;
        joined.reserve(size);
        // The joining blank is the author's only between two pieces of theirs.
        std::vector<Origin> origins;
        for (std::size_t k = first; k <= params.size(); ++k) {
            const std::string& param = params[k - 1];
            const ScriptText* own = OwnParam(k - 1);
            const bool ownPiece = own && own->Text() == param;
            joined += param;
            if (fields_) {
                if (ownPiece)
                    origins.insert(origins.end(), own->Origins(), own->Origins() + own->size());
                else
                    origins.insert(origins.end(), param.size(), Origin::kData);
            }
            if (!param.empty() && k != params.size()) {
                joined += ' ';
                if (!fields_) continue;
                const ScriptText* next = OwnParam(k);
                const bool ownBlank = ownPiece && !IsDataOrigin(origins.back()) && next &&
                                      !next->empty() && !next->IsData(0);
                origins.push_back(ownBlank ? Origin::kOwn : Origin::kData);
            }
        }
        Produced p = Value(std::move(joined), length + 1);
        p.origins = std::move(origins);
        return p;
    }
    return Field(first <= params.size() ? std::string_view(params[first - 1]) : std::string_view(),
                 OwnParam(first - 1), length);
}

std::string CVariableExpander::ExpandVariables(const IrcMessage& message, const std::string& text) {
    return Expand(message, text, nullptr, nullptr, nullptr);
}

ScriptText CVariableExpander::ExpandScript(const IrcMessage& message, const ScriptText& text,
                                           const OwnedFields* fields) {
    std::vector<Origin> origins;
    std::string result = Expand(message, text.Text(), text.Origins(), fields, &origins);
    return ScriptText::FromParts(std::move(result), std::move(origins));
}

std::string CVariableExpander::Expand(const IrcMessage& message, std::string_view text,
                                      const Origin* origins, const OwnedFields* fields,
                                      std::vector<Origin>* outOrigins) {
    if (cut_) return {};
    if (depth_ >= kMaxDepth) {
        cut_ = true;
        output_.PrintF(nullptr, "", Cls::Error,
                       "ERROR: ExpandVariables: variables nested more than %d deep, line "
                       "dropped",
                       kMaxDepth);
        return {};
    }
    ++depth_;
    std::string result = ExpansionScan(*this, message, fields).Run(text, origins, outOrigins);
    --depth_;
    if (!cut_) return result;
    if (depth_ == 0) cut_ = false;  // the chain has unwound: the next call starts afresh
    if (outOrigins) outOrigins->clear();
    return {};
}

void CVariableExpander::SetUserVar(std::size_t n, std::string value, bool fromMessage) {
    if (n < 1 || n > kUserVars) return;
    user_vars_[n - 1] = std::move(value);
    user_var_from_message_[n - 1] = fromMessage;
}

const std::string& CVariableExpander::UserVar(std::size_t n) const {
    static const std::string kNone;
    return n >= 1 && n <= kUserVars ? user_vars_[n - 1] : kNone;
}

bool CVariableExpander::AskUser(std::string& answer) {
    int depth = depth_;
    bool cut = cut_;
    depth_ = 0;
    cut_ = false;
    bool accepted = platform_.dialogs.InputRequest("Input request", "", answer);
    depth_ = depth;
    cut_ = cut;
    return accepted;
}

}  // namespace zorl
