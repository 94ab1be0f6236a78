// Placeholders until the connection and the ident responder are built.
#include "app/CZorlApp.h"

namespace zorl {

void CServerConnection::OnButtonConnect() {}
void CServerConnection::OnButtonDisconnect() {}
void CServerConnection::StartSocket(const std::string&, int, const std::string&) {}
void CServerConnection::Disconnect() {}
void CServerConnection::SetState(int state) { app_.ircstatus = state; }
std::string CServerConnection::StateName() const { return {}; }
void CServerConnection::SendLine(CIrcSocket*, const std::string&, bool) {}
std::string CServerConnection::WsaErrorText(int) { return {}; }
void CServerConnection::OnConnect(int, CIrcSocket&) {}
void CServerConnection::OnReceive(int, CIrcSocket&) {}
void CServerConnection::OnClose(int, CIrcSocket&) {}
int CServerConnection::ChoosePort(const std::string&) { return 0; }

void CIdentResponder::StartIdent(const std::string&, int) {}
void CIdentResponder::Close() {}
void CIdentResponder::OnAccept(int, CIrcSocket&) {}
void CIdentResponder::OnReceive(CIrcSocket&, const std::string&) {}
void CIdentResponder::OnConnect(int, CIrcSocket&) {}
void CIdentResponder::OnClose(int, CIrcSocket&) {}
void CIdentResponder::OnTick() {}

}  // namespace zorl
