// DCC: chats and file transfers straight between two clients. One side
// offers (listens on a port it names in a CTCP message), the other connects.
// Each conversation or transfer has its own socket, bound to its own window;
// the socket objects live here until their window is gone.
//
//   chat offer   PRIVMSG joe :\1DCC CHAT chat 3232235521 2000\1
//   file offer   PRIVMSG joe :\1DCC SEND notes.txt 3232235521 2001 1000\1
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/SharedTypes.h"
#include "platform/SocketErrors.h"

namespace zorl {

class CWindowRegistry;
struct DccServices;
class CIrcSocket;
class CDccTransfer;

class CDcc {
public:
    static constexpr int kFirstPort = 2000;
    // One read of a chat socket; a file socket reads more at a time.
    static constexpr std::size_t kChatReadSize = 40950;
    static constexpr std::size_t kFileReadSize = 256 * 1024;
    // What one read notification takes from a file socket, within the
    // server's time share (session/ReceiveBudget.h); a chat socket gets the
    // server's whole share, bytes and time, so a fast peer cannot keep the
    // one thread away from everything else.
    static constexpr std::size_t kReadBurst = 4 * 1024 * 1024;
    // Chat text without a line end is shown as a line at this length.
    static constexpr std::size_t kChatPendingLimit = 64 * 1024;

    explicit CDcc(const DccServices& services);
    ~CDcc();
    CDcc(const CDcc&) = delete;
    CDcc& operator=(const CDcc&) = delete;

    // The port of the next offer; every offer takes one, listening or not.
    int port_counter = kFirstPort;

    // One status line when a proxy is set: DCC does not go through it.
    void WarnOfProxy();
    // A listening socket of `type` (DCC chat or DCC send out), or null with
    // the reason in the status window.
    CIrcSocket* DccListen(const std::string& bindAddress, int port, SocketType type);
    // An offer's listener on the next port (taken even when it fails), on
    // every address, its port kept in `dcc_port`.
    CIrcSocket* ListenOnNextPort(SocketType type);
    // A socket of `type` (DCC chat or DCC send in) connecting to a dotted
    // address, or null with the reason in the status window.
    CIrcSocket* DccConnect(const std::string& address, int port, SocketType type);

    // Our offer to `nick` that nobody has taken yet: the one on `port`, or
    // the passive one with `token` when the port is 0. Null when none.
    CIrcSocket* OurOffer(const std::string& nick, int port, const std::string& token);
    // A passive offer of `type` (chat or send out): a socket with a new
    // token and no platform socket, which waits for the peer's address.
    CIrcSocket& PassiveOffer(SocketType type);
    // The peer answered our passive `offer` with where to connect: a new
    // socket connects there and takes the offer's window and file. False,
    // with the reason shown, when it cannot.
    bool ConnectPassive(CIrcSocket& offer, const std::string& address, int port);

    // Notifications of DCC sockets (the application routes them by type).
    void OnConnect(WsaError error, CIrcSocket& socket);
    void OnAccept(WsaError error, CIrcSocket& socket);
    void OnReceive(WsaError error, CIrcSocket& socket);
    void OnClose(WsaError error, CIrcSocket& socket);

    // Sends what the acknowledgements allow of the file of a sending socket.
    void DccSendNext(CIrcSocket& socket);

    // The user closes a DCC window: its socket closes now and is released
    // once the window is gone.
    void CloseWindowSocket(FrameId frame);
    // Releases the sockets no window refers to any more (on the tick).
    void ReleaseOrphans();

    std::size_t SocketCount() const { return links_.size(); }

private:
    struct Link;
    class Busy;
    Link* LinkOf(const CIrcSocket& socket);
    CIrcSocket& NewSocket();
    void Release(CIrcSocket& socket);
    CDccTransfer& TransferOf(Link& link);

    CIrcSocket* TakeAccepted(WsaError error, CIrcSocket& listener, SocketType type);
    void AcceptChat(WsaError error, CIrcSocket& listener);
    void AcceptSend(WsaError error, CIrcSocket& listener);
    void AcceptReceive(WsaError error, CIrcSocket& listener);
    void StartSending(CIrcSocket& socket);
    bool TakeChunk(CIrcSocket& socket, const char* data, std::size_t size);
    void TakeChatText(CIrcSocket& socket, const std::string& chunk);
    void ShowChatLine(CIrcSocket& socket, std::string line);

    const DccServices& s_;
    std::vector<std::unique_ptr<Link>> links_;
    int busy_ = 0;
    int next_token_ = 1;
    std::vector<char> read_buffer_;
    bool receiving_ = false;  // read_buffer_ is in use
};

// The name of the window a DCC socket is bound to; "" (the status window)
// when it has none.
std::string DccWindowName(CWindowRegistry& registry, const CIrcSocket& socket);

}  // namespace zorl
