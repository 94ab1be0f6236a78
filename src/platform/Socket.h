// Asynchronous TCP sockets, as the engine sees them.
//
// Contract (the catalogue every host implements):
//   - One thread. Every notification arrives on the thread that runs the
//     event loop, never inside a call the engine made on the same socket.
//   - Errors are Windows Sockets codes (10035 "would block", 10061 refused,
//     10054 reset, ...); 0 means success. A failed name resolution is 10022
//     and is reported by Connect() or by the connect notification.
//   - A clean close by the peer is a close notification with code 0.
//   - A listener may destroy the socket from inside any notification.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zorl {

// Event bits, as the engine asks for them when a socket is created.
enum SocketEvents : unsigned {
    kEventRead = 1,
    kEventOutOfBand = 2,
    kEventAccept = 8,
    kEventConnect = 16,
    kEventClose = 32,
};

constexpr int kWsaWouldBlock = 10035;
constexpr int kWsaInvalid = 10022;  // also: host name could not be resolved

class ISocketListener {
public:
    virtual ~ISocketListener() = default;
    virtual void OnSocketConnect(int error) = 0;
    virtual void OnSocketReceive(int error) = 0;
    virtual void OnSocketClose(int error) = 0;
    virtual void OnSocketAccept(int error) = 0;
};

class IAsyncSocket {
public:
    virtual ~IAsyncSocket() = default;

    // Creates the OS socket, bound to address:port when address is not
    // empty. Returns 0 or an error code.
    virtual int Create(unsigned events, const std::string& bindAddress, uint16_t port) = 0;
    // 0 when connected at once, kWsaWouldBlock while in progress (a connect
    // notification follows), or an error code.
    virtual int Connect(const std::string& host, uint16_t port) = 0;
    virtual int Listen(int backlog) = 0;
    // Accepts one pending connection; null and `error` set on failure.
    virtual std::unique_ptr<IAsyncSocket> Accept(int& error) = 0;
    // Bytes read (> 0), 0 when the peer has closed, -1 with `error` set
    // (kWsaWouldBlock when nothing is waiting).
    virtual long Receive(char* buffer, std::size_t size, int& error) = 0;
    // Bytes accepted by the OS, or -1 with `error` set.
    virtual long Send(const char* data, std::size_t size, int& error) = 0;
    virtual void Close() = 0;
    virtual bool PeerAddress(std::string& address, uint16_t& port) const = 0;
    virtual bool LocalAddress(std::string& address, uint16_t& port) const = 0;
    virtual void SetListener(ISocketListener* listener) = 0;
};

class ISocketFactory {
public:
    virtual ~ISocketFactory() = default;
    virtual std::unique_ptr<IAsyncSocket> NewSocket() = 0;
};

}  // namespace zorl
