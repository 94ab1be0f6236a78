// Asynchronous TCP sockets, as the engine sees them.
//
// Contract (the catalogue every host implements):
//   - One thread. Every notification arrives on the thread that runs the
//     event loop, never inside a call the engine made on the same socket.
//   - Errors are Windows Sockets codes (platform/SocketErrors.h); kWsaOk
//     means success. A failed name resolution is kWsaInvalid and is reported
//     by Connect() or by the connect notification.
//   - A clean close by the peer is a close notification with kWsaOk.
//   - A listener may destroy the socket from inside any notification.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "common/ProxyHandshake.h"
#include "platform/SocketErrors.h"

namespace zorl {

// Event bits, as the engine asks for them when a socket is created.
enum SocketEvents : unsigned {
    kEventRead = 1,
    kEventOutOfBand = 2,
    kEventAccept = 8,
    kEventConnect = 16,
    kEventClose = 32,
};

class ISocketListener {
public:
    virtual ~ISocketListener() = default;
    virtual void OnSocketConnect(WsaError error) = 0;
    virtual void OnSocketReceive(WsaError error) = 0;
    virtual void OnSocketClose(WsaError error) = 0;
    virtual void OnSocketAccept(WsaError error) = 0;
};

// What the TLS layer of a connection learned in its handshake. The socket
// only reports; whether the connection may be used is the engine's decision
// (a certificate the system does not trust may still be one the user pinned).
struct TlsSession {
    bool verified = false;    // the system's trust store and the host name accept it
    std::string problem;      // why not, in words ("The certificate is self-signed, ...")
    std::string fingerprint;  // SHA-256 of the server's certificate, "AB:CD:..."
    std::string protocol;     // "TLSv1.3"
    std::string cipher;       // "TLS_AES_256_GCM_SHA384"
    std::string failure;      // why the handshake failed, when the connect failed in it
    // The host names the certificate is for (its subject's common name and
    // alternative names), and whether the system would trust it but for
    // the host name.
    std::vector<std::string> names{};
    bool onlyNameMismatch = false;
    std::time_t expires = 0;  // the end of its validity; 0: unknown
};

class IAsyncSocket {
public:
    virtual ~IAsyncSocket() = default;

    // Creates the OS socket, bound to address:port when address is not
    // empty. Returns kWsaOk or an error code.
    virtual WsaError Create(unsigned events, const std::string& bindAddress, uint16_t port) = 0;
    // kWsaOk when connected at once, kWsaWouldBlock while in progress (a
    // connect notification follows), or an error code.
    virtual WsaError Connect(const std::string& host, uint16_t port) = 0;
    virtual WsaError Listen(int backlog) = 0;
    // Accepts one pending connection; null and `error` set on failure.
    virtual std::unique_ptr<IAsyncSocket> Accept(WsaError& error) = 0;
    // Bytes read (> 0), 0 when the peer has closed, -1 with `error` set
    // (kWsaWouldBlock when nothing is waiting).
    virtual long Receive(char* buffer, std::size_t size, WsaError& error) = 0;
    // Bytes accepted by the OS, or -1 with `error` set.
    virtual long Send(const char* data, std::size_t size, WsaError& error) = 0;
    virtual void Close() = 0;
    virtual bool PeerAddress(std::string& address, uint16_t& port) const = 0;
    virtual bool LocalAddress(std::string& address, uint16_t& port) const = 0;
    virtual void SetListener(ISocketListener* listener) = 0;
    // The handshake of a TLS socket, once its connect notification came;
    // null on a plain socket.
    virtual const TlsSession* Tls() const { return nullptr; }
    // A TLS client socket presents the certificate and key of this PEM file
    // in its handshake; call before Connect(). "" when taken, else why not.
    virtual std::string UseClientCertificate(const std::string& pemPath) {
        return "only a TLS connection can present a certificate (" + pemPath + ")";
    }
    // Connect() goes through this proxy, which is given the host name to
    // resolve; the connect notification comes once the proxy has opened the
    // way (and, on TLS, the handshake is done). Call before Connect().
    // "" when taken, else why not.
    virtual std::string UseProxy(const ProxyRoute&) {
        return "this connection cannot go through a proxy";
    }
    // Why the proxy did not open the way, after a failed connect; "" when it
    // was not the proxy.
    virtual std::string ProxyFailure() const { return {}; }
};

class ISocketFactory {
public:
    virtual ~ISocketFactory() = default;
    virtual std::unique_ptr<IAsyncSocket> NewSocket() = 0;
    // A client socket whose Connect() also makes the TLS handshake: the
    // connect notification comes when the handshake is done (or failed), and
    // receive, send and close then carry the plain text. Listen and Accept
    // are not offered.
    virtual std::unique_ptr<IAsyncSocket> NewTlsSocket() = 0;
};

}  // namespace zorl
