#include "dcc/Dcc.h"

#include <algorithm>
#include <vector>

#include "common/Format.h"
#include "common/ProxyHandshake.h"
#include "common/ScopedFlag.h"
#include "common/Text.h"
#include "config/Settings.h"
#include "dcc/DccServices.h"
#include "dcc/DccTransfer.h"
#include "platform/Platform.h"
#include "session/IrcSocket.h"
#include "session/RawTrace.h"
#include "session/ReceiveBudget.h"
#include "session/ServerConnection.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {
namespace {

constexpr int kListenBacklog = 5;
constexpr int kMaxPort = 65535;

std::string ErrorText(WsaError code) { return CServerConnection::WsaErrorText(code); }

bool IsDccType(SocketType type) {
    return type == kSocketDccChat || type == kSocketDccSendIn || type == kSocketDccSendOut;
}

}  // namespace

struct CDcc::Link {
    std::unique_ptr<CIrcSocket> socket;
    std::unique_ptr<CDccTransfer> transfer;  // file sockets, made on first use
};

// Socket objects are released only outside the notifications of this class:
// a nested event loop (a message box shown by output) can run the tick.
class CDcc::Busy {
public:
    explicit Busy(CDcc& dcc) : dcc_(dcc) { ++dcc_.busy_; }
    ~Busy() { --dcc_.busy_; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    CDcc& dcc_;
};

std::string DccWindowName(CWindowRegistry& registry, const CIrcSocket& socket) {
    const ChannelRecord* record = registry.FindCRBySocket(&socket);
    return record ? record->name : std::string();
}

CDcc::CDcc(const DccServices& services) : s_(services) {}

CDcc::~CDcc() = default;

CDcc::Link* CDcc::LinkOf(const CIrcSocket& socket) {
    for (auto& link : links_)
        if (link->socket.get() == &socket) return link.get();
    return nullptr;
}

CIrcSocket& CDcc::NewSocket() {
    auto link = std::make_unique<Link>();
    link->socket = std::make_unique<CIrcSocket>(s_.sockets);
    CIrcSocket& socket = *link->socket;
    links_.push_back(std::move(link));
    return socket;
}

// For a socket that never reached a window: nothing can refer to it yet.
void CDcc::Release(CIrcSocket& socket) {
    socket.Close();
    std::erase_if(links_, [&](const auto& link) { return link->socket.get() == &socket; });
}

CDccTransfer& CDcc::TransferOf(Link& link) {
    if (!link.transfer) link.transfer = std::make_unique<CDccTransfer>(s_, *link.socket);
    return *link.transfer;
}

// A proxy hides the user's address from servers; a DCC peer, which meets
// the user directly, learns it all the same.
void CDcc::WarnOfProxy() {
    if (ProxyOf(s_.settings).type == ProxyType::None) return;
    s_.output.Status(Cls::UError,
                     "** DCC goes direct, not through the proxy: the other side sees your address");
}

CIrcSocket* CDcc::DccListen(const std::string& bindAddress, int port, SocketType type) {
    WarnOfProxy();
    CIrcSocket& socket = NewSocket();
    s_.output.Trace("-- DCC socket Create");
    WsaError error = port > 0 && port <= kMaxPort
                         ? socket.Create(kEventRead | kEventAccept | kEventClose, bindAddress,
                                         static_cast<uint16_t>(port))
                         : kWsaAddressNotAvailable;
    if (error != 0) {
        s_.output.Status(Cls::UError, "** DCC: Unable to create socket (" + ErrorText(error) + ")");
        Release(socket);
        return nullptr;
    }
    error = socket.Listen(kListenBacklog);
    if (error != 0) {
        s_.output.Status(Cls::UError, "** DCC: Unable to listen socket (" + ErrorText(error) + ")");
        Release(socket);
        return nullptr;
    }
    socket.type = type;
    return &socket;
}

CIrcSocket* CDcc::ListenOnNextPort(SocketType type) {
    const int port = port_counter++;
    CIrcSocket* socket = DccListen("0.0.0.0", port, type);
    if (socket) socket->dcc_port = port;
    return socket;
}

CIrcSocket* CDcc::DccConnect(const std::string& address, int port, SocketType type) {
    WarnOfProxy();
    CIrcSocket& socket = NewSocket();
    s_.output.Trace("-- DCC socket Create");
    WsaError error = socket.Create(kEventRead | kEventConnect | kEventClose);
    if (error != 0) {
        s_.output.Status(Cls::UError, "** DCC: Unable to create socket (" + ErrorText(error) + ")");
        Release(socket);
        return nullptr;
    }
    const WsaError result = port > 0 && port <= kMaxPort
                                ? socket.Connect(address, static_cast<uint16_t>(port))
                                : kWsaAddressNotAvailable;
    if (result != 0 && result != kWsaWouldBlock) {
        s_.output.Status(Cls::UError, "** DCC: Unable to connect (" + ErrorText(result) + ")");
        Release(socket);
        return nullptr;
    }
    socket.type = type;
    if (result == kWsaWouldBlock) {
        s_.output.Trace("-- DCC Connect socket reply (" + ErrorText(result) + ")");
    } else {
        // Connected at once: no notification follows.
        socket.connected = true;
    }
    return &socket;
}

CIrcSocket* CDcc::OurOffer(const std::string& nick, int port, const std::string& token) {
    for (auto& link : links_) {
        CIrcSocket& socket = *link->socket;
        const bool ours = socket.type == kSocketDccSendOut || socket.type == kSocketDccChat;
        if (!ours || socket.connected) continue;
        const bool match = port != 0 ? socket.dcc_port == port && socket.HasPlatformSocket()
                                     : !socket.dcc_token.empty() && socket.dcc_token == token;
        if (match && EqualsNoCase(DccWindowName(s_.registry, socket), nick)) return &socket;
    }
    return nullptr;
}

CIrcSocket& CDcc::PassiveOffer(SocketType type) {
    WarnOfProxy();
    CIrcSocket& socket = NewSocket();
    socket.type = type;
    socket.dcc_token = std::to_string(next_token_++);
    return socket;
}

bool CDcc::ConnectPassive(CIrcSocket& offer, const std::string& address, int port) {
    CIrcSocket* socket = DccConnect(address, port, offer.type);
    if (!socket) return false;
    socket->file_path = offer.file_path;
    socket->file_size = offer.file_size;
    socket->file_start = offer.file_start;
    if (ChannelRecord* record = s_.registry.FindCRBySocket(&offer))
        s_.registry.MoveToSocket(*record, socket);
    // Without a window the placeholder goes on the next tick.
    offer.dcc_token.clear();
    if (socket->connected && socket->type == kSocketDccSendOut) StartSending(*socket);
    return true;
}

void CDcc::OnConnect(WsaError error, CIrcSocket& socket) {
    Busy busy(*this);
    s_.output.Trace("-- DCC Connect");
    if (error != 0) {
        s_.output.Status(Cls::UError, "** Connection failed: " + ErrorText(error));
        socket.Close();
        return;
    }
    socket.transferred = socket.file_start;
    socket.connected = true;
    // The file is made now, so that an empty file arrives as an empty file.
    Link* link = LinkOf(socket);
    if (link && socket.type == kSocketDccSendIn && !socket.file_path.empty())
        TransferOf(*link).OpenForWriting();
    // Our passive offer's peer listened, and we connected to it.
    if (socket.type == kSocketDccSendOut) StartSending(socket);
}

void CDcc::OnAccept(WsaError error, CIrcSocket& listener) {
    Busy busy(*this);
    const unsigned id = listener.Id();
    switch (listener.type) {
        case kSocketDccChat:
            s_.output.Trace(Format("-- Accept [%08X] (dcc chat) ", id));
            AcceptChat(error, listener);
            break;
        case kSocketDccSendOut:
            s_.output.Trace(Format("-- Accept [%08X] (DCC send out) ", id));
            AcceptSend(error, listener);
            break;
        case kSocketDccSendIn:
            s_.output.Trace(Format("-- Accept [%08X] (DCC send in) ", id));
            AcceptReceive(error, listener);
            break;
        default: s_.output.Trace(Format("-- Accept [%08X] (default) ", id)); break;
    }
}

// The peer's connection takes the listener's place in the window; nobody
// listens on the offered port any more.
CIrcSocket* CDcc::TakeAccepted(WsaError error, CIrcSocket& listener, SocketType type) {
    std::unique_ptr<IAsyncSocket> accepted;
    if (error == 0) accepted = listener.Accept(error);
    if (!accepted) {
        s_.output.Status(Cls::UError, "** Ident: Accept error (" + ErrorText(error) + ")");
        return nullptr;
    }
    CIrcSocket& peer = NewSocket();
    peer.Adopt(std::move(accepted));
    peer.type = type;
    peer.connected = true;
    peer.file_path = listener.file_path;
    peer.file_size = listener.file_size;
    peer.file_start = listener.file_start;
    peer.transferred = listener.file_start;
    if (ChannelRecord* record = s_.registry.FindCRBySocket(&listener))
        s_.registry.MoveToSocket(*record, &peer);
    listener.Close();
    return &peer;
}

void CDcc::AcceptChat(WsaError error, CIrcSocket& listener) {
    CIrcSocket* peer = TakeAccepted(error, listener, kSocketDccChat);
    if (!peer) return;
    s_.output.Print(peer, DccWindowName(s_.registry, *peer), Cls::CTCP, "DCC chat accepted");
}

void CDcc::AcceptSend(WsaError error, CIrcSocket& listener) {
    if (CIrcSocket* peer = TakeAccepted(error, listener, kSocketDccSendOut)) StartSending(*peer);
}

// The sender of a passive offer we accepted came to our port.
void CDcc::AcceptReceive(WsaError error, CIrcSocket& listener) {
    CIrcSocket* peer = TakeAccepted(error, listener, kSocketDccSendIn);
    if (!peer) return;
    if (Link* link = LinkOf(*peer)) TransferOf(*link).OpenForWriting();
}

void CDcc::StartSending(CIrcSocket& socket) {
    const std::string window = DccWindowName(s_.registry, socket);
    if (socket.file_size != 0)
        s_.output.PrintF(&socket, window, Cls::Info, "DCC file transfer started: %s (size=%llu)",
                         socket.file_path.c_str(),
                         static_cast<unsigned long long>(socket.file_size));
    else
        s_.output.PrintF(&socket, window, Cls::Info, "DCC file transfer started: %s",
                         socket.file_path.c_str());
    DccSendNext(socket);
}

void CDcc::DccSendNext(CIrcSocket& socket) {
    if (Link* link = LinkOf(socket)) TransferOf(*link).SendNext();
}

void CDcc::OnReceive(WsaError error, CIrcSocket& socket) {
    Busy busy(*this);
    if (error != 0) {
        s_.output.PrintF(nullptr, "", Cls::UError, "** Receive error [%08X]: %s",
                         static_cast<unsigned>(socket.Id()), ErrorText(error).c_str());
        return;
    }
    const bool chat = socket.type == kSocketDccChat;
    const std::size_t size = chat ? kChatReadSize : kFileReadSize;
    // A peer that sends small blocks wakes us thousands of times a second:
    // the buffer is kept rather than made and cleared for every wake-up.
    // A notification inside another (a dialog runs the event loop) gets one
    // of its own.
    std::vector<char> nested;
    const ScopedFlag inUse(receiving_);
    std::vector<char>& buffer = inUse.WasRaised() ? nested : read_buffer_;
    if (buffer.size() < size) buffer.resize(size);
    // A chat gets the server's share, a file a larger one; either yields
    // after it, and the platform tells us again.
    CReceiveBudget budget(s_.platform.clock, chat ? CServerConnection::kReceiveBudget : kReadBurst,
                          CServerConnection::kReceiveBudgetMs);
    while (!budget.Spent()) {
        WsaError readError = kWsaOk;
        const long n = socket.Receive(buffer.data(), size, readError);
        if (s_.settings.RawDebug)
            s_.output.DebugOut(kRawLengthColour, ReceiveLengthTrace(socket, n), true);
        if (n <= 0) return;
        budget.Take(static_cast<std::size_t>(n));
        if (!TakeChunk(socket, buffer.data(), static_cast<std::size_t>(n))) return;
        // The chunk's handling closed the socket (a finished transfer).
        if (!socket.HasPlatformSocket()) return;
    }
}

// False when the socket stopped taking data.
bool CDcc::TakeChunk(CIrcSocket& socket, const char* data, std::size_t size) {
    Link* link = LinkOf(socket);
    if (!link) return false;
    switch (socket.type) {
        case kSocketDccChat: {
            // Zero bytes are dropped one by one, as on the server connection.
            std::string text(data, size);
            std::erase(text, '\0');
            if (s_.settings.RawDebug) s_.output.DebugOut(kRawTextColour, text, true);
            TakeChatText(socket, text);
            return true;
        }
        case kSocketDccSendIn: return TransferOf(*link).TakeData(data, size);
        case kSocketDccSendOut:
            TransferOf(*link).TakeAcknowledgements(std::string_view(data, size));
            return true;
        default: return false;
    }
}

//   "hi\r\nthere"  ->  the line "hi"; "there" waits for its line end.
void CDcc::TakeChatText(CIrcSocket& socket, const std::string& chunk) {
    std::string text = std::move(socket.pending);
    socket.pending.clear();
    text += chunk;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        ShowChatLine(socket, text.substr(at, end - at));
    socket.pending = text.substr(at);
    // A peer that never ends its line is shown in pieces, not kept for ever.
    if (socket.pending.size() > kChatPendingLimit) {
        ShowChatLine(socket, socket.pending);
        socket.pending.clear();
    }
}

void CDcc::ShowChatLine(CIrcSocket& socket, std::string line) {
    line.resize(std::min(line.find('\r'), line.size()));
    s_.output.DebugOut(Cls::Normal, "<< " + line + "\r\n", true);
    const ChannelRecord* record = s_.registry.FindCRBySocket(&socket);
    const std::string window = record ? record->name : std::string();
    const std::string peer = record ? record->title : std::string();
    s_.output.Print(&socket, window, Cls::Normal, "<" + peer + "> " + line);
}

void CDcc::OnClose(WsaError error, CIrcSocket& socket) {
    Busy busy(*this);
    const std::string window = DccWindowName(s_.registry, socket);
    if (socket.type == kSocketDccChat) {
        // What came without a line end is still shown.
        if (!socket.pending.empty()) {
            ShowChatLine(socket, socket.pending);
            socket.pending.clear();
        }
        s_.output.Print(&socket, window, Cls::CTCP, "DCC chat closed");
    }
    s_.output.Trace("-- DCC Close");
    if (error != 0) s_.output.Status(Cls::UError, "** Closing: " + ErrorText(error));
    if (socket.type == kSocketDccSendIn || socket.type == kSocketDccSendOut) {
        if (Link* link = LinkOf(socket); link && link->transfer) link->transfer->Finish();
        s_.output.Print(&socket, window, Cls::Info, "file transfer closed");
    }
    socket.Close();
    socket.connected = false;
}

void CDcc::CloseWindowSocket(FrameId frame) {
    const ChannelRecord* record = s_.registry.FindByFrame(frame);
    if (!record || !record->socket) return;
    Link* link = LinkOf(*record->socket);
    if (!link) return;
    if (link->transfer) link->transfer->Finish();
    link->socket->Close();
    link->socket->connected = false;
    link->socket->dcc_token.clear();
}

void CDcc::ReleaseOrphans() {
    if (busy_ > 0) return;
    std::erase_if(links_, [&](const auto& link) {
        const CIrcSocket& socket = *link->socket;
        return !socket.HasPlatformSocket() &&
               (!IsDccType(socket.type) || !s_.registry.FindCRBySocket(&socket));
    });
}

}  // namespace zorl
