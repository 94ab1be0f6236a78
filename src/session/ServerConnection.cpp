// The server connection's state machine: connecting and registering,
// sending, closing and automatic reconnection. Receiving is in
// ReceiveLoop.cpp.
#include "session/ServerConnection.h"

#include <algorithm>
#include <vector>

#include "common/Format.h"
#include "common/Numbers.h"
#include "common/ProxyHandshake.h"
#include "common/Random.h"
#include "common/ScopedFlag.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "common/TimeText.h"
#include "config/HostChoice.h"
#include "config/IniStore.h"
#include "config/KnownServers.h"
#include "config/Passwords.h"
#include "config/ServerList.h"
#include "config/Settings.h"
#include "config/StsPolicies.h"
#include "platform/Platform.h"
#include "session/Accounts.h"
#include "session/Batches.h"
#include "session/CapNegotiation.h"
#include "session/ConnectionParts.h"
#include "session/IdentResponder.h"
#include "session/IrcSocket.h"
#include "session/Labels.h"
#include "session/LineParser.h"
#include "session/NickRetry.h"
#include "session/NotifyTimer.h"
#include "session/SaslLogin.h"
#include "session/SecretMask.h"
#include "session/SeenLines.h"
#include "session/SendQueue.h"
#include "session/ServerSupport.h"
#include "session/SessionListener.h"

namespace zorl {
namespace {

constexpr int kMaxPort = 65535;

// Lines that must never wait behind the send queue: the answer to the
// server's PING (late, it costs the connection) and the user's QUIT.
bool AlwaysStraightOut(std::string_view word) {
    return EqualsNoCase(word, "PONG") || EqualsNoCase(word, "QUIT");
}

// Registration goes out as the server asks for it: NICK again after a
// refused nick, and nothing of ours is ahead of it anyway.
bool IsRegistration(std::string_view word) {
    return EqualsNoCase(word, "PASS") || EqualsNoCase(word, "NICK") || EqualsNoCase(word, "USER") ||
           EqualsNoCase(word, "CAP") || EqualsNoCase(word, "AUTHENTICATE");
}

// Words of an ERROR line that mean the server will not have us back.
bool SaysBanned(std::string_view text) {
    const std::string lower = ToLower(text);
    for (const char* word : {"k-line", "g-line", "z-line", "klined", "glined", "zlined", "banned"})
        if (lower.find(word) != std::string::npos) return true;
    return false;
}

}  // namespace

CServerConnection::CServerConnection(const SessionServices& services)
    : s_(services),
      socket_(std::make_unique<CIrcSocket>(services.sockets)),
      parts_(std::make_unique<Parts>()),
      caps_(std::make_unique<CCapNegotiation>(s_, *this)),
      ident_(std::make_unique<CIdentResponder>(s_, *this)),
      notify_(std::make_unique<CNotifyTimer>()),
      watch_(std::make_unique<NotifyWatch>()),
      support_(std::make_unique<CServerSupport>()),
      batches_(std::make_unique<CBatches>()),
      accounts_(std::make_unique<CAccounts>()),
      labels_(std::make_unique<CLabels>()),
      seen_(std::make_unique<CSeenLines>()) {}

CServerConnection::CServerConnection(const SessionServices& services, const CSettings& model)
    : CServerConnection(services) {
    own_server_ = std::make_unique<CSettings>(model);
    // No server's password, pin or login comes along: SwitchServer gives
    // the network those of its own host.
    CSettings& server = *own_server_;
    for (std::string* field :
         {&server.m_server_address, &server.m_server_name, &server.m_server_ports, &server.Password,
          &server.Fingerprint, &server.SaslAccount, &server.SaslPassword, &server.ClientCert,
          &server.ServerProxy})
        field->clear();
    server.SaslWithoutTls = 0;
    server.RequireLogin = 0;
}

CServerConnection::~CServerConnection() = default;

std::size_t CServerConnection::LinesWaiting() const { return parts_->queue.Waiting(); }

// The Connect command of the menu and the toolbar; also the server command.
void CServerConnection::OnButtonConnect() {
    if (state_ == IDLE) {
        reconnect_.Reset();
        banned_because_.clear();
    }
    Connect();
}

void CServerConnection::Connect() {
    if (state_ != IDLE) {
        s_.listener.Status(Cls::Error, "(OnButtonConnect) Wrong state " + StateName());
        return;
    }
    const CSettings& settings = Server();
    if (settings.m_user_mynick.empty() || settings.User.empty()) {
        s_.platform.dialogs.MessageBox("Please choose a valid nickname and username",
                                       BoxIcon::Exclamation);
        s_.listener.AskForUser();
        return;
    }
    if (settings.m_server_address.empty()) {
        s_.platform.dialogs.MessageBox("Please choose a valid server", BoxIcon::Exclamation);
        s_.listener.AskForServer();
        return;
    }
    // One ident responder answers for the client: port 113 takes one
    // listener, and every network asks about the same user.
    if (IsFirst()) {
        ident_->StartIdent("0.0.0.0", 113);
        s_.platform.clock.Sleep(200);
    }

    const std::string address = settings.m_server_address;
    ConnectTo(address, KeepTls(address, ChoosePort(settings.m_server_ports)));
    reconnect_after_close_ = false;
    quit_sent_ = false;
}

void CServerConnection::OnServerError(const std::string& text) {
    if (SaysBanned(text)) banned_because_ = text;
}

void CServerConnection::RetryLater(bool welcomed) {
    if (!s_.settings.AutoReconnect || s_.listener.Leaving() || quit_sent_) return;
    if (!banned_because_.empty()) {
        s_.listener.Status(Cls::UError,
                           "** Not reconnecting: the server refused us (" + banned_because_ + ")");
        return;
    }
    if (welcomed) reconnect_.Reset();
    const int seconds = reconnect_.Schedule(Now());
    s_.listener.PrintF(nullptr, "", Cls::Flow, "** Reconnecting in %d s (try %d)", seconds,
                       reconnect_.Tries());
}

void CServerConnection::ConnectTo(const std::string& address, PortChoice port) {
    under_sts_policy_ = FindStsPolicy(s_.ini, address, s_.platform.clock.Now()).has_value();
    StartSocket(address, port.port, Server().Password, port.tls);
    last_address_ = address;
    last_port_ = port.port;
    last_tls_ = port.tls;
}

PortChoice CServerConnection::KeepTls(const std::string& address, PortChoice port) {
    if (port.tls) return port;
    const std::time_t now = s_.platform.clock.Now();
    if (const std::optional<StsPolicy> policy = FindStsPolicy(s_.ini, address, now)) {
        s_.listener.PrintF(
            nullptr, "", Cls::Flow,
            "** %s takes only TLS until %s (STS): connecting on +%d instead of %d", address.c_str(),
            FormatLocalTime("%d-%b-%Y %H:%M", policy->expires).c_str(), policy->port, port.port);
        return {policy->port, true};
    }
    const std::optional<ServerEntry> known = KnownServer(s_.ini, address);
    if (!known || !WantsTls(*known)) return port;
    const int tlsPort = TlsPortOf(*known, kDefaultTlsPort);
    s_.listener.PrintF(nullptr, "", Cls::Flow,
                       "** %s has TLS in its server entry: connecting on +%d instead of %d",
                       address.c_str(), tlsPort, port.port);
    return {tlsPort, true};
}

// :irc.example CAP * LS :sts=port=6697,duration=300   (on a plain connection)
void CServerConnection::ReconnectOverTls(int port) {
    const std::string address = last_address_;
    s_.listener.PrintF(nullptr, "", Cls::Flow, "** %s asks for TLS only (STS): connecting on +%d",
                       address.c_str(), port);
    const bool reconnect = reconnect_after_close_;
    Disconnect();
    ConnectTo(address, {port, true});
    under_sts_policy_ = true;
    reconnect_after_close_ = reconnect;
}

void CServerConnection::DropForLogin() {
    s_.listener.Status(Cls::UError, "** The login is required for this server: disconnecting");
    if (state_ != IDLE) OnButtonDisconnect();
}

// "6667, 6668,7000" -> one of the three, each equally likely;
// "6665-6669" -> 6665 (the number at the start of the entry); "" -> 0;
// "+6697" -> 6697 over TLS.
PortChoice CServerConnection::ChoosePort(const std::string& ports) {
    std::vector<std::string_view> entries;
    std::string_view rest = ports;
    while (!rest.empty()) {
        Split cut = SplitAt(rest, ",");
        entries.push_back(cut.head);
        rest = TrimLeft(cut.tail);
    }
    if (entries.empty()) return {};
    std::string_view entry = TrimLeft(
        entries[static_cast<std::size_t>(s_.random.Below(static_cast<int>(entries.size())))]);
    PortChoice choice;
    if (!entry.empty() && entry.front() == '+') {
        choice.tls = true;
        entry.remove_prefix(1);
    }
    choice.port = Atoi(entry);
    return choice;
}

void CServerConnection::StartSocket(const std::string& address, int port,
                                    const std::string& password, bool tls) {
    if (state_ != IDLE) {
        s_.listener.Status(Cls::Error, "** (StartSocket) Wrong state " + StateName());
        return;
    }
    CIrcSocket& socket = *socket_;

    SetState(STARTING);
    socket.type = kSocketNone;
    s_.listener.Trace("-- (StartSocket) Create");
    const unsigned events = kEventRead | kEventOutOfBand | kEventConnect | kEventClose;
    WsaError error = tls ? socket.CreateTls(events) : socket.Create(events);
    if (error != kWsaOk) {
        s_.listener.Status(Cls::UError, "** Unable to create socket (" + WsaErrorText(error) + ")");
        SetState(IDLE);
        return;
    }
    if (tls) PresentClientCertificate(socket);

    s_.listener.PrintF(nullptr, "", Cls::Flow, "** Connecting to %s (%s%d)%s\r\n", address.c_str(),
                       tls ? "+" : "", port, GoThroughProxy(socket).c_str());
    s_.listener.Trace("-- (StartSocket) Connect");
    // NOTE: a port outside 0..65535 would wrap around to some other port.
    WsaError result = port >= 0 && port <= kMaxPort
                          ? socket.Connect(address, static_cast<uint16_t>(port))
                          : kWsaAddressNotAvailable;
    if (result != kWsaOk && result != kWsaWouldBlock) {
        s_.listener.Status(Cls::UError, "** Unable to connect (" + WsaErrorText(result) + ")");
        Disconnect();
        return;
    }
    if (result == kWsaWouldBlock)
        s_.listener.Trace("-- Connect socket reply (" + WsaErrorText(kWsaWouldBlock) + ")");

    socket.type = kSocketNormal;
    socket.password = password;
    SetState(CONNECTING);
    // A connect that completed at once brings no notification; report it here.
    if (result == kWsaOk) OnConnect(kWsaOk, socket);
}

// Connect notification of the server socket. Registration goes out at once:
//   PASS secret        (only when a password is set)
//   NICK joe
//   USER joe localhost localhost : Joe Bloggs
void CServerConnection::OnConnect(WsaError error, CIrcSocket& socket) {
    if (socket.type == kSocketNone) {
        s_.listener.Status(Cls::Error, "** (OnConnect) No socket");
        return;
    }
    if (state_ != CONNECTING) {
        s_.listener.Status(Cls::Error, "** (OnConnect) Wrong state " + StateName());
        return;
    }
    if (error != kWsaOk) {
        const TlsSession* tls = socket.Tls();
        const std::string proxy = socket.Platform() ? socket.Platform()->ProxyFailure() : "";
        s_.listener.Status(Cls::UError,
                           "** Connection failed: " + (!proxy.empty() ? proxy
                                                       : tls && !tls->failure.empty()
                                                           ? "TLS handshake: " + tls->failure
                                                           : WsaErrorText(error)));
        Disconnect();
        // A try of a reconnect round failed: the next one comes later.
        if (reconnect_.Tries() > 0) RetryLater(false);
        return;
    }
    if (socket.Tls() && !CertificateAccepted(socket)) return;
    SetState(CONNECTED);
    parts_->queue.Reset(Now());
    support_->Reset();  // each server tells its own rules
    batches_->Reset();
    accounts_->Reset();
    labels_->Reset();
    quiet_who_.clear();
    quiet_lists_.clear();
    // NOTE: the reconnect round is not reset here but when a welcomed
    // session ends (RetryLater): a server that accepts and drops every
    // connection at once is tried ever less often.
    const CSettings& settings = Server();
    // A nick an earlier retry picked was never the user's choice.
    if (!parts_->nickRetry.Candidate().empty() &&
        settings.m_user_mynick == parts_->nickRetry.Candidate())
        UseNick(parts_->nickRetry.Wanted());
    parts_->nickRetry.Start(settings.m_user_mynick);
    // NOTE: servers without a password refuse any PASS ("Access denied: Bad
    // password?") and an empty one is a syntax error, so none goes out then.
    if (!socket.password.empty()) SendLine(&socket, "PASS " + socket.password, false);
    // Capabilities are negotiated before NICK and USER, so the server holds
    // registration until CAP END.
    caps_->Begin(CredentialsOf(settings), socket.Tls() != nullptr, Now());
    SendLine(&socket, "NICK " + settings.m_user_mynick, false);
    SendLine(&socket, "USER " + settings.User + " localhost localhost : " + settings.RealName,
             true);
}

void CServerConnection::OnClose(WsaError error, CIrcSocket& socket) {
    socket.connected = false;
    if (socket.type == kSocketNone) {
        s_.listener.Status(Cls::Error, "** (OnClose) No socket");
        return;
    }
    if (state_ != CONNECTED) {
        s_.listener.Status(Cls::Error, "** (OnClose) Wrong state " + StateName());
        return;
    }
    if (error != kWsaOk) {
        Lost("** Closing: " + WsaErrorText(error));
        return;
    }
    // A server that restarts closes cleanly: that, too, is retried.
    const bool welcomed = registered_;
    Disconnect();
    if (reconnect_after_close_)
        OnButtonConnect();
    else
        RetryLater(welcomed);
}

void CServerConnection::Lost(const std::string& why) {
    const bool welcomed = registered_;
    s_.listener.Status(Cls::UError, why);
    Disconnect();
    RetryLater(welcomed);
}

// :irc.example 433 * joe :Nickname already in use   (before the welcome)
// The candidate becomes the own nick for this session only: zorl.ini keeps
// the nick the user chose.
void CServerConnection::OnNickRefused(const std::string& refused, bool taken) {
    if (registered_ || state_ != CONNECTED) return;
    const std::string next = parts_->nickRetry.Next(refused, taken);
    if (next.empty()) {
        if (taken)
            s_.listener.PrintF(nullptr, "", Cls::Info,
                               "Nick %s is taken; choose another with /nick", refused.c_str());
        return;
    }
    s_.listener.PrintF(nullptr, "", Cls::Info,
                       taken ? "Nick %s is taken, trying %s" : "Nick %s is refused, trying %s",
                       refused.c_str(), next.c_str());
    UseNick(next);
    SendLine(socket_.get(), "NICK " + next, false);
}

void CServerConnection::OnGreeted() {
    if (link_channel_.empty()) return;
    SendLine(socket_.get(), "JOIN " + link_channel_, true);
    link_channel_.clear();
}

void CServerConnection::OnButtonDisconnect() {
    switch (state_) {
        case IDLE:
            if (reconnect_.Pending()) {
                reconnect_.Reset();
                s_.listener.Status(Cls::Flow, "** Reconnecting cancelled");
                return;
            }
            s_.listener.Status(Cls::Error, "(OnButtonDisconnect) Wrong state " + StateName());
            return;
        case CONNECTED:
            // Quit and close at once, without waiting for the server's close.
            SendLine(socket_.get(), "QUIT :" + s_.settings.Quit, false);
            Disconnect();
            break;
        case STARTING:
        case CONNECTING: Disconnect(); break;
    }
    ident_->Close();
}

void CServerConnection::Disconnect() {
    s_.listener.OnDisconnecting(*socket_);
    if (const std::size_t dropped = parts_->queue.Clear()) {
        s_.listener.PrintF(nullptr, "", Cls::UError, "** %zu waiting line%s not sent", dropped,
                           dropped == 1 ? " was" : "s were");
        ShowWaiting();
    }
    s_.listener.Status(Cls::Flow, "** Disconnected\r\n");
    SetState(IDLE);
    socket_->Close();
    ident_->Close();
    StopNotifyTimer();
}

void CServerConnection::ResetState() {
    state_ = IDLE;
    reconnect_after_close_ = false;
    reconnect_.Reset();
    socket_->type = kSocketNone;
}

void CServerConnection::MarkRegistered() {
    registered_ = true;
    caps_->OnWelcome();
}

void CServerConnection::SetOwnNick(const std::string& nick) {
    UseNick(nick);
    if (IsFirst()) SaveSetting(s_.ini, s_.settings, &CSettings::m_user_mynick);
}

void CServerConnection::FetchHistory(const std::string& target) {
    if (!caps_->Has("draft/chathistory") || target.empty()) return;
    const std::string* last = seen_->LastTime(target);
    const std::string since =
        last ? "AFTER " + target + " timestamp=" + *last : "LATEST " + target + " *";
    SendLine(socket_.get(), "CHATHISTORY " + since + " 100", false);
}

const std::string& CServerConnection::Nick() const { return Server().m_user_mynick; }

std::string CServerConnection::DisplayName() const {
    if (!support_->Network().empty()) return support_->Network();
    const CSettings& server = Server();
    if (!server.m_server_name.empty()) return server.m_server_name;
    return server.m_server_address.empty() ? "(no server)" : server.m_server_address;
}

void CServerConnection::UseNick(const std::string& nick) {
    Server().m_user_mynick = nick;
    s_.listener.OnOwnNickChanged();
}

void CServerConnection::SwitchServer(const std::string& address, const std::string& ports) {
    CSettings& settings = Server();
    // A password, a pinned certificate and a login belong to the host they
    // were set for: another host is neither trusted nor told them.
    ChooseHostForThisRun(s_.ini, s_.passwords, settings, address, ports);
    reconnect_after_close_ = true;
    if (state_ == IDLE)
        OnButtonConnect();
    else if (state_ == CONNECTED)
        SendLine(socket_.get(), "QUIT :" + s_.settings.Quit, false);
}

void CServerConnection::UseServer(const ServerEntry& server) {
    CSettings& settings = Server();
    settings.m_server_address = server.address;
    settings.m_server_name = server.name;
    settings.m_server_ports = server.ports;
    settings.Password = server.password;
    if (!IsFirst()) return;
    for (std::string CSettings::*field :
         {&CSettings::m_server_address, &CSettings::m_server_name, &CSettings::m_server_ports})
        SaveSetting(s_.ini, settings, field);
    // zorl.ini holds the keyring's placeholder when the keyring keeps it.
    s_.ini.WriteString("SERVER", "Password",
                       s_.passwords.Keep(server.address, PasswordKind::Server, server.password));
}

void CServerConnection::SetState(ConnectionState state) {
    state_ = state;
    s_.listener.Trace(">> " + StateName());
    registered_ = false;
    s_.listener.OnStateChanged(state);
}

std::string CServerConnection::StateName() const {
    switch (state_) {
        case IDLE: return "IDLE";
        case STARTING: return "STARTING";
        case CONNECTING: return "CONNECTING";
        case CONNECTED: return "CONNECTED";
    }
    return "unknown state";
}

// One line on any socket; CR LF is appended here. The text is one line by
// contract: a CR, LF or zero byte inside it (a peer's text echoed in a reply,
// say) would end the line early at the server and start another command, so
// each becomes a blank.
void CServerConnection::SendLine(CIrcSocket* socket, const std::string& text, bool markActivity) {
    std::string line = text;
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; }, ' ');
    if (socket && socket == socket_.get() && state_ != CONNECTED) {
        s_.listener.Status(Cls::UError, "No active connection");
        return;
    }
    if (IsPaced(socket, line) && !parts_->queue.Admit(Now()))
        Hold(line);
    else
        Transmit(socket, line + "\r\n");
    if (markActivity) last_send_time_ = s_.platform.clock.Now();
}

bool CServerConnection::IsPaced(const CIrcSocket* socket, const std::string& text) const {
    if (!socket || socket != socket_.get() || socket->type != kSocketNormal) return false;
    const std::string_view word = SplitWord(text).head;
    return !AlwaysStraightOut(word) && !(IsRegistration(word) && !registered_);
}

void CServerConnection::Hold(const std::string& text) {
    if (!parts_->queue.Hold(text)) {
        if (!reported_full_)
            s_.listener.PrintF(nullptr, "", Cls::UError,
                               "%zu lines are waiting to be sent; further lines are dropped",
                               CSendQueue::kLimit);
        reported_full_ = true;
        return;
    }
    ShowWaiting();
}

// " through socks5 proxy host:1080" when the settings name a proxy.
std::string CServerConnection::GoThroughProxy(CIrcSocket& socket) {
    const ProxyRoute route = ProxyOf(s_.settings, Server().ServerProxy);
    if (route.type == ProxyType::None || !socket.Platform()) return {};
    const std::string problem = socket.Platform()->UseProxy(route);
    if (!problem.empty()) {
        s_.listener.Status(Cls::UError, "** Proxy not used: " + problem);
        return {};
    }
    return std::string(" through ") + ProxyTypeName(route.type) + " proxy " + route.host + ":" +
           std::to_string(route.port);
}

// The entry's certificate logs in with SASL EXTERNAL; a relative file name
// is in the configuration folder.
void CServerConnection::PresentClientCertificate(CIrcSocket& socket) {
    const std::string& file = Server().ClientCert;
    if (file.empty() || !socket.Platform()) return;
    const std::string path = file.front() == '/' ? file : s_.configDir + file;
    const std::string problem = socket.Platform()->UseClientCertificate(path);
    if (!problem.empty())
        s_.listener.Status(Cls::UError, "** Client certificate not used: " + problem);
}

void CServerConnection::OnTick() {
    if (reconnect_.TakeDue(Now()) && state_ == IDLE) Connect();
    caps_->OnTick(Now());
    if (parts_->queue.Waiting() == 0) return;
    for (const std::string& line : parts_->queue.Due(Now())) Transmit(socket_.get(), line + "\r\n");
    ShowWaiting();
}

// "ZORL (3 lines waiting)" while the queue holds lines, else "ZORL".
void CServerConnection::ShowWaiting() {
    const std::size_t waiting = parts_->queue.Waiting();
    if (waiting == 0) reported_full_ = false;
    if (waiting == shown_waiting_) return;
    shown_waiting_ = waiting;
    s_.platform.surface.SetMainTitle(
        waiting == 0 ? std::string("ZORL")
                     : Format("ZORL (%zu line%s waiting)", waiting, waiting == 1 ? "" : "s"));
}

uint64_t CServerConnection::Now() const { return s_.platform.clock.TickCount(); }

void CServerConnection::Transmit(CIrcSocket* socket, const std::string& data) {
    // Passwords stay out of the debug window and its log.
    const std::string_view line(data.data(), data.size() - 2);
    s_.listener.DebugOut(Cls::Own, ">> " + MaskSecrets(line) + "\r\n", true);
    if (!socket) {
        s_.listener.Status(Cls::Error, "ERROR: Send to NULL-socket");
        return;
    }
    switch (socket->type) {
        case kSocketNone:
            s_.listener.PrintF(nullptr, "", Cls::Error, "ERROR: Send to NONE socket (%08X)",
                               static_cast<unsigned>(socket->Id()));
            break;
        case kSocketNormal:
            if (socket == socket_.get() && EqualsNoCase(SplitWord(line).head, "QUIT"))
                quit_sent_ = true;
            SendAll(*socket, data);
            break;
        case kSocketDccChat:
        case kSocketIdent: SendAll(*socket, data); break;
        case kSocketDccSendIn:
        case kSocketDccSendOut:
            s_.listener.PrintF(nullptr, "", Cls::Error,
                               "ERROR: Send to wrong socket type: %d (%08X)",
                               static_cast<int>(socket->type), static_cast<unsigned>(socket->Id()));
            break;
    }
}

// A partial send is continued while the socket keeps taking bytes; a full
// send queue on the server connection ends it.
void CServerConnection::SendAll(CIrcSocket& socket, const std::string& data) {
    IAsyncSocket* platformSocket = socket.Platform();
    if (!platformSocket) return;
    std::size_t sent = 0;
    while (sent < data.size()) {
        WsaError error = kWsaOk;
        long n = platformSocket->Send(data.data() + sent, data.size() - sent, error);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        // The server has stopped reading: every later line, PONGs and what
        // the user types, would be dropped without a word.
        if (error == kWsaNoBuffers && &socket == socket_.get() && state_ == CONNECTED)
            Lost("** Closing: the server stopped reading (send queue full)");
        break;
    }
}

}  // namespace zorl
