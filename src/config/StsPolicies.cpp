#include "config/StsPolicies.h"

#include <limits>

#include "common/Format.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "config/IniStore.h"

namespace zorl {
namespace {

constexpr const char* kFile = "sts.ini";
constexpr const char* kSection = "Policies";
constexpr int kMaxPort = 65535;

std::string KeyOf(const std::string& host) { return ToLower(host); }

}  // namespace

StsValue ParseStsValue(std::string_view value) {
    StsValue sts;
    std::string_view rest = value;
    while (!rest.empty()) {
        const Split item = SplitAt(rest, ",");
        rest = item.tail;
        const Split pair = SplitAt(item.head, "=");
        if (!IsAllDigits(pair.tail)) continue;
        const long long number = AtoiLL(pair.tail);
        if (pair.head == "port" && number > 0 && number <= kMaxPort)
            sts.port = static_cast<int>(number);
        else if (pair.head == "duration")
            sts.duration = number;
    }
    return sts;
}

std::optional<StsPolicy> FindStsPolicy(CIniStore& ini, const std::string& host, std::time_t now) {
    if (host.empty()) return std::nullopt;
    const std::string stored = ini.ReadString(kFile, kSection, KeyOf(host), "");
    if (stored.empty()) return std::nullopt;
    const Split fields = SplitWord(stored);
    StsPolicy policy{Atoi(fields.head), static_cast<std::time_t>(AtoiLL(fields.tail))};
    if (policy.expires <= now || policy.port <= 0 || policy.port > kMaxPort) {
        ini.WriteString(kFile, kSection, KeyOf(host), "");
        return std::nullopt;
    }
    return policy;
}

void RememberStsPolicy(CIniStore& ini, const std::string& host, int port, long long seconds,
                       std::time_t now) {
    if (host.empty()) return;
    if (seconds <= 0) {
        ini.WriteString(kFile, kSection, KeyOf(host), "");
        return;
    }
    // A duration no clock can reach is "for good", not an overflow.
    constexpr long long kLatest = std::numeric_limits<long long>::max();
    const long long expires = seconds > kLatest - now ? kLatest : now + seconds;
    ini.WriteString(kFile, kSection, KeyOf(host), Format("%d %lld", port, expires));
}

}  // namespace zorl
