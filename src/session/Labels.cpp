#include "session/Labels.h"

#include <algorithm>

namespace zorl {

std::string CLabels::Attach(FrameId frame) {
    if (outstanding_.size() >= kMaxOutstanding) outstanding_.pop_front();
    std::string label = "z" + std::to_string(next_++);
    outstanding_.emplace_back(label, frame);
    return label;
}

FrameId CLabels::FrameOf(const std::string& label) const {
    for (const auto& [each, frame] : outstanding_)
        if (each == label) return frame;
    return 0;
}

void CLabels::Forget(const std::string& label) {
    std::erase_if(outstanding_, [&](const auto& entry) { return entry.first == label; });
}

void CLabels::AttachNick(std::string nick, FrameId frame) {
    ForgetNick(nick);
    if (nicks_.size() >= kMaxOutstanding) nicks_.pop_front();
    nicks_.emplace_back(std::move(nick), frame);
}

FrameId CLabels::FrameOfNick(const std::string& nick) const {
    for (const auto& [each, frame] : nicks_)
        if (each == nick) return frame;
    return 0;
}

void CLabels::ForgetNick(const std::string& nick) {
    std::erase_if(nicks_, [&](const auto& entry) { return entry.first == nick; });
}

}  // namespace zorl
