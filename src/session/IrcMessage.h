// One parsed protocol line, and the context record of variable expansion.
#pragma once

#include <string>
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

struct IrcMessage {
    int flags = 0;
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
};

}  // namespace zorl
