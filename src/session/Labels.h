// labeled-response: a command the user typed goes out with a label, and the
// server's replies to it carry the label back, on their own or on the batch
// that holds them; they are shown in the window the command was typed in.
// A server without it still names the nick a WHOIS or WHOWAS asked about in
// every line of the answer, so those are followed by nick until their end.
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

    // A WHOIS or WHOWAS about `nick` (folded by the network's case mapping)
    // typed in `frame`.
    void AttachNick(std::string nick, FrameId frame);
    FrameId FrameOfNick(const std::string& nick) const;
    void ForgetNick(const std::string& nick);

    void Reset() {
        outstanding_.clear();
        nicks_.clear();
    }

private:
    std::deque<std::pair<std::string, FrameId>> outstanding_;
    std::deque<std::pair<std::string, FrameId>> nicks_;
    unsigned next_ = 1;
};

}  // namespace zorl
