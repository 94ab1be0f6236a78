// One parsed protocol line, and the context record of variable expansion.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zorl {

// Which fields of an IrcMessage variable expansion may read.
enum MessageFlags : int {
    kHasChannel = 1,
    kHasMe = 2,
    kHasNick = 4,
    kHasSender = 8,
    kHasCommand = 16,
    kHasParams = 32,
    kHasCCommand = 64,
    kHasCParams = 128,
    kAllRecordFields = 255,
    kGeneralVariables = 512,  // time, date, random values, ...
};

// "@time=2026-12-09T10:00:00.000Z;+draft/reply=abc" gives two tags, their
// values unescaped; a tag without "=" has an empty value.
struct MessageTag {
    std::string key;  // with its "+" (client-only) or vendor prefix
    std::string value;
};

struct IrcMessage {
    int flags = 0;
    std::vector<MessageTag> tags;
    std::string channel;
    std::string me;
    std::string nick;
    std::string sender;   // user@host of the prefix
    std::string command;  // as received, no case change
    std::vector<std::string> params;
    std::string c_command;
    std::string c_params;

    // Parameter i, or "" when the line had fewer parameters.
    const std::string& Param(std::size_t i) const;
    // The value of a tag; null when the line does not carry it.
    const std::string* Tag(std::string_view key) const;
};

}  // namespace zorl
