#include "ui/TextRuns.h"

#include "app/Settings.h"
#include "common/FormatCodes.h"
#include "common/Links.h"

namespace zorl::ui {

namespace {

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

// Cuts the web addresses out of each run into runs of their own.
std::vector<TextRun> SeparateLinks(std::vector<TextRun> runs) {
    std::vector<TextRun> out;
    out.reserve(runs.size());
    for (TextRun& run : runs) {
        const std::vector<LinkSpan> links = FindWebLinks(run.text);
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

int AppendNormalisedBreaks(std::string& out, std::string_view text) {
    int breaks = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\r' && c != '\n') continue;
        out.append(text.substr(start, i - start));
        out.push_back('\n');
        ++breaks;
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
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
