// The server connection's state machine: connecting and registering,
// sending, closing and automatic reconnection. Receiving is in
// ReceiveLoop.cpp.
#include "session/ServerConnection.h"

#include <algorithm>
#include <vector>

#include "app/CZorlApp.h"
#include "app/ServerChoice.h"
#include "app/Settings.h"
#include "common/Format.h"
#include "common/Numbers.h"
#include "common/Random.h"
#include "common/Text.h"
#include "common/TextSplit.h"
#include "common/TimeText.h"
#include "config/IniStore.h"
#include "config/KnownServers.h"
#include "config/Passwords.h"
#include "config/ServerList.h"
#include "config/StsPolicies.h"
#include "platform/Platform.h"
#include "session/IdentResponder.h"
#include "session/IrcSocket.h"
#include "session/SecretMask.h"
#include "session/Timers.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {
namespace {

constexpr int kMaxReconnects = 3;
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

}  // namespace

// The Connect command of the menu and the toolbar; also the server command
// and the automatic reconnect.
void CServerConnection::OnButtonConnect() {
    if (app_.ircstatus != IDLE) {
        app_.output.Status(Cls::Error, "(OnButtonConnect) Wrong state " + StateName());
        return;
    }
    const CSettings& settings = app_.settings;
    if (settings.m_user_mynick.empty() || settings.User.empty()) {
        app_.platform.dialogs.MessageBox("Please choose a valid nickname and username",
                                         BoxIcon::Exclamation);
        app_.Properties(0);
        return;
    }
    if (settings.m_server_address.empty()) {
        app_.platform.dialogs.MessageBox("Please choose a valid server", BoxIcon::Exclamation);
        app_.ChooseServer();
        return;
    }
    app_.ident.StartIdent("0.0.0.0", 113);
    app_.platform.clock.Sleep(200);

    const std::string address = settings.m_server_address;
    ConnectTo(address, KeepTls(address, ChoosePort(settings.m_server_ports)));
    app_.reconnect_after_close = false;
}

void CServerConnection::ConnectTo(const std::string& address, PortChoice port) {
    under_sts_policy_ = FindStsPolicy(app_.ini, address, app_.platform.clock.Now()).has_value();
    StartSocket(address, port.port, app_.settings.Password, port.tls);
    app_.last_server_address = address;
    app_.last_server_port = port.port;
    app_.last_server_tls = port.tls;
}

PortChoice CServerConnection::KeepTls(const std::string& address, PortChoice port) {
    if (port.tls) return port;
    const std::time_t now = app_.platform.clock.Now();
    if (const std::optional<StsPolicy> policy = FindStsPolicy(app_.ini, address, now)) {
        app_.output.PrintF(
            nullptr, "", Cls::Flow,
            "** %s takes only TLS until %s (STS): connecting on +%d instead of %d", address.c_str(),
            FormatLocalTime("%d-%b-%Y %H:%M", policy->expires).c_str(), policy->port, port.port);
        return {policy->port, true};
    }
    const std::optional<ServerEntry> known = KnownServer(app_.ini, address);
    if (!known || !WantsTls(*known)) return port;
    const int tlsPort = TlsPortOf(*known, kDefaultTlsPort);
    app_.output.PrintF(nullptr, "", Cls::Flow,
                       "** %s has TLS in its server entry: connecting on +%d instead of %d",
                       address.c_str(), tlsPort, port.port);
    return {tlsPort, true};
}

// :irc.example CAP * LS :sts=port=6697,duration=300   (on a plain connection)
void CServerConnection::ReconnectOverTls(int port) {
    const std::string address = app_.last_server_address;
    app_.output.PrintF(nullptr, "", Cls::Flow, "** %s asks for TLS only (STS): connecting on +%d",
                       address.c_str(), port);
    const bool reconnect = app_.reconnect_after_close;
    Disconnect();
    ConnectTo(address, {port, true});
    under_sts_policy_ = true;
    app_.reconnect_after_close = reconnect;
}

void CServerConnection::DropForLogin() {
    app_.output.Status(Cls::UError, "** The login is required for this server: disconnecting");
    if (app_.ircstatus != IDLE) OnButtonDisconnect();
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
        entries[static_cast<std::size_t>(app_.random.Below(static_cast<int>(entries.size())))]);
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
    if (app_.ircstatus != IDLE) {
        app_.output.Status(Cls::Error, "** (StartSocket) Wrong state " + StateName());
        return;
    }
    if (!app_.pMainSocket) app_.pMainSocket = std::make_unique<CIrcSocket>(app_);
    CIrcSocket& socket = *app_.pMainSocket;

    SetState(STARTING);
    socket.type = kSocketNone;
    app_.output.Trace("-- (StartSocket) Create");
    const unsigned events = kEventRead | kEventOutOfBand | kEventConnect | kEventClose;
    WsaError error = tls ? socket.CreateTls(events) : socket.Create(events);
    if (error != kWsaOk) {
        app_.output.Status(Cls::UError, "** Unable to create socket (" + WsaErrorText(error) + ")");
        SetState(IDLE);
        return;
    }
    if (tls) PresentClientCertificate(socket);

    app_.output.PrintF(nullptr, "", Cls::Flow, "** Connecting to %s (%s%d)\r\n", address.c_str(),
                       tls ? "+" : "", port);
    app_.output.Trace("-- (StartSocket) Connect");
    // NOTE: a port outside 0..65535 would wrap around to some other port.
    WsaError result = port >= 0 && port <= kMaxPort
                          ? socket.Connect(address, static_cast<uint16_t>(port))
                          : kWsaAddressNotAvailable;
    if (result != kWsaOk && result != kWsaWouldBlock) {
        app_.output.Status(Cls::UError, "** Unable to connect (" + WsaErrorText(result) + ")");
        Disconnect();
        return;
    }
    if (result == kWsaWouldBlock)
        app_.output.Trace("-- Connect socket reply (" + WsaErrorText(kWsaWouldBlock) + ")");

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
        app_.output.Status(Cls::Error, "** (OnConnect) No socket");
        return;
    }
    if (app_.ircstatus != CONNECTING) {
        app_.output.Status(Cls::Error, "** (OnConnect) Wrong state " + StateName());
        return;
    }
    if (error != kWsaOk) {
        const TlsSession* tls = socket.Tls();
        app_.output.Status(Cls::UError,
                           "** Connection failed: " + (tls && !tls->failure.empty()
                                                           ? "TLS handshake: " + tls->failure
                                                           : WsaErrorText(error)));
        Disconnect();
        return;
    }
    if (socket.Tls() && !CertificateAccepted(socket)) return;
    SetState(CONNECTED);
    queue_.Reset(Now());
    // NOTE: reconnect_count is not reset here but when a welcomed session
    // ends (see OnClose): a server that accepts and drops every connection
    // at once must not be reconnected to for ever.
    const CSettings& settings = app_.settings;
    // A nick an earlier retry picked was never the user's choice.
    if (!nick_retry_.Candidate().empty() && settings.m_user_mynick == nick_retry_.Candidate())
        UseNick(nick_retry_.Wanted());
    nick_retry_.Start(settings.m_user_mynick);
    // NOTE: servers without a password refuse any PASS ("Access denied: Bad
    // password?") and an empty one is a syntax error, so none goes out then.
    if (!socket.password.empty()) SendLine(&socket, "PASS " + socket.password, false);
    // Capabilities are negotiated before NICK and USER, so the server holds
    // registration until CAP END.
    caps_.Begin(CredentialsOf(settings), socket.Tls() != nullptr, Now());
    SendLine(&socket, "NICK " + settings.m_user_mynick, false);
    SendLine(&socket, "USER " + settings.User + " localhost localhost : " + settings.RealName,
             true);
}

void CServerConnection::OnClose(WsaError error, CIrcSocket& socket) {
    socket.connected = false;
    if (socket.type == kSocketNone) {
        app_.output.Status(Cls::Error, "** (OnClose) No socket");
        return;
    }
    if (app_.ircstatus != CONNECTED) {
        app_.output.Status(Cls::Error, "** (OnClose) Wrong state " + StateName());
        return;
    }
    if (error != kWsaOk) {
        Lost("** Closing: " + WsaErrorText(error));
        return;
    }
    Disconnect();
    if (app_.reconnect_after_close) OnButtonConnect();
}

void CServerConnection::Lost(const std::string& why) {
    // A session the server had welcomed starts a fresh round of attempts.
    if (app_.registered) app_.reconnect_count = 0;
    app_.output.Status(Cls::UError, why);
    Disconnect();
    // Nor when the user is leaving: the QUIT was already sent.
    if (app_.settings.AutoReconnect && app_.exit_state == CZorlApp::Exit::Running) {
        ++app_.reconnect_count;
        if (app_.reconnect_count < kMaxReconnects) OnButtonConnect();
    }
}

// :irc.example 433 * joe :Nickname already in use   (before the welcome)
// The candidate becomes the own nick for this session only: zorl.ini keeps
// the nick the user chose.
void CServerConnection::OnNickRefused(const std::string& refused, bool taken) {
    if (app_.registered || app_.ircstatus != CONNECTED) return;
    const std::string next = nick_retry_.Next(refused, taken);
    if (next.empty()) {
        if (taken)
            app_.output.PrintF(nullptr, "", Cls::Info,
                               "Nick %s is taken; choose another with /nick", refused.c_str());
        return;
    }
    app_.output.PrintF(nullptr, "", Cls::Info,
                       taken ? "Nick %s is taken, trying %s" : "Nick %s is refused, trying %s",
                       refused.c_str(), next.c_str());
    UseNick(next);
    SendLine(app_.pMainSocket.get(), "NICK " + next, false);
}

void CServerConnection::OnGreeted() {
    if (link_channel_.empty()) return;
    SendLine(app_.pMainSocket.get(), "JOIN " + link_channel_, true);
    link_channel_.clear();
}

void CServerConnection::OnButtonDisconnect() {
    switch (app_.ircstatus) {
        case IDLE:
            app_.output.Status(Cls::Error, "(OnButtonDisconnect) Wrong state " + StateName());
            return;
        case CONNECTED:
            // Quit and close at once, without waiting for the server's close.
            SendLine(app_.pMainSocket.get(), "QUIT :" + app_.settings.Quit, false);
            Disconnect();
            break;
        case STARTING:
        case CONNECTING: Disconnect(); break;
    }
    app_.ident.Close();
}

void CServerConnection::Disconnect() {
    if (!app_.pMainSocket) return;
    if (app_.settings.ChanConnect) {
        // Names first: printing may create or remove windows.
        std::vector<std::string> channels;
        for (const ChannelRecord& record : app_.registry.Records())
            if (record.type == kWindowChannel && record.socket == app_.pMainSocket.get())
                channels.push_back(record.name);
        for (const std::string& name : channels)
            app_.output.Print(app_.pMainSocket.get(), name, Cls::Flow, "** Disconnected\r\n");
    }
    if (const std::size_t dropped = queue_.Clear()) {
        app_.output.PrintF(nullptr, "", Cls::UError, "** %zu waiting line%s not sent", dropped,
                           dropped == 1 ? " was" : "s were");
        ShowWaiting();
    }
    app_.output.Status(Cls::Flow, "** Disconnected\r\n");
    SetState(IDLE);
    app_.pMainSocket->Close();
    app_.ident.Close();
    if (app_.timers.Running(3)) app_.timers.StopTimer(3);
}

void CServerConnection::ResetState() {
    app_.ircstatus = IDLE;
    app_.reconnect_after_close = false;
    app_.reconnect_count = 0;
    app_.connect_enabled = true;
    app_.disconnect_enabled = false;
    // Windows of the connection refer to this object: it is made only once.
    if (!app_.pMainSocket) app_.pMainSocket = std::make_unique<CIrcSocket>(app_);
    app_.pMainSocket->type = kSocketNone;
}

void CServerConnection::MarkRegistered() {
    app_.registered = true;
    caps_.OnWelcome();
}

void CServerConnection::SetOwnNick(const std::string& nick) {
    UseNick(nick);
    app_.ini.WriteString("USER", "Nick", nick);
}

void CServerConnection::UseNick(const std::string& nick) {
    app_.settings.m_user_mynick = nick;
    app_.registry.UpdateWindowTitle(app_.registry.pStatusFrm);
}

void CServerConnection::SwitchServer(const std::string& address, const std::string& ports) {
    CSettings& settings = app_.settings;
    // A password, a pinned certificate and a login belong to the host they
    // were set for: another host is neither trusted nor told them.
    ChooseHostForThisRun(app_.ini, app_.passwords, settings, address, ports);
    app_.reconnect_after_close = true;
    if (app_.ircstatus == IDLE)
        OnButtonConnect();
    else if (app_.ircstatus == CONNECTED)
        SendLine(app_.pMainSocket.get(), "QUIT :" + settings.Quit, false);
}

void CServerConnection::UseServer(const ServerEntry& server) {
    CSettings& settings = app_.settings;
    settings.m_server_address = server.address;
    settings.m_server_name = server.name;
    settings.m_server_ports = server.ports;
    settings.Password = server.password;
    app_.ini.WriteString("SERVER", "Address", server.address);
    app_.ini.WriteString("SERVER", "Name", server.name);
    app_.ini.WriteString("SERVER", "Ports", server.ports);
    app_.ini.WriteString(
        "SERVER", "Password",
        app_.passwords.Keep(server.address, PasswordKind::Server, server.password));
}

void CServerConnection::SetState(ConnectionState state) {
    app_.ircstatus = state;
    app_.output.Trace(">> " + StateName());
    app_.registered = false;
    const bool idle = state == IDLE;
    app_.connect_enabled = idle;
    app_.disconnect_enabled = !idle;
    app_.platform.surface.SetConnectCommands(idle);
    if (!idle) CloseConnectionWindows();
    if (app_.registry.pStatusFrm != 0) app_.registry.UpdateWindowTitle(app_.registry.pStatusFrm);
}

void CServerConnection::CloseConnectionWindows() {
    if (!app_.pMainSocket) return;
    std::vector<FrameId> frames;
    for (const ChannelRecord& record : app_.registry.Records())
        if (record.socket == app_.pMainSocket.get() && record.type != kWindowStatus &&
            record.frame != app_.registry.pStatusFrm)
            frames.push_back(record.frame);
    for (FrameId frame : frames)
        if (app_.registry.IsFrameRegistered(frame)) app_.registry.DeleteChannel(frame);
}

std::string CServerConnection::StateName() const {
    switch (app_.ircstatus) {
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
    if (socket && socket == app_.pMainSocket.get() && app_.ircstatus != CONNECTED) {
        app_.output.Status(Cls::UError, "No active connection");
        return;
    }
    if (IsPaced(socket, line) && !queue_.Admit(Now()))
        Hold(line);
    else
        Transmit(socket, line + "\r\n");
    if (markActivity) app_.last_send_time = app_.platform.clock.Now();
}

bool CServerConnection::IsPaced(const CIrcSocket* socket, const std::string& text) const {
    if (!socket || socket != app_.pMainSocket.get() || socket->type != kSocketNormal) return false;
    const std::string_view word = SplitWord(text).head;
    return !AlwaysStraightOut(word) && !(IsRegistration(word) && !app_.registered);
}

void CServerConnection::Hold(const std::string& text) {
    if (!queue_.Hold(text)) {
        if (!reported_full_)
            app_.output.PrintF(nullptr, "", Cls::UError,
                               "%zu lines are waiting to be sent; further lines are dropped",
                               CSendQueue::kLimit);
        reported_full_ = true;
        return;
    }
    ShowWaiting();
}

// The entry's certificate logs in with SASL EXTERNAL; a relative file name
// is in the configuration folder.
void CServerConnection::PresentClientCertificate(CIrcSocket& socket) {
    const std::string& file = app_.settings.ClientCert;
    if (file.empty() || !socket.Platform()) return;
    const std::string path = file.front() == '/' ? file : app_.config_dir + file;
    const std::string problem = socket.Platform()->UseClientCertificate(path);
    if (!problem.empty())
        app_.output.Status(Cls::UError, "** Client certificate not used: " + problem);
}

void CServerConnection::OnTick() {
    caps_.OnTick(Now());
    if (queue_.Waiting() == 0) return;
    for (const std::string& line : queue_.Due(Now()))
        Transmit(app_.pMainSocket.get(), line + "\r\n");
    ShowWaiting();
}

// "ZORL (3 lines waiting)" while the queue holds lines, else "ZORL".
void CServerConnection::ShowWaiting() {
    const std::size_t waiting = queue_.Waiting();
    if (waiting == 0) reported_full_ = false;
    if (waiting == shown_waiting_) return;
    shown_waiting_ = waiting;
    app_.platform.surface.SetMainTitle(
        waiting == 0 ? std::string("ZORL")
                     : Format("ZORL (%zu line%s waiting)", waiting, waiting == 1 ? "" : "s"));
}

uint64_t CServerConnection::Now() const { return app_.platform.clock.TickCount(); }

void CServerConnection::Transmit(CIrcSocket* socket, const std::string& data) {
    // Passwords stay out of the debug window and its log.
    const std::string_view line(data.data(), data.size() - 2);
    app_.output.DebugOut(Cls::Own, ">> " + MaskSecrets(line) + "\r\n", true);
    if (!socket) {
        app_.output.Status(Cls::Error, "ERROR: Send to NULL-socket");
        return;
    }
    switch (socket->type) {
        case kSocketNone:
            app_.output.PrintF(nullptr, "", Cls::Error, "ERROR: Send to NONE socket (%08X)",
                               static_cast<unsigned>(socket->Id()));
            break;
        case kSocketNormal:
        case kSocketDccChat:
        case kSocketIdent: SendAll(*socket, data); break;
        case kSocketDccSendIn:
        case kSocketDccSendOut:
            app_.output.PrintF(nullptr, "", Cls::Error,
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
        if (error == kWsaNoBuffers && &socket == app_.pMainSocket.get() &&
            app_.ircstatus == CONNECTED)
            Lost("** Closing: the server stopped reading (send queue full)");
        break;
    }
}

}  // namespace zorl
