#include "incoming/DccDestination.h"

#include "common/Format.h"

namespace zorl {
namespace {

struct Range {
    uint32_t network;
    int prefix;  // bits that must match
    const char* what;
};

constexpr uint32_t Ip(unsigned a, unsigned b, unsigned c, unsigned d) {
    return (a << 24) | (b << 16) | (c << 8) | d;
}

// RFC 1122, 1918, 6598, 3927 and 5771; the first range that holds the
// address names it.
constexpr Range kRanges[] = {
    {Ip(127, 0, 0, 0), 8, "this computer"},
    {Ip(0, 0, 0, 0), 8, "not a peer's address"},
    {Ip(255, 255, 255, 255), 32, "not a peer's address"},
    {Ip(10, 0, 0, 0), 8, "a private network address"},
    {Ip(172, 16, 0, 0), 12, "a private network address"},
    {Ip(192, 168, 0, 0), 16, "a private network address"},
    {Ip(100, 64, 0, 0), 10, "a provider's shared address"},
    {Ip(169, 254, 0, 0), 16, "a link-local address"},
    {Ip(224, 0, 0, 0), 4, "a multicast address"},
};

const char* KindOf(uint32_t address) {
    for (const Range& range : kRanges) {
        const uint32_t mask = range.prefix == 0 ? 0 : ~uint32_t{0} << (32 - range.prefix);
        if ((address & mask) == range.network) return range.what;
    }
    return nullptr;
}

}  // namespace

std::string DottedAddress(uint32_t address) {
    return Format("%u.%u.%u.%u", address >> 24, (address >> 16) & 0xFF, (address >> 8) & 0xFF,
                  address & 0xFF);
}

std::string DccDestinationWarning(uint32_t address, int port, const std::string& nick,
                                  const char* what) {
    std::string reasons;
    if (const char* kind = KindOf(address)) reasons = DottedAddress(address) + " is " + kind;
    if (port < kFirstUserPort) {
        if (!reasons.empty()) reasons += ", and ";
        reasons +=
            Format("port %d is below %d, where system services listen", port, kFirstUserPort);
    }
    if (reasons.empty()) return {};
    return "Warning: " + reasons + "; " + what + " to a service there rather than to " + nick + ".";
}

}  // namespace zorl
