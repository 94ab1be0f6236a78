#include "session/Batches.h"

#include "session/IrcMessage.h"

namespace zorl {

void Batch::Gather(const std::string& window, const std::string& nick) {
    std::vector<std::string>& list = nicks[window];
    if (list.size() < CBatches::kMaxNicks) list.push_back(nick);
}

void CBatches::Open(const std::string& id, const std::string& type, std::vector<std::string> params,
                    const std::string& label) {
    if (id.empty() || (open_.size() >= kMaxOpen && !open_.count(id))) return;
    open_[id] = Batch{type, std::move(params), label, {}};
}

std::optional<Batch> CBatches::Close(const std::string& id) {
    auto it = open_.find(id);
    if (it == open_.end()) return std::nullopt;
    Batch batch = std::move(it->second);
    open_.erase(it);
    return batch;
}

Batch* CBatches::Of(const IrcMessage& message) {
    const std::string* id = message.Tag("batch");
    if (!id) return nullptr;
    auto it = open_.find(*id);
    return it == open_.end() ? nullptr : &it->second;
}

}  // namespace zorl
