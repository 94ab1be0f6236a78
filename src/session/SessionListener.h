// What a server connection tells the layers above it. The application
// object implements it and hands each report to the windows, the incoming
// handlers or the scripts; the session never sees them itself.
#pragma once

#include <string>

#include "common/SharedTypes.h"

namespace zorl {

class CIrcSocket;
struct IrcMessage;

class ISessionListener {
public:
    // A line for the user: `socket` and `name` choose the window (null and
    // "": the status window).
    virtual void Print(CIrcSocket* socket, const std::string& name, Cls cls,
                       const std::string& text) = 0;
    // "** ..." connection traces, shown only with ExtConnect.
    virtual void Trace(const std::string& text) = 0;
    // The debug window is on (Debug On).
    virtual bool WantsDebug() const = 0;
    virtual void DebugOut(Cls cls, const std::string& text, bool withTime) = 0;
    virtual void DebugOut(Colour colour, const std::string& text, bool withTime) = 0;

    // One parsed server line; `ignored`: its sender is on the ignore list.
    // The handlers may rewrite the message for those that see it later.
    virtual void OnMessage(CIrcSocket* socket, IrcMessage& message, bool ignored) = 0;
    // The state machine moved (window titles, the connect commands; a new
    // attempt closes the windows of the last one).
    virtual void OnStateChanged(ConnectionState state) = 0;
    // The connection to the server is being closed: its channels say so.
    virtual void OnDisconnecting(CIrcSocket& socket) = 0;
    virtual void OnOwnNickChanged() = 0;
    // The notify period ended: time to ask the server who is on.
    virtual void OnNotifyDue() = 0;
    // Connect found no nick or user name, or no server: the dialog that
    // sets them.
    virtual void AskForUser() = 0;
    virtual void AskForServer() = 0;
    // The user is closing the client: nothing reconnects.
    virtual bool Leaving() const = 0;

    void Status(Cls cls, const std::string& text) { Print(nullptr, "", cls, text); }
    // Formats at most 1023 characters; the format is always a literal.
    void PrintF(CIrcSocket* socket, const std::string& name, Cls cls, const char* format, ...)
        __attribute__((format(printf, 5, 6)));

protected:
    ~ISessionListener() = default;
};

}  // namespace zorl
