// Routes the notifications of every CIrcSocket by the socket's type.
#include "app/CZorlApp.h"

namespace zorl {

void CZorlApp::OnConnect(int error, CIrcSocket& socket) {
    socket.pending.clear();
    switch (socket.type) {
        case kSocketNormal:
        case kSocketNone: connection.OnConnect(error, socket); break;
        case kSocketIdent: ident.OnConnect(error, socket); break;
        default: break;
    }
}

void CZorlApp::OnReceive(int error, CIrcSocket& socket) {
    connection.OnReceive(error, socket);
}

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
