// Answers one ident (RFC 1413) query per connection attempt.
#pragma once

#include <memory>
#include <string>

#include "platform/SocketErrors.h"

namespace zorl {

class CServerConnection;
struct SessionServices;
class CIrcSocket;

class CIdentResponder {
public:
    static constexpr std::size_t kQueryLimit = 512;
    static constexpr int kTimeoutTicks = 300;  // 30 s of 100 ms ticks

    CIdentResponder(const SessionServices& services, CServerConnection& connection);
    ~CIdentResponder();
    // The listening socket, or the accepted one; null between attempts.
    CIrcSocket* Socket() const { return socket_.get(); }

    void StartIdent(const std::string& bindAddress, int port);
    // Closes and releases the ident socket, if any ("-- Ident socket Close").
    void Close();

    void OnAccept(WsaError error, CIrcSocket& socket);
    void OnReceive(CIrcSocket& socket, const std::string& text);
    void OnConnect(WsaError error, CIrcSocket& socket);
    void OnClose(WsaError error, CIrcSocket& socket);
    // Called every tick: drops a peer that never sends its query.
    void OnTick();

private:
    void Release(CIrcSocket& socket);

    const SessionServices& s_;
    CServerConnection& connection_;
    std::unique_ptr<CIrcSocket> socket_;
    int idle_ticks_ = 0;
};

}  // namespace zorl
