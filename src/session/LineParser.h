// Turns one server line (without CR LF) into an IrcMessage, decides whether
// its sender is ignored, and hands it to the dispatcher and the event
// matcher.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "session/IrcMessage.h"

namespace zorl {

class CZorlApp;
class CIrcSocket;

// Parses without side effects; `ignored` is set from the ignore list.
IrcMessage ParseMessage(std::string_view line, const std::string& myNick,
                        const std::vector<std::string>& ignoreList, bool& ignored);
// The same into an existing record, whose parameter strings are reused.
void ParseMessageInto(IrcMessage& message, std::string_view line, const std::string& myNick,
                      const std::vector<std::string>& ignoreList, bool& ignored);

class CLineParser {
public:
    explicit CLineParser(CZorlApp& app) : app_(app) {}

    // Empty lines are dropped; every other line is dispatched.
    void ParseLine(CIrcSocket* socket, std::string_view line);

private:
    void ResetIdleTimerFor(CIrcSocket* socket, const IrcMessage& message);
    void DumpMessage(const IrcMessage& message);

    CZorlApp& app_;
    IrcMessage record_;     // the record of the line being handled
    bool parsing_ = false;  // record_ is in use
};

}  // namespace zorl
