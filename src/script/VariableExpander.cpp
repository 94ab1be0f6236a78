#include "script/VariableExpander.h"

#include <climits>
#include <cstring>

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
// them takes is copied one character at a time.
//
// On script text (ScriptText.h) only the author's own bytes are scanned: a
// variable name must lie wholly in one run of them, data is copied as it is,
// and what a rule puts in is data (the author's "$nl", "$!" and "##" stay
// the author's; nick and parameters keep the origin OwnedFields gives them).
// Plain templates are all the author's own.
class ExpansionScan {
public:
    ExpansionScan(CVariableExpander& owner, const IrcMessage& message, const OwnedFields* fields)
        : owner_(owner), app_(owner.app_), m_(message), fields_(fields) {}

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
        std::string value;
        std::size_t length = 0;  // characters of the template consumed
        Origin origin = Origin::kData;
        std::vector<Origin> origins;  // per byte when not all `origin`
    };
    // `at` is the template from the current position; it begins with `name`.
    using Producer = Produced (ExpansionScan::*)(std::string_view at, std::size_t name);
    struct Rule {
        const char* name;
        int flags;  // every bit must be set in the message
        Producer produce;
    };
    static const Rule kRules[];

    static Produced Make(Produced::Kind kind, std::string value, std::size_t length,
                         Origin origin = Origin::kData) {
        Produced p;
        p.kind = kind;
        p.value = std::move(value);
        p.length = length;
        p.origin = origin;
        return p;
    }
    static Produced Value(std::string value, std::size_t length) {
        return Make(Produced::kValue, std::move(value), length);
    }
    static Produced OwnValue(std::string value, std::size_t length) {
        return Make(Produced::kValue, std::move(value), length, Origin::kOwn);
    }
    // A message field whose origin `own` may know (null: data).
    Produced Field(const std::string& value, const ScriptText* own, std::size_t length) const;

    Produced Apply(std::string_view at);
    // `text` is the whole template, `i` the position of the "#"; the byte
    // after it is looked at even when it is data, but never consumed.
    Produced HashRule(std::string_view text, const Origin* origins, std::size_t i) const;

    Produced Channel(std::string_view, std::size_t n) { return Value(m_.channel, n); }
    Produced Me(std::string_view, std::size_t n) { return Value(m_.me, n); }
    Produced Nick(std::string_view, std::size_t n) {
        return Field(m_.nick, fields_ ? &fields_->nick : nullptr, n);
    }
    Produced Sender(std::string_view, std::size_t n) { return Value(m_.sender, n); }
    Produced Command(std::string_view, std::size_t n) { return Value(m_.command, n); }
    Produced CCommand(std::string_view, std::size_t n) { return Value(m_.c_command, n); }
    Produced CParams(std::string_view, std::size_t n) { return Value(m_.c_params, n); }
    Produced Ask(std::string_view, std::size_t n);
    Produced Time(std::string_view, std::size_t n);
    Produced Date(std::string_view, std::size_t n);
    Produced DayOfWeek(std::string_view, std::size_t n);
    Produced NewLine(std::string_view, std::size_t n) { return OwnValue("\r\n", n); }
    Produced CtcpMark(std::string_view, std::size_t n) { return OwnValue("\x01", n); }
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
    CZorlApp& app_;
    const IrcMessage& m_;
    const OwnedFields* fields_;
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
    auto isData = [&](std::size_t k) { return origins && origins[k] == Origin::kData; };
    auto originAt = [&](std::size_t k) { return origins ? origins[k] : Origin::kOwn; };
    std::string out;
    auto add = [&](std::string_view value, const Produced* p, Origin origin) {
        out += value;
        if (!outOrigins) return;
        if (p && !p->origins.empty())
            outOrigins->insert(outOrigins->end(), p->origins.begin(), p->origins.end());
        else
            outOrigins->insert(outOrigins->end(), value.size(), origin);
    };
    bool required = false;
    std::size_t i = 0;
    std::size_t runEnd = 0;  // end of the author's run that holds i
    while (i < text.size()) {
        if (isData(i)) {
            std::size_t end = i;
            while (end < text.size() && isData(end)) ++end;
            out.append(text.substr(i, end - i));
            if (outOrigins) outOrigins->insert(outOrigins->end(), end - i, Origin::kData);
            i = end;
            continue;
        }
        if (runEnd <= i) {
            runEnd = i;
            while (runEnd < text.size() && !isData(runEnd)) ++runEnd;
        }
        std::string_view at = text.substr(i, runEnd - i);
        // Only the first "$" is taken, so "$$$nick" is the mark and "$$nick".
        if (at.starts_with("$$")) {
            required = true;
            ++i;
            continue;
        }
        Produced p =
            at.front() == '#' && (m_.flags & kHasChannel) ? HashRule(text, origins, i) : Apply(at);
        if (Cut()) return {};
        switch (p.kind) {
            case Produced::kNoMatch:
                add(text.substr(i, 1), nullptr, originAt(i));
                ++i;
                continue;
            case Produced::kValue:
                if (required && p.value.empty()) {
                    if (outOrigins) outOrigins->clear();
                    return {};
                }
                break;
            case Produced::kUnchecked: break;
        }
        add(p.value, &p, p.origin);
        required = false;
        i += p.length;
    }
    return out;
}

ExpansionScan::Produced ExpansionScan::Apply(std::string_view at) {
    if (at.front() != '$') return {};
    for (const Rule& rule : kRules) {
        if ((m_.flags & rule.flags) != rule.flags) continue;
        if (!StartsWithNoCase(at, rule.name)) continue;
        Produced p = (this->*rule.produce)(at, std::strlen(rule.name));
        if (p.kind != Produced::kNoMatch || Cut()) return p;
    }
    return {};
}

ExpansionScan::Produced ExpansionScan::Field(const std::string& value, const ScriptText* own,
                                             std::size_t length) const {
    Produced p = Value(value, length);
    if (own && own->Text() == value)
        for (std::size_t k = 0; k < own->size(); ++k) p.origins.push_back(own->At(k));
    return p;
}

// "#" alone or before a blank is the channel; "##" is a literal "#"; any
// other "#" stays itself. The required mark is cleared, never tested.
//   "JOIN #" -> "JOIN #chan",  "##" -> "#",  "#x" -> "#x"
ExpansionScan::Produced ExpansionScan::HashRule(std::string_view text, const Origin* origins,
                                                std::size_t i) const {
    const std::size_t next = i + 1;
    if (next == text.size() || text[next] == ' ') return Make(Produced::kUnchecked, m_.channel, 1);
    const bool nextIsOwn = !origins || origins[next] != Origin::kData;
    if (text[next] == '#' && nextIsOwn) return Make(Produced::kUnchecked, "#", 2, Origin::kOwn);
    return Make(Produced::kUnchecked, "#", 1, Origin::kOwn);
}

// Asks the user; the answer is itself a template. Cancel appends nothing and
// clears the mark without testing it.
ExpansionScan::Produced ExpansionScan::Ask(std::string_view, std::size_t n) {
    std::string answer;
    if (!owner_.AskUser(answer)) return Make(Produced::kUnchecked, "", n);
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
    return Value(app_.UserVars[static_cast<std::size_t>(slot - 1)], n + digits);
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
        // The joining blank is the author's only between two pieces of theirs.
        Produced joined = Value("", length + 1);
        std::vector<Origin> origins;
        for (std::size_t k = first; k <= params.size(); ++k) {
            Produced piece = Field(params[k - 1], OwnParam(k - 1), 0);
            joined.value += piece.value;
            origins.insert(origins.end(), piece.origins.begin(), piece.origins.end());
            origins.resize(joined.value.size(), Origin::kData);
            if (!params[k - 1].empty() && k != params.size()) {
                const ScriptText* next = OwnParam(k);
                bool own = !piece.origins.empty() && piece.origins.back() != Origin::kData &&
                           next && !next->empty() && !next->IsData(0);
                joined.value += ' ';
                origins.push_back(own ? Origin::kOwn : Origin::kData);
            }
        }
        if (fields_) joined.origins = std::move(origins);
        return joined;
    }
    const std::string& value = first <= params.size() ? params[first - 1] : std::string();
    return Field(value, OwnParam(first - 1), length);
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
        app_.output.PrintF(nullptr, "", Cls::Error,
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
