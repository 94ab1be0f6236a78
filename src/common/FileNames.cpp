#include "common/FileNames.h"

namespace zorl {
namespace {

constexpr bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// Where to cut a UTF-8 text of `limit` bytes or more without splitting a
// character: back over continuation bytes.
std::size_t CharBoundary(std::string_view text, std::size_t limit) {
    if (limit >= text.size()) return text.size();
    while (limit > 0 && (static_cast<unsigned char>(text[limit]) & 0xC0) == 0x80) --limit;
    return limit;
}

std::string Shorten(const std::string& name) {
    if (name.size() <= kPlainNameLimit) return name;
    // Keep a short extension, so the file still opens with the right program.
    constexpr std::size_t kLongestExtension = 16;
    std::string extension;
    std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0 && name.size() - dot <= kLongestExtension)
        extension = name.substr(dot);
    std::string_view stem(name.data(), name.size() - extension.size());
    return std::string(stem.substr(0, CharBoundary(stem, kPlainNameLimit - extension.size()))) +
           extension;
}

}  // namespace

std::string PlainFileName(std::string_view offered) {
    std::size_t slash = offered.find_last_of("/\\");
    if (slash != std::string_view::npos) offered.remove_prefix(slash + 1);
    std::string name;
    name.reserve(offered.size());
    bool leading = true;
    for (char c : offered) {
        leading = leading && c == '.';
        name += leading || IsControl(static_cast<unsigned char>(c)) ? '_' : c;
    }
    if (name.empty()) return "unnamed";
    return Shorten(name);
}

bool StaysInside(std::string_view name) {
    if (name.empty() || name.front() == '/') return false;
    for (char c : name)
        if (c == '\\' || IsControl(static_cast<unsigned char>(c))) return false;
    std::size_t at = 0;
    while (at <= name.size()) {
        std::size_t end = name.find('/', at);
        if (end == std::string_view::npos) end = name.size();
        std::string_view part = name.substr(at, end - at);
        if (part.empty() || part == "." || part == "..") return false;
        at = end + 1;
    }
    return true;
}

}  // namespace zorl
