// Routes the notifications of every CIrcSocket by the socket's type.
#include "app/CZorlApp.h"
#include "session/IdentResponder.h"
#include "session/IrcSocket.h"
#include "session/ServerConnection.h"

namespace zorl {

void CZorlApp::OnConnect(int error, CIrcSocket& socket) {
    socket.pending.clear();
    socket.dropping_line = false;
    switch (socket.type) {
        case kSocketNormal:
        case kSocketNone: connection.OnConnect(error, socket); break;
        case kSocketIdent: ident.OnConnect(error, socket); break;
        default: break;
    }
}

// The read loop is the connection's; it hands each socket type's text on.
void CZorlApp::OnReceive(int error, CIrcSocket& socket) { connection.OnReceive(error, socket); }

void CZorlApp::OnClose(int error, CIrcSocket& socket) {
    switch (socket.type) {
        case kSocketNormal:
        case kSocketNone: connection.OnClose(error, socket); break;
        case kSocketIdent: ident.OnClose(error, socket); break;
        default: break;
    }
}

void CZorlApp::OnAccept(int error, CIrcSocket& socket) {
    if (socket.type == kSocketIdent) ident.OnAccept(error, socket);
}

}  // namespace zorl
