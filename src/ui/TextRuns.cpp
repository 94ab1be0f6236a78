#include "ui/TextRuns.h"

#include <algorithm>
#include <cstring>

#include "common/FormatCodes.h"
#include "common/Links.h"
#include "config/Settings.h"

namespace zorl::ui {

namespace {

// True when `text` holds a formatting code. Every code is below 0x20 and most
// text has none: eight bytes at a time are first tested for any byte below
// 0x20.
bool HasFormatCode(std::string_view text) {
    constexpr uint64_t kOnes = 0x0101010101010101ULL;
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        if (i + 8 <= n) {
            uint64_t word;
            std::memcpy(&word, text.data() + i, 8);
            if (((word - kOnes * 0x20) & ~word & (kOnes * 0x80)) == 0) {
                i += 8;
                continue;
            }
        }
        for (const std::size_t end = std::min(i + 8, n); i < end; ++i)
            if (IsFormatCode(text[i])) return true;
    }
    return false;
}

bool Lookup(const std::map<std::string, Colour>& table, std::string_view key, Colour& out) {
    auto it = table.find(std::string(key));
    if (it == table.end()) return false;
    out = it->second;
    return true;
}

bool LookupNumber(const std::map<std::string, Colour>& table, int number, Colour& out) {
    return number >= 0 && Lookup(table, std::to_string(number), out);
}

void Toggle(RunStyle& style, char code) {
    switch (code) {
        case code::kBold: style.bold = !style.bold; break;
        case code::kItalic: style.italic = !style.italic; break;
        case code::kUnderline: style.underline = !style.underline; break;
        case code::kStrike: style.strike = !style.strike; break;
        case code::kMonospace: style.monospace = !style.monospace; break;
        case code::kReverse: style.reverse = !style.reverse; break;
        default: break;
    }
}

void ApplyColour(RunStyle& style, const RunStyle& base, const FormatToken& token,
                 const ColourTables& tables) {
    if (token.foreground == FormatToken::kNone) {
        style.colour = base.colour;
        style.background = base.background;
        style.hasBackground = false;
        return;
    }
    LookupNumber(tables.irc, token.foreground, style.colour);
    if (LookupNumber(tables.irc, token.background, style.background)) style.hasBackground = true;
}

class RunBuilder {
public:
    explicit RunBuilder(std::vector<TextRun>& runs) : runs_(runs) {}

    void Add(std::string_view stretch, const RunStyle& style) {
        if (stretch.empty()) return;
        // Adjacent stretches of one style (split by a code that changed
        // nothing) become one run.
        if (!runs_.empty() && runs_.back().style == style) {
            AppendNormalisedBreaks(runs_.back().text, stretch);
            return;
        }
        TextRun run;
        run.style = style;
        AppendNormalisedBreaks(run.text, stretch);
        runs_.push_back(std::move(run));
    }

private:
    std::vector<TextRun>& runs_;
};

// Cuts the web addresses and file links out of each run into runs of their own.
std::vector<TextRun> SeparateLinks(std::vector<TextRun> runs) {
    std::vector<TextRun> out;
    out.reserve(runs.size());
    for (TextRun& run : runs) {
        const std::vector<LinkSpan> links = FindWebLinks(run.text, true);
        if (links.empty()) {
            out.push_back(std::move(run));
            continue;
        }
        const std::string_view text = run.text;
        std::size_t at = 0;
        for (const LinkSpan& link : links) {
            if (link.start > at)
                out.push_back({std::string(text.substr(at, link.start - at)), run.style});
            RunStyle style = run.style;
            style.link = true;
            out.push_back({std::string(text.substr(link.start, link.length)), style});
            at = link.start + link.length;
        }
        if (at < text.size()) out.push_back({std::string(text.substr(at)), run.style});
    }
    return out;
}

}  // namespace

uint64_t RunStyle::Key() const {
    uint64_t key = (colour & 0xFFFFFFu) | (uint64_t{background & 0xFFFFFFu} << 24);
    int bit = 48;
    for (bool flag : {hasBackground, bold, italic, underline, strike, monospace, reverse, link}) {
        if (flag) key |= uint64_t{1} << bit;
        ++bit;
    }
    return key;
}

// Every web address has a "://"; most text has none.
bool IsPlainPiece(std::string_view text) {
    return !HasFormatCode(text) &&
           (text.find("://") == std::string_view::npos || FindWebLinks(text, true).empty());
}

int AppendNormalisedBreaks(std::string& out, std::string_view text) {
    out.reserve(out.size() + text.size());  // breaks never get longer
    int breaks = 0;
    std::size_t start = 0;
    // The next CR and the next LF, each found with a byte search.
    std::size_t cr = text.find('\r');
    std::size_t lf = text.find('\n');
    while (cr != std::string_view::npos || lf != std::string_view::npos) {
        std::size_t i = std::min(cr, lf);
        out.append(text.substr(start, i - start));
        out.push_back('\n');
        ++breaks;
        if (i == cr && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
        if (cr != std::string_view::npos && cr < start) cr = text.find('\r', start);
        if (lf != std::string_view::npos && lf < start) lf = text.find('\n', start);
    }
    out.append(text.substr(start));
    return breaks;
}

std::vector<TextRun> ParsePiece(std::string_view text, Colour colour, bool debug,
                                const ColourTables& tables) {
    std::vector<TextRun> runs;
    RunBuilder builder(runs);
    RunStyle base;
    base.colour = colour;
    if (debug) {
        builder.Add(text, base);
        return runs;
    }

    RunStyle style = base;
    FormatScanner scanner(text);
    FormatToken token;
    while (scanner.Next(token)) {
        switch (token.kind) {
            case FormatToken::Kind::Text: builder.Add(token.text, style); break;
            case FormatToken::Kind::Toggle: Toggle(style, token.code); break;
            case FormatToken::Kind::Plain: style = base; break;
            case FormatToken::Kind::IrcColour: ApplyColour(style, base, token, tables); break;
            case FormatToken::Kind::TerminalColour:
                Lookup(tables.ansi, token.text, style.colour);
                break;
        }
    }
    return SeparateLinks(std::move(runs));
}

}  // namespace zorl::ui
