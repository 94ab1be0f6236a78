// Routes the notifications of every CIrcSocket by the socket's type.
#include "app/CZorlApp.h"
#include "session/IdentResponder.h"
#include "session/IrcSocket.h"
#include "session/ServerConnection.h"

namespace zorl {

void CZorlApp::OnConnect(WsaError error, CIrcSocket& socket) {
    socket.pending.clear();
    socket.dropping_line = false;
    switch (socket.type) {
        case kSocketNormal:
        case kSocketNone: connection.OnConnect(error, socket); break;
        case kSocketIdent: ident.OnConnect(error, socket); break;
        case kSocketDccChat:
        case kSocketDccSendIn:
        case kSocketDccSendOut: break;
    }
}

// The read loop is the connection's; it hands each socket type's text on.
void CZorlApp::OnReceive(WsaError error, CIrcSocket& socket) {
    connection.OnReceive(error, socket);
}

void CZorlApp::OnClose(WsaError error, CIrcSocket& socket) {
    switch (socket.type) {
        case kSocketNormal:
        case kSocketNone: connection.OnClose(error, socket); break;
        case kSocketIdent: ident.OnClose(error, socket); break;
        case kSocketDccChat:
        case kSocketDccSendIn:
        case kSocketDccSendOut: break;
    }
}

void CZorlApp::OnAccept(WsaError error, CIrcSocket& socket) {
    if (socket.type == kSocketIdent) ident.OnAccept(error, socket);
}

}  // namespace zorl
