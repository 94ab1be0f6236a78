// Routes the notifications of every CIrcSocket by the socket's type.
#include "app/CZorlApp.h"
#include "app/Listeners.h"
#include "dcc/Dcc.h"
#include "platform/Platform.h"
#include "session/IdentResponder.h"
#include "session/IrcSocket.h"
#include "session/Networks.h"
#include "session/ServerConnection.h"
#include "windows/Output.h"

namespace zorl {

ISocketFactory& CZorlApp::SocketFactory() { return platform.sockets; }

ISocketHost& CZorlApp::SocketHost() { return *listeners_; }

namespace {

// The event goes to the network the socket belongs to (the first for the
// ident socket), served for its length.
void ToNetwork(CNetworks& networks, CIrcSocket& socket, WsaError error,
               void (CServerConnection::*handler)(WsaError, CIrcSocket&)) {
    CServerConnection& network = networks.OfOr(&socket, networks.First());
    const auto serving = networks.Serve(&network);
    (network.*handler)(error, socket);
}

}  // namespace

void CZorlApp::OnConnect(WsaError error, CIrcSocket& socket) {
    socket.pending.clear();
    socket.dropping_line = false;
    switch (socket.type) {
        case kSocketNormal:
        case kSocketNone: ToNetwork(networks, socket, error, &CServerConnection::OnConnect); break;
        case kSocketIdent: ident.OnConnect(error, socket); break;
        case kSocketDccChat:
        case kSocketDccSendIn:
        case kSocketDccSendOut: dcc.OnConnect(error, socket); break;
    }
}

// The server's and ident's text goes through the connection's read loop;
// DCC reads its own, binary-safe.
void CZorlApp::OnReceive(WsaError error, CIrcSocket& socket) {
    switch (socket.type) {
        case kSocketDccChat:
        case kSocketDccSendIn:
        case kSocketDccSendOut: dcc.OnReceive(error, socket); break;
        case kSocketNone:
        case kSocketNormal:
        case kSocketIdent: ToNetwork(networks, socket, error, &CServerConnection::OnReceive); break;
    }
}

void CZorlApp::OnClose(WsaError error, CIrcSocket& socket) {
    switch (socket.type) {
        case kSocketNormal:
        case kSocketNone: ToNetwork(networks, socket, error, &CServerConnection::OnClose); break;
        case kSocketIdent: ident.OnClose(error, socket); break;
        case kSocketDccChat:
        case kSocketDccSendIn:
        case kSocketDccSendOut: dcc.OnClose(error, socket); break;
    }
}

void CZorlApp::OnAccept(WsaError error, CIrcSocket& socket) {
    switch (socket.type) {
        case kSocketIdent: ident.OnAccept(error, socket); break;
        case kSocketNone: output.Status(Cls::Error, "** (OnAccept) No socket"); break;
        case kSocketNormal:
        case kSocketDccChat:
        case kSocketDccSendIn:
        case kSocketDccSendOut: dcc.OnAccept(error, socket); break;
    }
}

}  // namespace zorl
