// The one socket class of the program: server connection, DCC chat, DCC
// file transfer and ident all use it. It owns the platform socket and hands
// every notification to its host (the application object), which routes it
// by type.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/SharedTypes.h"
#include "platform/Socket.h"

namespace zorl {

class CIrcSocket;

// Makes the platform sockets and takes the notifications of every socket.
// Platform sockets are freed by the host, outside their own notifications.
class ISocketHost {
public:
    virtual ISocketFactory& SocketFactory() = 0;
    virtual void OnConnect(WsaError error, CIrcSocket& socket) = 0;
    virtual void OnReceive(WsaError error, CIrcSocket& socket) = 0;
    virtual void OnClose(WsaError error, CIrcSocket& socket) = 0;
    virtual void OnAccept(WsaError error, CIrcSocket& socket) = 0;
    virtual void RetirePlatformSocket(std::unique_ptr<IAsyncSocket> socket) = 0;

protected:
    ~ISocketHost() = default;
};

const char* SocketTypeName(SocketType type);

class CIrcSocket : public ISocketListener {
public:
    explicit CIrcSocket(ISocketHost& owner);
    ~CIrcSocket() override;
    CIrcSocket(const CIrcSocket&) = delete;
    CIrcSocket& operator=(const CIrcSocket&) = delete;

    ISocketHost& owner;
    std::string pending;
    std::string file_path;
    // 64-bit: files past 4 GiB are offered, received and reported with
    // their true size.
    uint64_t file_size = 0;
    uint64_t transferred = 0;
    // DCC: the byte a resumed transfer starts at (0: the whole file), the
    // port our offer named, and the token of a passive offer of ours still
    // waiting for the peer's address (the socket has no platform socket
    // until then).
    uint64_t file_start = 0;
    int dcc_port = 0;
    std::string dcc_token;
    bool connected = false;
    std::string password;
    SocketType type = kSocketNone;
    // The line splitter is dropping the rest of an over-long line.
    bool dropping_line = false;

    // Identity printed with "%08X"; unique for the life of the process.
    uint32_t Id() const { return id_; }

    // Makes a new platform socket (closing any previous one). kWsaOk or an
    // error.
    WsaError Create(unsigned events, const std::string& bindAddress = "", uint16_t port = 0);
    // The same for a client connection over TLS (Connect() also makes the
    // handshake).
    WsaError CreateTls(unsigned events);
    // What the TLS handshake found; null on a plain connection.
    const TlsSession* Tls() const { return socket_ ? socket_->Tls() : nullptr; }
    // Adopts an accepted platform socket.
    void Adopt(std::unique_ptr<IAsyncSocket> accepted);
    bool HasPlatformSocket() const { return socket_ != nullptr; }
    IAsyncSocket* Platform() { return socket_.get(); }

    WsaError Connect(const std::string& host, uint16_t port);
    WsaError Listen(int backlog);
    std::unique_ptr<IAsyncSocket> Accept(WsaError& error);
    long Receive(char* buffer, std::size_t size, WsaError& error);
    long Send(const std::string& data, WsaError& error);
    void Close();
    bool PeerAddress(std::string& address, uint16_t& port) const;
    bool LocalAddress(std::string& address, uint16_t& port) const;

    // Bumped whenever the platform socket is replaced or closed, so a read
    // loop can tell that a handler it called swapped the connection away.
    uint64_t Generation() const { return generation_; }

    void OnSocketConnect(WsaError error) override;
    void OnSocketReceive(WsaError error) override;
    void OnSocketClose(WsaError error) override;
    void OnSocketAccept(WsaError error) override;

private:
    std::unique_ptr<IAsyncSocket> socket_;
    uint32_t id_;
    uint64_t generation_ = 0;
};

}  // namespace zorl
