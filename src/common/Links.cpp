#include "common/Links.h"

#include "common/Text.h"

namespace zorl {

namespace {

bool IsAlnum(char c) { return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool EndsAddress(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte == 0x7F || c == '<' || c == '>' || c == '"';
}

bool IsClosingPunctuation(char c) {
    switch (c) {
        case '.':
        case ',':
        case ';':
        case ':':
        case '!':
        case '?':
        case '\'':
        case ']':
        case '}': return true;
        default: return false;
    }
}

// The scheme ending at `colon` ("http", "https", with `withFiles` also
// "file"), or 0 when there is none.
std::size_t SchemeBefore(std::string_view text, std::size_t colon, bool withFiles) {
    for (std::string_view scheme : {std::string_view("https"), std::string_view("http"),
                                    std::string_view(withFiles ? "file" : "")}) {
        if (scheme.empty()) continue;
        if (colon < scheme.size()) continue;
        const std::size_t start = colon - scheme.size();
        if (!EqualsNoCase(text.substr(start, scheme.size()), scheme)) continue;
        if (start > 0 && IsAlnum(text[start - 1])) return 0;
        return scheme.size();
    }
    return 0;
}

// Drops trailing punctuation and a ")" without its "(" inside the address.
std::size_t TrimmedLength(std::string_view address) {
    std::size_t n = address.size();
    while (n > 0) {
        const char last = address[n - 1];
        if (IsClosingPunctuation(last)) {
            --n;
            continue;
        }
        if (last == ')') {
            const std::string_view inside = address.substr(0, n);
            std::size_t open = 0;
            std::size_t close = 0;
            for (char c : inside) {
                open += c == '(';
                close += c == ')';
            }
            if (close > open) {
                --n;
                continue;
            }
        }
        break;
    }
    return n;
}

}  // namespace

std::vector<LinkSpan> FindWebLinks(std::string_view text, bool withFiles) {
    std::vector<LinkSpan> links;
    std::size_t from = 0;
    while (true) {
        const std::size_t colon = text.find("://", from);
        if (colon == std::string_view::npos) break;
        from = colon + 3;
        const std::size_t scheme = SchemeBefore(text, colon, withFiles);
        if (scheme == 0) continue;
        std::size_t end = colon + 3;
        while (end < text.size() && !EndsAddress(text[end])) ++end;
        const std::size_t start = colon - scheme;
        const std::size_t length = TrimmedLength(text.substr(start, end - start));
        // Something must follow "://" that can name a host; a file link
        // names no host but a path from the root.
        const bool file = scheme == 4 && EqualsNoCase(text.substr(start, 4), "file");
        if (length > scheme + 3 + (file ? 1 : 0) && (text[colon + 3] == '/') == file)
            links.push_back({start, length});
        from = end;
    }
    return links;
}

namespace {

bool IsWholeLink(std::string_view text, bool withFiles) {
    const std::vector<LinkSpan> links = FindWebLinks(text, withFiles);
    return links.size() == 1 && links[0].start == 0 && links[0].length == text.size();
}

}  // namespace

bool IsWebLink(std::string_view text) { return IsWholeLink(text, false); }

std::string FileLink(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string link = "file://";
    for (char c : path) {
        if (IsAlnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            link += c;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        link += '%';
        link += kHex[byte >> 4];
        link += kHex[byte & 0xF];
    }
    return link;
}

std::string FolderLinkOf(std::string_view text) {
    if (!EqualsNoCase(text.substr(0, 8), "file:///") || !IsWholeLink(text, true)) return {};
    return std::string(text.substr(0, text.rfind('/') + 1));
}

}  // namespace zorl
