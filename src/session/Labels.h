// labeled-response: a command the user typed goes out with a label, and the
// server's replies to it carry the label back, on their own or on the batch
// that holds them; they are shown in the window the command was typed in.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <utility>

#include "common/SharedTypes.h"

namespace zorl {

class CLabels {
public:
    // Labels whose replies have not ended yet; the oldest is dropped beyond.
    static constexpr std::size_t kMaxOutstanding = 64;

    // A new label for a command typed in `frame`.
    std::string Attach(FrameId frame);
    // The window of `label`; 0 when it is not one of ours.
    FrameId FrameOf(const std::string& label) const;
    void Forget(const std::string& label);
    void Reset() { outstanding_.clear(); }

private:
    std::deque<std::pair<std::string, FrameId>> outstanding_;
    unsigned next_ = 1;
};

}  // namespace zorl
