// The batches a server has opened and not yet closed (IRCv3 batch): lines
// tagged "batch=<id>" belong to one. A netsplit's quits and a netjoin's
// joins are gathered while it is open and shown as one line per window when
// it ends; lines of a history batch are shown as history.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zorl {

struct IrcMessage;

struct Batch {
    std::string type;  // "netsplit", "netjoin", "chathistory", ...
    std::vector<std::string> params;
    std::string label;  // labeled-response: the label of the command it answers
    // Window name -> the nicks gathered for it, in order.
    std::map<std::string, std::vector<std::string>> nicks;

    bool IsHistory() const { return type == "chathistory" || type == "draft/chathistory"; }
    bool Gathers() const { return type == "netsplit" || type == "netjoin"; }
    void Gather(const std::string& window, const std::string& nick);
};

class CBatches {
public:
    // A server may open many and close none: beyond these, nothing is kept.
    static constexpr std::size_t kMaxOpen = 32;
    static constexpr std::size_t kMaxNicks = 2000;  // per window of a batch

    void Open(const std::string& id, const std::string& type, std::vector<std::string> params,
              const std::string& label = "");
    std::optional<Batch> Close(const std::string& id);
    // The open batch `message` belongs to, or null.
    Batch* Of(const IrcMessage& message);
    void Reset() { open_.clear(); }

private:
    std::map<std::string, Batch> open_;
};

}  // namespace zorl
