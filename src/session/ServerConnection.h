// The single server connection: its state machine, registration, line
// splitting of received bytes, sending, closing and automatic reconnection.
//
// The connection state kept in CZorlApp (ircstatus, registered, the own
// nick, the chosen server, the reconnect flags) is written only here, through
// the operations below; everything else reads it.
#pragma once

#include <cstdint>
#include <string>

#include "common/SharedTypes.h"
#include "platform/SocketErrors.h"

namespace zorl {

class CZorlApp;
class CIrcSocket;

class CServerConnection {
public:
    static constexpr std::size_t kReadSize = 40950;
    static constexpr std::size_t kPendingLimit = 64 * 1024;
    // What one receive notification may take in: a server that writes
    // faster than we handle lines must not hold the event loop. The rest
    // stays in the socket, whose readiness brings us back on the next pass.
    static constexpr std::size_t kReceiveBudget = 2 * kReadSize;
    static constexpr uint64_t kReceiveBudgetMs = 50;

    explicit CServerConnection(CZorlApp& app) : app_(app) {}

    void OnButtonConnect();
    void OnButtonDisconnect();
    void StartSocket(const std::string& address, int port, const std::string& password);
    void Disconnect();
    void SetState(ConnectionState state);
    std::string StateName() const;
    void SendLine(CIrcSocket* socket, const std::string& text, bool markActivity);

    // The run-time state of a fresh start: idle, nothing to reconnect, and
    // the server socket object that the status window is registered under.
    void ResetState();
    // The server's welcome (001): the session is registered.
    void MarkRegistered();
    // The own nick, kept in zorl.ini and shown in the status caption.
    void SetOwnNick(const std::string& nick);
    // Makes `address` with `ports` the chosen server and connects to it. A
    // connected session quits first and connects again when the server
    // closes it.
    void SwitchServer(const std::string& address, const std::string& ports);
    static std::string WsaErrorText(WsaError code);

    // Notifications for the server socket (type Normal or None).
    void OnConnect(WsaError error, CIrcSocket& socket);
    void OnReceive(WsaError error, CIrcSocket& socket);
    void OnClose(WsaError error, CIrcSocket& socket);

    // The random port of a port list such as "6667, 6668,7000".
    int ChoosePort(const std::string& ports);

private:
    // Every window of the server connection except the status window.
    void CloseConnectionWindows();
    // Cuts the server's text into lines and parses them. False when a line's
    // handling closed or replaced the connection: the read loop must stop.
    bool TakeServerText(CIrcSocket& socket, const std::string& text);
    void SendAll(CIrcSocket& socket, const std::string& data);
    // The connection failed: one status line, the disconnect, and a new
    // attempt when AutoReconnect is on.
    void Lost(const std::string& why);

    CZorlApp& app_;
};

}  // namespace zorl
