#include "session/NickRetry.h"

#include <algorithm>

#include "common/Text.h"

namespace zorl {

void CNickRetry::Start(const std::string& nick) {
    wanted_ = nick;
    candidate_.clear();
    attempt_ = 0;
    longest_ = std::string::npos;
}

std::string CNickRetry::Next(const std::string& refused, bool taken) {
    const bool ours = !candidate_.empty() && EqualsNoCase(refused, candidate_);
    if (taken) {
        // The user may have typed /nick before the welcome: retry from that.
        if (!ours && !EqualsNoCase(refused, wanted_)) Start(refused);
        ++attempt_;
    } else {
        if (!ours || candidate_.size() <= 2) return "";
        longest_ = candidate_.size() - 1;
    }
    if (attempt_ > kAttempts) return "";
    candidate_ = Build();
    return candidate_;
}

// "joe_", "joe_1" ... "joe_9", the base cut to what the server accepts.
std::string CNickRetry::Build() const {
    const std::string suffix = attempt_ == 1 ? "_" : "_" + std::to_string(attempt_ - 1);
    std::string base = wanted_;
    if (longest_ != std::string::npos)
        base.resize(longest_ > suffix.size() ? std::min(base.size(), longest_ - suffix.size()) : 1);
    return base + suffix;
}

}  // namespace zorl
