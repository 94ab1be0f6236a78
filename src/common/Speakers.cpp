#include "common/Speakers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace zorl {
namespace {

constexpr Colour Rgb(unsigned red, unsigned green, unsigned blue) {
    return red | (green << 8) | (blue << 16);
}

// A nick is at most this long in a speaker; longer is not a nick.
constexpr std::size_t kMaxNick = 64;

constexpr std::array<Colour, 12> kOnLight = {Rgb(176, 0, 0),    Rgb(0, 80, 176), Rgb(0, 112, 0),
                                             Rgb(138, 43, 226), Rgb(160, 80, 0), Rgb(0, 112, 112),
                                             Rgb(176, 0, 122),  Rgb(90, 90, 0),  Rgb(106, 61, 154),
                                             Rgb(192, 48, 0),   Rgb(0, 98, 138), Rgb(122, 74, 0)};
constexpr std::array<Colour, 12> kOnDark = {
    Rgb(255, 112, 112), Rgb(112, 168, 255), Rgb(112, 208, 112), Rgb(208, 160, 255),
    Rgb(255, 176, 96),  Rgb(80, 208, 208),  Rgb(255, 128, 192), Rgb(208, 208, 96),
    Rgb(176, 176, 255), Rgb(255, 144, 80),  Rgb(96, 192, 240),  Rgb(224, 176, 112)};

bool NickByte(char c) { return static_cast<unsigned char>(c) > ' ' && c != '<' && c != '>'; }

// The nick of "open nick close" at the start of `line`: its end, or 0.
std::size_t Closed(std::string_view line, char open, char close) {
    if (line.size() < 3 || line[0] != open) return 0;
    std::size_t end = 1;
    while (end < line.size() && end <= kMaxNick && NickByte(line[end]) && line[end] != close) ++end;
    if (end == 1 || end >= line.size() || line[end] != close) return 0;
    // The speaker is followed by the text, or ends the line.
    if (end + 1 < line.size() && line[end + 1] != ' ' && line[end + 1] != '\r' &&
        line[end + 1] != '\n')
        return 0;
    return end + 1;
}

}  // namespace

std::size_t SpeakerLength(std::string_view line) {
    if (std::size_t n = Closed(line, '<', '>')) return n;
    if (std::size_t n = Closed(line, '-', '-')) return n;
    // "* nick text", but not "*** text".
    if (line.size() > 2 && line[0] == '*' && line[1] == ' ' && NickByte(line[2]) &&
        line[2] != '*') {
        std::size_t end = 2;
        while (end < line.size() && end - 2 < kMaxNick && NickByte(line[end])) ++end;
        return end;
    }
    return 0;
}

std::string_view SpeakerNick(std::string_view speaker) {
    if (speaker.starts_with("* ")) return speaker.substr(2);
    return speaker.size() > 2 ? speaker.substr(1, speaker.size() - 2) : std::string_view();
}

double Luminance(Colour colour) {
    double sum = 0;
    const double weights[] = {0.2126, 0.7152, 0.0722};
    for (int channel = 0; channel < 3; ++channel) {
        const double c = ((colour >> (8 * channel)) & 0xFF) / 255.0;
        sum += weights[channel] * (c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
    }
    return sum;
}

double ContrastRatio(Colour a, Colour b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Colour ReadableOn(Colour text, Colour background) {
    const unsigned toward = Luminance(background) < 0.18 ? 255 : 0;
    Colour mixed = text;
    for (int step = 1; step <= 10 && ContrastRatio(mixed, background) < 4.5; ++step) {
        mixed = 0;
        for (int channel = 0; channel < 3; ++channel) {
            const unsigned c = (text >> (8 * channel)) & 0xFF;
            const unsigned m =
                (c * static_cast<unsigned>(10 - step) + toward * static_cast<unsigned>(step)) / 10;
            mixed |= m << (8 * channel);
        }
    }
    return mixed;
}

std::span<const Colour> NickPalette(Colour background) {
    // Where black and white read equally well: below it, light text reads
    // better.
    return Luminance(background) < 0.18 ? std::span<const Colour>(kOnDark)
                                        : std::span<const Colour>(kOnLight);
}

// FNV-1a: the same nick gets the same colour in every window and every run.
Colour NickColour(std::string_view nick, Colour background) {
    uint32_t hash = 2166136261u;
    for (char c : nick) {
        const char folded = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        hash = (hash ^ static_cast<unsigned char>(folded)) * 16777619u;
    }
    const std::span<const Colour> palette = NickPalette(background);
    return palette[hash % palette.size()];
}

}  // namespace zorl
