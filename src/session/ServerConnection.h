// A server connection: its state machine, registration, line splitting of
// received bytes, sending, closing and automatic reconnection. It owns its
// whole state (the socket, the state, registration, the server it went to,
// the reconnect flags, the send queue, the nick retry, CAP and SASL, the
// notify timer); everything else reads it through the accessors. What
// happens goes upward through ISessionListener (session/SessionListener.h).
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/SharedTypes.h"
#include "platform/SocketErrors.h"
#include "session/ReconnectPlan.h"

namespace zorl {

struct Platform;
struct CSettings;
class CIniStore;
class CRandom;
class CPasswords;
class CIrcSocket;
class ISocketHost;
class ISessionListener;
class CCapNegotiation;
class CIdentResponder;
class CNotifyTimer;
struct NotifyWatch;
class CServerSupport;
class CBatches;
class CAccounts;
class CLabels;
class CSeenLines;
struct ServerEntry;
struct TlsSession;
struct IrcMessage;

// What a connection works with; the application object owns all of it.
struct SessionServices {
    Platform& platform;
    CSettings& settings;
    CIniStore& ini;
    CRandom& random;
    CPasswords& passwords;
    const std::string& configDir;  // ends in "/"
    ISocketHost& sockets;
    ISessionListener& listener;
    // Masks whose senders are ignored (ignore.ini and /IGNORE).
    const std::vector<std::string>& ignoreList;
};

// One entry of a port list: "+6697" is port 6697 over TLS.
struct PortChoice {
    int port = 0;
    bool tls = false;
};

class CServerConnection {
public:
    static constexpr std::size_t kReadSize = 40950;
    static constexpr std::size_t kPendingLimit = 64 * 1024;
    // What one receive notification may take in: a server that writes
    // faster than we handle lines must not hold the event loop. The rest
    // stays in the socket, whose readiness brings us back on the next pass
    // (session/ReceiveBudget.h). DCC chats get the same share.
    static constexpr std::size_t kReceiveBudget = 2 * kReadSize;
    static constexpr uint64_t kReceiveBudgetMs = 50;

    // The first network's connection: its server and nick are those of the
    // settings (zorl.ini).
    explicit CServerConnection(const SessionServices& services);
    // Another network's: server, nick, password, pin and login of its own,
    // starting as a copy of `model`'s; every other setting is the shared one.
    CServerConnection(const SessionServices& services, const CSettings& model);
    ~CServerConnection();
    CServerConnection(const CServerConnection&) = delete;
    CServerConnection& operator=(const CServerConnection&) = delete;

    // ---- The state (the debug dump prints it)
    bool IsFirst() const { return !own_server_; }
    // Given by CNetworks: never reused while the client runs.
    int Id() const { return id_; }
    void SetId(int id) { id_ = id; }
    // The server fields (SERVER, and the nick of USER) this network uses:
    // the shared settings for the first network, its own for the others.
    CSettings& Server() { return own_server_ ? *own_server_ : s_.settings; }
    const CSettings& Server() const { return own_server_ ? *own_server_ : s_.settings; }
    const std::string& Nick() const;
    // The network's name as the server calls it (ISUPPORT NETWORK), else
    // the server's entry name, else its address.
    std::string DisplayName() const;
    ConnectionState State() const { return state_; }
    bool Registered() const { return registered_; }
    // The socket the status window and the windows of the connection are
    // registered under; it is made with the connection object and lives as
    // long as it, so every attempt reuses it.
    CIrcSocket* Socket() const { return socket_.get(); }
    const std::string& LastAddress() const { return last_address_; }
    int LastPort() const { return last_port_; }
    bool LastTls() const { return last_tls_; }  // the last port was a "+port"
    // The tries of the reconnect round under way (0: none).
    int ReconnectCount() const { return reconnect_.Tries(); }
    bool ReconnectPending() const { return reconnect_.Pending(); }
    // Connect again once the server has closed the connection (a server
    // switch); the user quitting clears it.
    bool ReconnectAfterClose() const { return reconnect_after_close_; }
    void Leave() { reconnect_after_close_ = false; }
    std::time_t LastSendTime() const { return last_send_time_; }
    CIdentResponder& Ident() { return *ident_; }
    CCapNegotiation& Caps() { return *caps_; }
    const CCapNegotiation& Caps() const { return *caps_; }
    // The server's ISUPPORT rules (session/ServerSupport.h), read anew at
    // every connection.
    CServerSupport& Support() { return *support_; }
    const CServerSupport& Support() const { return *support_; }
    // The server's open batches (session/Batches.h), none at a new connection.
    CBatches& Batches() { return *batches_; }
    // The accounts of the nicks the server told of (session/Accounts.h).
    CAccounts& Accounts() { return *accounts_; }
    const CAccounts& Accounts() const { return *accounts_; }
    // Channels whose WHOX query we sent ourselves on joining: its replies
    // fill the nick list quietly.
    std::set<std::string>& QuietWho() { return quiet_who_; }
    // "#chan b": ban, exception and invite lists asked for by the lists
    // dialog; their replies go to it instead of the status window.
    std::set<std::string>& QuietLists() { return quiet_lists_; }
    // The labels of typed commands whose replies are due (session/Labels.h).
    CLabels& Labels() { return *labels_; }
    // What each channel and query was last sent (session/SeenLines.h); kept
    // across reconnects, so that history fetched later is not shown twice.
    CSeenLines& Seen() { return *seen_; }
    // draft/chathistory: what the channel or query `target` was sent since
    // its newest line seen, else its last 100 lines (a chathistory batch).
    void FetchHistory(const std::string& target);
    const CNotifyTimer& NotifyTimer() const { return *notify_; }
    NotifyWatch& Watch() { return *watch_; }
    void StartNotifyTimer();
    void StopNotifyTimer();
    // One tick of the notify timer (from the timer tick).
    void OnTimerTick();
    // Tests put the connection in a state without a server.
    void ForceStateForTest(ConnectionState state, bool registered) {
        state_ = state;
        registered_ = registered;
    }
    void SetLastSendTimeForTest(std::time_t when) { last_send_time_ = when; }
    void SetReconnectAfterCloseForTest(bool again) { reconnect_after_close_ = again; }

    // The user's Connect and Disconnect: either ends a reconnect round.
    void OnButtonConnect();
    void OnButtonDisconnect();
    // The server's ERROR line: one that says the client is banned (a
    // K-line and the like) stops the automatic reconnect.
    void OnServerError(const std::string& text);
    void StartSocket(const std::string& address, int port, const std::string& password,
                     bool tls = false);
    void Disconnect();
    void SetState(ConnectionState state);
    std::string StateName() const;
    // Lines for the server socket pass the send queue (session/SendQueue.h);
    // PONG and QUIT, and registration before the welcome, never wait.
    void SendLine(CIrcSocket* socket, const std::string& text, bool markActivity);

    // The run-time state of a fresh start: idle, nothing to reconnect, and
    // the server socket object that the status window is registered under.
    void ResetState();
    // The server's welcome (001): the session is registered.
    void MarkRegistered();
    // The own nick, shown in the status caption; the first network's is
    // kept in zorl.ini.
    void SetOwnNick(const std::string& nick);
    // Makes `address` with `ports` the chosen server and connects to it. A
    // connected session quits first and connects again when the server
    // closes it.
    void SwitchServer(const std::string& address, const std::string& ports);
    // The server chosen in the Servers dialog, for the next Connect; the
    // first network keeps it in section SERVER of zorl.ini.
    void UseServer(const ServerEntry& server);
    static std::string WsaErrorText(WsaError code);
    // The 100 ms tick: sends the waiting lines whose turn has come.
    void OnTick();
    std::size_t LinesWaiting() const;
    // The server refused a nick before its welcome (433 `taken`, or 432):
    // the next candidate is tried, and the user told so.
    void OnNickRefused(const std::string& refused, bool taken);
    // A channel to join at the end of the next server greeting (an irc://
    // link).
    void JoinWhenGreeted(const std::string& channel) { link_channel_ = channel; }
    // The end of the message of the day: the channel goes out now.
    void OnGreeted();

    // Notifications for the server socket (type Normal or None).
    void OnConnect(WsaError error, CIrcSocket& socket);
    void OnReceive(WsaError error, CIrcSocket& socket);
    void OnClose(WsaError error, CIrcSocket& socket);

    // The random entry of a port list such as "6667, 6668,+6697".
    PortChoice ChoosePort(const std::string& ports);
    // Cuts nothing: one server line without CR LF, parsed and reported.
    void ParseLine(CIrcSocket* socket, std::string_view line);
    // The server's STS policy: the same host again, over TLS on `port`.
    void ReconnectOverTls(int port);
    // The login failed and the server's entry requires it: we leave.
    void DropForLogin();
    static constexpr int kDefaultTlsPort = 6697;

private:
    // A host that has TLS in its entry, a pinned certificate or an STS
    // policy is never reached in plain text: `port` over TLS instead.
    PortChoice KeepTls(const std::string& address, PortChoice port);
    void ConnectTo(const std::string& address, PortChoice port);
    void PresentClientCertificate(CIrcSocket& socket);
    std::string GoThroughProxy(CIrcSocket& socket);
    // The certificate of a TLS connection: trusted by the system or pinned by
    // the user, else refused (the connection is closed) and the user asked
    // whether to pin it.
    bool CertificateAccepted(CIrcSocket& socket);
    void OfferTrust(const TlsSession& session, const std::string& address);
    // A certificate the user trusted that has expired or soon will.
    void WarnOfExpiry(const TlsSession& session, const std::string& address);
    // Cuts the server's text into lines and parses them. False when a line's
    // handling closed or replaced the connection: the read loop must stop.
    bool TakeServerText(CIrcSocket& socket, const std::string& text);
    // The own nick for this session only (a nick retry): zorl.ini keeps the
    // user's choice.
    void UseNick(const std::string& nick);
    // Whether a line on `socket` waits its turn in the send queue.
    bool IsPaced(const CIrcSocket* socket, const std::string& text) const;
    void Hold(const std::string& text);
    // The number of waiting lines in the main window's title.
    void ShowWaiting();
    // Sends one line (CR LF included) now.
    void Transmit(CIrcSocket* socket, const std::string& data);
    void SendAll(CIrcSocket& socket, const std::string& data);
    // The connection failed: one status line, the disconnect, and a new
    // attempt when AutoReconnect is on.
    void Lost(const std::string& why);
    // The connection ended (`welcomed`: after the server's welcome): a try
    // is scheduled when AutoReconnect is on and the user did not end it.
    void RetryLater(bool welcomed);
    void Connect();  // one attempt, to the chosen server
    uint64_t Now() const;

    void DumpMessage(const IrcMessage& message);
    void TimerTrace(const std::string& text);

    SessionServices s_;
    std::unique_ptr<CSettings> own_server_;  // null: the first network
    int id_ = 0;
    std::unique_ptr<CIrcSocket> socket_;
    ConnectionState state_ = IDLE;
    bool registered_ = false;
    std::string last_address_;
    int last_port_ = 0;
    bool last_tls_ = false;
    CReconnectPlan reconnect_;
    bool quit_sent_ = false;      // this session ends because we said QUIT
    std::string banned_because_;  // the server's ERROR text of a ban
    bool reconnect_after_close_ = false;
    std::time_t last_send_time_ = 0;
    // The parts below hold by value what only this file needs to see.
    struct Parts;
    std::unique_ptr<Parts> parts_;
    std::unique_ptr<CCapNegotiation> caps_;
    std::unique_ptr<CIdentResponder> ident_;
    std::unique_ptr<CNotifyTimer> notify_;
    std::unique_ptr<NotifyWatch> watch_;
    std::unique_ptr<CServerSupport> support_;
    std::unique_ptr<CBatches> batches_;
    std::unique_ptr<CAccounts> accounts_;
    std::unique_ptr<CLabels> labels_;
    std::unique_ptr<CSeenLines> seen_;
    std::set<std::string> quiet_who_;
    std::set<std::string> quiet_lists_;
    // This attempt goes to a host under an STS policy: a certificate the
    // system refuses is never offered for trust.
    bool under_sts_policy_ = false;
    // "host fingerprint" of the certificates trusted for this session only.
    std::set<std::string> session_trust_;
    std::string link_channel_;
    std::size_t shown_waiting_ = 0;
    bool reported_full_ = false;
    // Lines of this connection generation are being handled (further down
    // the stack): a nested read only queues its text.
    bool reading_ = false;
    uint64_t reading_generation_ = 0;
};

}  // namespace zorl
