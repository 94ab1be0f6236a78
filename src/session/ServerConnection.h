// The single server connection: its state machine, registration, line
// splitting of received bytes, sending, closing and automatic reconnection.
#pragma once

#include <cstdint>
#include <string>

namespace zorl {

class CZorlApp;
class CIrcSocket;

enum ConnectionState : int { IDLE = 0, STARTING = 1, CONNECTING = 2, CONNECTED = 3 };

class CServerConnection {
public:
    static constexpr std::size_t kReadSize = 40950;
    static constexpr std::size_t kPendingLimit = 64 * 1024;

    explicit CServerConnection(CZorlApp& app) : app_(app) {}

    void OnButtonConnect();
    void OnButtonDisconnect();
    void StartSocket(const std::string& address, int port, const std::string& password);
    void Disconnect();
    void SetState(int state);
    std::string StateName() const;
    void SendLine(CIrcSocket* socket, const std::string& text, bool markActivity);
    static std::string WsaErrorText(int code);

    // Notifications for the server socket (type Normal or None).
    void OnConnect(int error, CIrcSocket& socket);
    void OnReceive(int error, CIrcSocket& socket);
    void OnClose(int error, CIrcSocket& socket);

    // The random port of a port list such as "6667, 6668,7000".
    int ChoosePort(const std::string& ports);

private:
    // Every window of the server connection except the status window.
    void CloseConnectionWindows();
    // Cuts the server's text into lines and parses them. False when a line's
    // handling closed or replaced the connection: the read loop must stop.
    bool TakeServerText(CIrcSocket& socket, const std::string& text);
    void SendAll(CIrcSocket& socket, const std::string& data);

    CZorlApp& app_;
    // Lines of this connection generation are being handled (further down
    // the stack): a nested read only queues its text.
    bool reading_ = false;
    uint64_t reading_generation_ = 0;
};

}  // namespace zorl
