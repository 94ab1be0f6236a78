#include "common/Format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace zorl {
namespace {

constexpr std::size_t kUnbounded = static_cast<std::size_t>(-1) / 2;

// One conversion: "%-20s" is {left, ' ', 20, none, 's'}.
struct Spec {
    bool left = false;
    char pad = ' ';
    std::size_t width = 0;
    enum Length { kInt, kLong, kLongLong, kSize } length = kInt;
    char conversion = 0;
};

// Reads the conversion after a '%'; false when it is one the fast path does
// not do (precision, '*', '+', ' ', '#', other lengths or conversions, or a
// '0' flag on a text).
bool ReadSpec(const char*& p, Spec& spec) {
    for (;; ++p) {
        if (*p == '-') {
            spec.left = true;
        } else if (*p == '0') {
            spec.pad = '0';
        } else {
            break;
        }
    }
    while (*p >= '0' && *p <= '9')
        spec.width = spec.width * 10 + static_cast<std::size_t>(*p++ - '0');
    if (spec.width > 4096) return false;
    if (*p == 'l') {
        ++p;
        spec.length = Spec::kLong;
        if (*p == 'l') {
            ++p;
            spec.length = Spec::kLongLong;
        }
    } else if (*p == 'z') {
        ++p;
        spec.length = Spec::kSize;
    }
    spec.conversion = *p;
    switch (spec.conversion) {
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X': break;
        case 's':
        case 'c':
            if (spec.pad == '0' || spec.length != Spec::kInt) return false;
            break;
        case '%':
            if (spec.left || spec.pad != ' ' || spec.width || spec.length != Spec::kInt)
                return false;
            break;
        default: return false;
    }
    ++p;
    if (spec.left) spec.pad = ' ';  // "-" wins over "0"
    return true;
}

// `text` in `width`, with a sign ("-" or "") between the blanks and the zeros.
void Pad(std::string& out, const Spec& spec, std::string_view sign, std::string_view text) {
    const std::size_t length = sign.size() + text.size();
    const std::size_t fill = spec.width > length ? spec.width - length : 0;
    if (!spec.left && spec.pad == ' ') out.append(fill, ' ');
    out += sign;
    if (!spec.left && spec.pad == '0') out.append(fill, '0');
    out += text;
    if (spec.left) out.append(fill, ' ');
}

void AppendNumber(std::string& out, const Spec& spec, std::va_list& args) {
    const bool isSigned = spec.conversion == 'd' || spec.conversion == 'i';
    unsigned long long magnitude = 0;
    bool negative = false;
    if (isSigned) {
        long long value = 0;
        switch (spec.length) {
            case Spec::kInt: value = va_arg(args, int); break;
            case Spec::kLong: value = va_arg(args, long); break;
            case Spec::kLongLong: value = va_arg(args, long long); break;
            case Spec::kSize: value = va_arg(args, std::make_signed_t<std::size_t>); break;
        }
        negative = value < 0;
        magnitude = negative ? 0ULL - static_cast<unsigned long long>(value)
                             : static_cast<unsigned long long>(value);
    } else {
        switch (spec.length) {
            case Spec::kInt: magnitude = va_arg(args, unsigned); break;
            case Spec::kLong: magnitude = va_arg(args, unsigned long); break;
            case Spec::kLongLong: magnitude = va_arg(args, unsigned long long); break;
            case Spec::kSize: magnitude = va_arg(args, std::size_t); break;
        }
    }
    const unsigned base = (spec.conversion == 'x' || spec.conversion == 'X') ? 16 : 10;
    const char* digits = spec.conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    char buffer[24];
    char* end = buffer + sizeof buffer;
    char* begin = end;
    do {
        *--begin = digits[magnitude % base];
        magnitude /= base;
    } while (magnitude != 0);
    Pad(out, spec, negative ? "-" : "",
        std::string_view(begin, static_cast<std::size_t>(end - begin)));
}

// False, with `out` unfinished, at the first conversion it does not do.
bool FastFormat(std::string& out, std::size_t limit, const char* format, std::va_list& args) {
    out.reserve(120);  // a typical line in one allocation
    for (const char* p = format; *p;) {
        const char* percent = std::strchr(p, '%');
        if (!percent) {
            out.append(p);
            break;
        }
        out.append(p, static_cast<std::size_t>(percent - p));
        p = percent + 1;
        Spec spec;
        if (!ReadSpec(p, spec)) return false;
        switch (spec.conversion) {
            case 's': {
                const char* text = va_arg(args, const char*);
                Pad(out, spec, "", text ? text : "(null)");
                break;
            }
            case 'c': {
                const char c = static_cast<char>(va_arg(args, int));
                Pad(out, spec, "", std::string_view(&c, 1));
                break;
            }
            case '%': out += '%'; break;
            default: AppendNumber(out, spec, args); break;
        }
        if (out.size() > limit) break;
    }
    if (out.size() > limit) out.resize(limit);
    return true;
}

void LibraryFormat(std::string& out, std::size_t limit, const char* format, va_list args) {
    va_list probe;
    va_copy(probe, args);
    int needed = std::vsnprintf(nullptr, 0, format, probe);
    va_end(probe);
    out.clear();
    if (needed < 0) return;
    out.resize(std::min(static_cast<std::size_t>(needed), limit));
    // The zero byte vsnprintf ends with goes where the string keeps its own.
    std::vsnprintf(out.data(), out.size() + 1, format, args);
}

}  // namespace

void FormatIntoV(std::string& out, std::size_t limit, const char* format, va_list args) {
    // The fast path reads a copy, so that the C library can start afresh.
    std::va_list own;
    va_copy(own, args);
    out.clear();
    const bool done = FastFormat(out, limit, format, own);
    va_end(own);
    if (!done) LibraryFormat(out, limit, format, args);
}

std::string FormatBoundedV(std::size_t limit, const char* format, va_list args) {
    std::string text;
    FormatIntoV(text, limit, format, args);
    return text;
}

std::string FormatBounded(std::size_t limit, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatBoundedV(limit, format, args);
    va_end(args);
    return text;
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatBoundedV(kUnbounded, format, args);
    va_end(args);
    return text;
}

std::string HexId(unsigned long id) { return FormatBounded(32, "%08lX", id); }

std::string SizeText(unsigned long long bytes) {
    const char* const units[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
    double value = static_cast<double>(bytes);
    std::size_t unit = 0;
    while (value >= 1024 && unit + 1 < std::size(units)) {
        value /= 1024;
        ++unit;
    }
    return unit == 0 ? Format("%llu bytes", bytes) : Format("%.1f %s", value, units[unit]);
}

}  // namespace zorl
