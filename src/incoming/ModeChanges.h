// MODE messages: one summary line with the whole mode string, with the
// ExtMode option one explanatory line per known letter, the operator and
// voice bits of the channel's nick list, and for the letters that change the
// channel's own modes a "MODE #channel" request, whose 324 answer refreshes
// the window caption.
//
//   :alice!a@host MODE #a +o-v bob carol     channel mode change
//   :me MODE me :+i                          user mode change
#pragma once

#include "session/IrcMessage.h"

namespace zorl {

struct IncomingContext;
class CIrcSocket;

class CModeChanges {
public:
    explicit CModeChanges(const IncomingContext& context) : c_(context) {}

    // Messages with fewer than 2 parameters are ignored.
    void HandleMode(CIrcSocket* socket, const IrcMessage& message);

private:
    void UserModes(const IrcMessage& message);
    void ChannelModes(CIrcSocket* socket, const IrcMessage& message);

    const IncomingContext& c_;
};

}  // namespace zorl
