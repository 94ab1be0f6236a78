// The single server connection: its state machine, registration, line
// splitting of received bytes, sending, closing and automatic reconnection.
#pragma once

#include <string>

#include "session/NickRetry.h"
#include "session/SendQueue.h"

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
    // Lines for the server socket pass the send queue (session/SendQueue.h);
    // PONG and QUIT, and registration before the welcome, never wait.
    void SendLine(CIrcSocket* socket, const std::string& text, bool markActivity);
    static std::string WsaErrorText(int code);
    // The 100 ms tick: sends the waiting lines whose turn has come.
    void OnTick();
    std::size_t LinesWaiting() const { return queue_.Waiting(); }
    // The server refused a nick before its welcome (433 `taken`, or 432):
    // the next candidate is tried, and the user told so.
    void OnNickRefused(const std::string& refused, bool taken);
    // A channel to join once the server's greeting is over (an irc:// link);
    // forgotten when the connection ends first.
    void JoinWhenGreeted(const std::string& channel) { link_channel_ = channel; }
    // The end of the message of the day: the channel goes out now.
    void OnGreeted();

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
    // Whether a line on `socket` waits its turn in the send queue.
    bool IsPaced(const CIrcSocket* socket, const std::string& text) const;
    void Hold(const std::string& text);
    // The number of waiting lines in the main window's title.
    void ShowWaiting();
    // Sends one line (CR LF included) now.
    void Transmit(CIrcSocket* socket, const std::string& data);
    void SendAll(CIrcSocket& socket, const std::string& data);
    uint64_t Now() const;

    CZorlApp& app_;
    CSendQueue queue_;
    CNickRetry nick_retry_;
    std::string link_channel_;
    std::size_t shown_waiting_ = 0;
    bool reported_full_ = false;
};

}  // namespace zorl
