// Before the server's welcome a refused nick leaves the connection waiting
// unregistered, so another is tried at once: "joe" taken gives "joe_", then
// "joe_1" up to "joe_9". A candidate the server finds too long (or otherwise
// erroneous) is tried again one byte shorter, its base cut.
#pragma once

#include <cstddef>
#include <string>

namespace zorl {

class CNickRetry {
public:
    static constexpr int kAttempts = 10;

    // A new registration that asks for `nick`.
    void Start(const std::string& nick);
    // The nick to try after the server refused `refused`, or "" when none
    // is left. `taken`: 433, the nick is in use; otherwise 432, erroneous,
    // which is only worked around for a candidate of ours.
    std::string Next(const std::string& refused, bool taken);
    // The nick the user asked for, and the last candidate tried ("" none).
    const std::string& Wanted() const { return wanted_; }
    const std::string& Candidate() const { return candidate_; }

private:
    std::string Build() const;

    std::string wanted_;
    std::string candidate_;
    int attempt_ = 0;
    std::size_t longest_ = std::string::npos;  // what the server accepts
};

}  // namespace zorl
