// The small types every part of the client speaks: how windows are named,
// colours and colour classes, the kinds of window, socket and message, and
// the connection states. Kept apart from the subsystem headers so that a
// file that only needs a FrameId or a Colour does not depend on them.
#pragma once

#include <cstdint>

namespace zorl {

// A window as the engine names it; 0 is "no frame".
using FrameId = uint32_t;

// 0x00BBGGRR: red in the low byte (red + 256 * green + 65536 * blue).
using Colour = uint32_t;

// Hint bits of a document update: what the views of a window redraw.
enum ViewHint : int {
    kHintLineLimit = 1,   // take the line limit from MaxLines
    kHintFont = 2,        // re-apply face, size and character set
    kHintBackground = 4,  // background from BGColor
    kHintTopic = 8,       // a channel's topic changed
    kHintNicks = 16,      // the nick table changed
};

// Colour classes: the keys of section COLOR.
enum class Cls {
    Normal,
    Own,
    Action,
    Notice,
    CTCP,
    Status,
    Info,
    UError,
    Error,
    Flow,
    Time,
    Notify
};

// The type of a registry entry and of its frame.
enum WindowType : int {
    kWindowDefault = 0,  // private output windows such as "~debug"
    kWindowStatus = 1,
    kWindowChannel = 2,
    kWindowQuery = 3,
    kWindowDccQuery = 4,
    kWindowDccSend = 5,
};

// What a CIrcSocket carries.
enum SocketType : int {
    kSocketNone = 0,
    kSocketNormal = 1,
    kSocketDccChat = 2,
    kSocketDccSendIn = 3,
    kSocketDccSendOut = 4,
    kSocketIdent = 5,
};

// The server connection's state.
// A nick's status in a channel, one bit per prefix mode: the two every
// server has, then the ones a server's PREFIX may add (~ owner, & admin,
// % half-op).
enum NickBits : int {
    kNickOp = 1,
    kNickVoice = 2,
    kNickOwner = 4,
    kNickAdmin = 8,
    kNickHalfop = 16,
    kNickAway = 32,  // not a rank: the server said the nick is away
    kNickAbsent = 0x8000
};

enum ConnectionState : int { IDLE = 0, STARTING = 1, CONNECTING = 2, CONNECTED = 3 };

// What ShowOwn and ShowIncoming show.
enum MessageKind : int {
    kKindMessage = 0,
    kKindNotice = 1,
    kKindAction = 2,
    kKindCtcp = 3,
    kKindCtcpReply = 4,  // shown as a CTCP request is
};

}  // namespace zorl
