// The ident responder: listens while a connection is attempted, answers the
// first query with the user name and closes.
//
//   query   6193, 23
//   answer  6193, 23 : USERID : UNIX : joe
#include "session/IdentResponder.h"

#include "common/Format.h"
#include "config/Settings.h"
#include "session/IrcSocket.h"
#include "session/ServerConnection.h"
#include "session/SessionListener.h"

namespace zorl {
namespace {

constexpr int kListenBacklog = 5;
constexpr int kMaxPort = 65535;

}  // namespace

CIdentResponder::CIdentResponder(const SessionServices& services, CServerConnection& connection)
    : s_(services), connection_(connection) {}

CIdentResponder::~CIdentResponder() = default;

void CIdentResponder::StartIdent(const std::string& bindAddress, int port) {
    Close();
    auto socket = std::make_unique<CIrcSocket>(s_.sockets);
    s_.listener.Trace("-- Ident socket Create");
    WsaError error = port >= 0 && port <= kMaxPort
                         ? socket->Create(kEventRead | kEventAccept | kEventClose, bindAddress,
                                          static_cast<uint16_t>(port))
                         : kWsaInvalid;
    if (error != kWsaOk) {
        s_.listener.Status(Cls::UError, "** Ident: Unable to create socket (" +
                                            CServerConnection::WsaErrorText(error) + ")");
        return;
    }
    error = socket->Listen(kListenBacklog);
    if (error != kWsaOk) {
        s_.listener.Status(Cls::UError, "** Ident: Unable to listen socket (" +
                                            CServerConnection::WsaErrorText(error) + ")");
        return;
    }
    socket->type = kSocketIdent;
    socket_ = std::move(socket);
    idle_ticks_ = 0;
}

void CIdentResponder::Close() {
    if (!socket_) return;
    s_.listener.Trace("-- Ident socket Close");
    socket_->Close();
    socket_.reset();
}

// A query connects: the accepted socket takes the listener's place, so
// nobody listens on the ident port until the next StartIdent.
void CIdentResponder::OnAccept(WsaError error, CIrcSocket& socket) {
    s_.listener.Trace(Format("-- Accept [%08X] (ident) ", static_cast<unsigned>(socket.Id())));
    std::unique_ptr<IAsyncSocket> accepted;
    if (error == kWsaOk) accepted = socket.Accept(error);
    if (!accepted) {
        s_.listener.Status(
            Cls::UError, "** Ident: Accept error (" + CServerConnection::WsaErrorText(error) + ")");
        return;
    }
    auto peer = std::make_unique<CIrcSocket>(s_.sockets);
    peer->Adopt(std::move(accepted));
    peer->type = kSocketIdent;
    peer->connected = true;
    if (socket_.get() != &socket) socket.Close();
    // Releases the listener when it is `socket`, which is not touched below.
    socket_ = std::move(peer);
    idle_ticks_ = 0;
}

// `text` is one received chunk, zero bytes already dropped. The query is the
// chunk up to its first CR or LF, or the whole chunk when it has neither.
void CIdentResponder::OnReceive(CIrcSocket& socket, const std::string& text) {
    if (!socket.connected) return;
    std::string query = text.substr(0, text.find_first_of("\r\n"));
    if (query.size() > kQueryLimit) query.resize(kQueryLimit);
    s_.listener.DebugOut(Cls::Normal, "<< " + query + "\r\n", true);

    std::string peer;
    uint16_t peerPort = 0;
    socket.PeerAddress(peer, peerPort);
    s_.listener.PrintF(nullptr, "", Cls::Info, "*** Identd request from %s", peer.c_str());
    const std::string answer = query + " : USERID : UNIX : " + s_.settings.User;
    connection_.SendLine(&socket, answer, false);
    s_.listener.PrintF(nullptr, "", Cls::Info, "*** Identd replied: %s", answer.c_str());
    Release(socket);
}

// Only sockets that connected out get this; the responder makes none.
void CIdentResponder::OnConnect(WsaError error, CIrcSocket& socket) {
    s_.listener.Trace("-- Ident Connect");
    if (error == kWsaOk) return;
    s_.listener.Status(Cls::UError,
                       "** Connection failed: " + CServerConnection::WsaErrorText(error));
    Release(socket);
}

void CIdentResponder::OnClose(WsaError, CIrcSocket& socket) {
    s_.listener.Trace("-- Ident Close");
    Release(socket);
}

void CIdentResponder::OnTick() {
    if (!socket_ || !socket_->connected) return;
    if (++idle_ticks_ < kTimeoutTicks) return;
    s_.listener.Status(Cls::Info, "*** Identd: no request within 30 seconds, closed");
    Close();
}

// Closes `socket` and, when it is the ident socket, releases it; `socket`
// may be gone afterwards.
void CIdentResponder::Release(CIrcSocket& socket) {
    if (socket_.get() == &socket) {
        Close();
    } else {
        s_.listener.Trace("-- Ident socket Close");
        socket.Close();
    }
}

}  // namespace zorl
