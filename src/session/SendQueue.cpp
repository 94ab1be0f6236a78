#include "session/SendQueue.h"

#include <algorithm>

namespace zorl {

void CSendQueue::Reset(uint64_t now) {
    held_.clear();
    allowance_ = kBurst * kInterval;
    last_ = now;
}

void CSendQueue::Refill(uint64_t now) {
    if (now > last_) allowance_ = std::min(kBurst * kInterval, allowance_ + (now - last_));
    last_ = now;
}

bool CSendQueue::Admit(uint64_t now) {
    Refill(now);
    if (!held_.empty() || allowance_ < kInterval) return false;
    allowance_ -= kInterval;
    return true;
}

bool CSendQueue::Hold(std::string line) {
    if (held_.size() >= kLimit) return false;
    held_.push_back(std::move(line));
    return true;
}

std::vector<std::string> CSendQueue::Due(uint64_t now) {
    Refill(now);
    std::vector<std::string> due;
    while (!held_.empty() && allowance_ >= kInterval) {
        allowance_ -= kInterval;
        due.push_back(std::move(held_.front()));
        held_.pop_front();
    }
    return due;
}

std::size_t CSendQueue::Clear() {
    const std::size_t count = held_.size();
    held_.clear();
    return count;
}

}  // namespace zorl
