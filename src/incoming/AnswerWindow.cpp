// Where the answer to a question the user typed is shown. The server sends it
// as lines of the status window; with "Replies in the window that asked" they
// go to the window the question came from instead.
#include "incoming/Dispatcher.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "common/CaseMapping.h"
#include "config/Settings.h"
#include "incoming/IncomingContext.h"
#include "session/Batches.h"
#include "session/IrcMessage.h"
#include "session/Labels.h"
#include "session/ServerConnection.h"
#include "session/ServerSupport.h"
#include "windows/WindowRegistry.h"

namespace zorl {

namespace {

// The numerics of a WHOIS or WHOWAS answer; each names the nick second.
constexpr const char* kWhoisLines[] = {"276", "301", "307", "310", "311", "312", "313",
                                       "314", "317", "318", "319", "320", "330", "335",
                                       "338", "369", "378", "379", "401", "406", "671"};

bool EndsWhois(const std::string& command) { return command == "318" || command == "369"; }

FrameId NamesWindow(const IncomingContext& c, CIrcSocket* socket, const IrcMessage& message) {
    // 353 me = #a :nicks   366 me #a :End of NAMES list
    const std::size_t at = message.command == "353" ? 2 : message.command == "366" ? 1 : 0;
    if (at == 0 || message.params.size() <= at || message.params[at].empty()) return 0;
    return c.registry.GetFrmByNameSocket(message.params[at], socket);
}

FrameId WhoisWindow(const IncomingContext& c, const IrcMessage& message) {
    if (message.params.size() < 2 ||
        std::none_of(std::begin(kWhoisLines), std::end(kWhoisLines),
                     [&](const char* each) { return message.command == each; }))
        return 0;
    CServerConnection& network = c.Connection();
    const std::string nick = FoldCase(message.params[1], network.Support().Mapping());
    const FrameId frame = network.Labels().FrameOfNick(nick);
    if (EndsWhois(message.command)) network.Labels().ForgetNick(nick);
    return frame;
}

}  // namespace

FrameId CIncomingDispatcher::AnswerWindow(CIrcSocket* socket, const IrcMessage& message,
                                          const Batch* batch) const {
    if (!c_.settings.RepliesInWindow) return 0;
    if (const FrameId names = NamesWindow(c_, socket, message)) return names;
    const std::string* label = message.Tag("label");
    if (!label && batch && !batch->label.empty()) label = &batch->label;
    if (label) return c_.Connection().Labels().FrameOf(*label);
    return WhoisWindow(c_, message);
}

}  // namespace zorl
