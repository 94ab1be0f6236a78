#include "ui/TextRuns.h"

#include <algorithm>
#include <cstring>

#include "app/Settings.h"
#include "common/Text.h"

namespace zorl::ui {

namespace {

constexpr char kBold = 0x02;
constexpr char kColour = 0x03;
constexpr char kPlain = 0x0F;
constexpr char kReverse = 0x16;
constexpr char kUnderline = 0x1F;
constexpr char kEscape = 0x1B;

bool IsControl(char c) {
    return c == kBold || c == kColour || c == kPlain || c == kReverse || c == kUnderline ||
           c == kEscape;
}

// The position of the next formatting code at or after `from`, or the end.
// Every code is below 0x20 and most text has none: eight bytes at a time are
// first tested for any byte below 0x20.
std::size_t FindControl(std::string_view text, std::size_t from) {
    constexpr uint64_t kOnes = 0x0101010101010101ULL;
    const std::size_t n = text.size();
    std::size_t i = from;
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
            if (IsControl(text[i])) return i;
    }
    return n;
}

bool Lookup(const std::map<std::string, Colour>& table, std::string_view key, Colour& out) {
    auto it = table.find(std::string(key));
    if (it == table.end()) return false;
    out = it->second;
    return true;
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

}  // namespace

bool HasFormatting(std::string_view text) { return FindControl(text, 0) != text.size(); }

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
    const RunStyle base{colour, false, false, false};
    if (debug) {
        builder.Add(text, base);
        return runs;
    }

    RunStyle style = base;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        std::size_t next = FindControl(text, i);
        builder.Add(text.substr(i, next - i), style);
        if (next >= n) break;

        char code = text[next];
        i = next + 1;
        switch (code) {
            case kBold: style.bold = !style.bold; break;
            case kUnderline: style.underline = !style.underline; break;
            case kReverse: style.strike = !style.strike; break;
            case kPlain: style = base; break;
            case kColour: {
                std::size_t digits = i;
                while (digits < n && IsDigit(text[digits])) ++digits;
                Lookup(tables.irc, text.substr(i, digits - i), style.colour);
                i = digits;
                if (i < n && text[i] == ',') {
                    ++i;
                    while (i < n && IsDigit(text[i])) ++i;
                }
                break;
            }
            case kEscape: {
                if (i >= n || text[i] != '[') break;  // a lone ESC is dropped
                ++i;
                std::size_t group = i;
                while (i < n && (IsDigit(text[i]) || text[i] == ';')) {
                    if (text[i] == ';') {
                        Lookup(tables.ansi, text.substr(group, i - group), style.colour);
                        group = i + 1;
                    }
                    ++i;
                }
                if (i < n) {
                    if (text[i] == 'm')
                        Lookup(tables.ansi, text.substr(group, i - group), style.colour);
                    ++i;  // the final character goes with the sequence
                }
                break;
            }
        }
    }
    return runs;
}

}  // namespace zorl::ui
